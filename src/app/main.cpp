#include <QApplication>

#include "app/ostrel.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  TOstrel window;
  if (window.Terminated()) return 0;
  window.show();
  return app.exec();
}
