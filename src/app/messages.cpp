#include "app/messages.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>

#include "app/error.h"

namespace ravlek {

QString ApplicationTitle() {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void ShowTimedNotice(const QString& text, const QString& caption, int milliseconds) {
  QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  QTimer timer;
  timer.setSingleShot(true);
  // When the time runs out, the box that is active then is closed as if OK had been pressed.
  QObject::connect(&timer, &QTimer::timeout, [] {
    if (QWidget* active = QApplication::activeModalWidget()) active->close();
  });
  timer.start(milliseconds);
  box.exec();
  // The box may have been closed by the user: the timer must not fire later.
  timer.stop();
}

void ShowPlainMessage(const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, ApplicationTitle(), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

QString ErrorReportText(const QString& message) {
  if (!message.isEmpty() && message.back() > QLatin1Char('.')) {
    return message + QLatin1Char('.');
  }
  return message;
}

void ShowErrorReport(const QString& message) {
  QMessageBox box(QMessageBox::Critical, ApplicationTitle(), ErrorReportText(message),
                  QMessageBox::Ok, QApplication::activeWindow());
  // Messages come from the file system, the database and the user's input: shown as written.
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
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
