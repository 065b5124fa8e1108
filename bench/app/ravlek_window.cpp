// The program's window as its entry point starts it (src/app/window/main.cpp), on the
// application folder given as the only argument, reporting its first paint (first_paint.h). The
// release steps ask the server named in RAVLEK_BENCH_RELEASE_ROOT and check with the key in
// RAVLEK_BENCH_RELEASE_KEY (the benchmark's own, announcing no update); message boxes of the
// start-up are closed at once.
#include <QApplication>
#include <QDir>
#include <QTimer>

#include "app/window/ostrel.h"
#include "app/window/qt_translations.h"
#include "bench/app/first_paint.h"
#include "release/release_settings.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  int toolkitArgc = 1;
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(toolkitArgc, argv);
  QApplication::setQuitOnLastWindowClosed(true);
  ravlek::InstallQtTranslations(app);
  QDir::setCurrent(QString::fromLocal8Bit(argv[1]));
  QTimer dismiss;
  QObject::connect(&dismiss, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  dismiss.start(1);
  ravlek::ReleaseSettings release = ravlek::BuiltReleaseSettings();
  release.root = qEnvironmentVariable("RAVLEK_BENCH_RELEASE_ROOT");
  release.publicKey = qgetenv("RAVLEK_BENCH_RELEASE_KEY");
  TOstrel window(release);
  if (window.Terminated()) return 1;
  ravlek::bench::FirstPaintReport report(&window);
  window.show();
  return QApplication::exec();
}
