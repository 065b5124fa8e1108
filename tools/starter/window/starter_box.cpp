// The starter's box, in a build with the window toolkit.
#include <QApplication>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <cstdio>

#include "starter_box.h"

namespace ravlek {
namespace {

// A screen to show a box on: an X or Wayland display, or a platform named outright.
bool ScreenThere() {
  return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !qEnvironmentVariableIsEmpty("DISPLAY");
}

}  // namespace

std::unique_ptr<QCoreApplication> MakeStarterApplication(int& argc, char** argv) {
  if (!ScreenThere()) return std::make_unique<QCoreApplication>(argc, argv);
  auto app = std::make_unique<QApplication>(argc, argv);
  // The box's own buttons in the program's language, as in the program.
  auto* translator = new QTranslator(app.get());
  if (translator->load(QStringLiteral("qtbase_zh_TW"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(translator);
  }
  return app;
}

void TellUser(const QString& text, const QString& details) {
  std::fprintf(stderr, "Ravlek_Start: %s\n", qUtf8Printable(text));
  if (!details.isEmpty()) std::fprintf(stderr, "%s\n", qUtf8Printable(details));
  std::fflush(stderr);
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
  QMessageBox box(QMessageBox::Warning, QStringLiteral("台語Ostrel輔助系統"), text,
                  QMessageBox::Ok);
  if (!details.isEmpty()) box.setDetailedText(details);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace ravlek
