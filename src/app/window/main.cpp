#include <QApplication>

#include "app/window/ostrel.h"
#include "app/window/qt_translations.h"

int main(int argc, char** argv) {
  // The program reads no command line: the toolkit is given the program's name alone.
  int toolkitArgc = argc > 0 ? 1 : 0;
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(toolkitArgc, argv);
  QApplication::setQuitOnLastWindowClosed(true);
  ravlek::InstallQtTranslations(app);
  TOstrel window;
  if (window.Terminated()) return 0;
  window.show();
  return QApplication::exec();
}
