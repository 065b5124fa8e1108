#include <QApplication>
#include <QDir>

#include "app/program_door.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "app/window/qt_translations.h"

int main(int argc, char** argv) {
  // The program reads no command line: the toolkit is given the program's name alone.
  int toolkitArgc = argc > 0 ? 1 : 0;
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(toolkitArgc, argv);
  QApplication::setQuitOnLastWindowClosed(true);
  ravlek::InstallQtTranslations(app);
  // One program per application folder: a second start brings the running window forward.
  const QString appDir = QDir::currentPath();
  const ravlek::ProgramLock lock(appDir);
  if (lock.busy()) {
    if (!ravlek::BringProgramForward(appDir, 5000))
      ravlek::ShowPlainMessage(ravlek::kAlreadyRunningText);
    return 0;
  }
  TOstrel* shown = nullptr;
  const ravlek::ProgramDoor door(appDir, [&shown] {
    if (!shown) return;  // still starting: its window comes up in front anyway
    shown->setWindowState(shown->windowState() & ~Qt::WindowMinimized);
    shown->show();
    shown->raise();
    shown->activateWindow();
  });
  TOstrel window;
  if (window.Terminated()) return 0;
  window.show();
  shown = &window;
  return QApplication::exec();
}
