#include "app/window/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include "base/error.h"
#include "base/program_end.h"

namespace ravlek {
namespace {

// Every box of the program: one OK button, modal for the whole application, the text shown as
// written (it comes from the file system, the database and the user's input). Waits until closed.
void ExecMessageBox(QMessageBox::Icon icon, const QString& caption, const QString& text,
                    QWidget* owner, const QString& details = {}) {
  // After the window has been closed no box holds the ending program.
  if (ProgramEndRequested()) return;
  QMessageBox box(icon, caption, text, QMessageBox::Ok, owner);
  // The system's own words and paths wait behind the box's details button.
  if (!details.isEmpty()) box.setDetailedText(details);
  box.setTextFormat(Qt::PlainText);
  box.setFont(MessageFont());
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

}  // namespace

QFont MessageFont() {
  // The desktop's default family may take its Chinese glyphs from any installed font (a thin
  // Kai style among them); boxes name the user-interface family and keep the default size.
  QFont font = QApplication::font();
  font.setFamilies({QStringLiteral("Noto Sans CJK TC")});
  return font;
}

QString ApplicationTitle() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowTimedNotice(const QString& text, const QString& caption, int milliseconds) {
  QTimer timer;
  timer.setSingleShot(true);
  // When the time runs out, the box that is active then is closed as if OK had been pressed.
  QObject::connect(&timer, &QTimer::timeout, [] {
    if (QWidget* active = QApplication::activeModalWidget()) active->close();
  });
  timer.start(milliseconds);
  ExecMessageBox(QMessageBox::NoIcon, caption, text, QApplication::activeWindow());
  // The box may have been closed by the user: the timer must not fire later.
  timer.stop();
}

void ShowPlainMessage(const QString& text) {
  ExecMessageBox(QMessageBox::NoIcon, ApplicationTitle(), text, QApplication::activeWindow());
}

void ShowCaptionedMessage(QWidget* owner, const QString& text, const QString& caption) {
  ExecMessageBox(QMessageBox::NoIcon, caption, text, owner);
}

QString ErrorReportText(const QString& message) {
  // A sentence that ends with the full-width full stop (or mark) has ended already.
  static const QString kSentenceEnds = QStringLiteral("。！？");
  if (!message.isEmpty() && message.back() > QLatin1Char('.') &&
      !kSentenceEnds.contains(message.back())) {
    return message + QLatin1Char('.');
  }
  return message;
}

void ShowErrorReport(const QString& message, const QString& details) {
  ExecMessageBox(QMessageBox::Critical, ApplicationTitle(), ErrorReportText(message),
                 QApplication::activeWindow(), details);
}

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const Abort&) {
    // A cancelled action is not reported.
  } catch (const Error& error) {
    ShowErrorReport(error.message());
  } catch (const std::exception& error) {
    ShowErrorReport(QString::fromUtf8(error.what()));
  }
}

}  // namespace ravlek
