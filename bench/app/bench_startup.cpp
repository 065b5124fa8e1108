// From process start to the main window shown, on an application folder holding a 100,000-row
// dictionary, and on one holding the open dictionary that the build lays out. Each iteration starts
// a fresh process (this program in its child role), which creates the window as the program's entry
// point does and reports when it is shown; message boxes of the start-up are closed at once. The
// child's release steps ask a release server of its own (started by PrepareWindowTestEnvironment on
// a port the system picks) that announces no update.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "app/window/ostrel.h"
#include "build_paths.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/window/own_release_server.h"
#include "tests/support/window/window_test_environment.h"

namespace {

QString g_self;

int RunChild(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QDir::setCurrent(QString::fromLocal8Bit(argv[2]));
  QTimer dismiss;
  QObject::connect(&dismiss, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  dismiss.start(1);
  TOstrel window(ravlek::test::OwnReleaseSettings());
  if (window.Terminated()) return 1;
  window.show();
  QApplication::processEvents();
  std::printf("shown\n");
  std::fflush(stdout);
  return 0;
}

void WriteSynthetic(const QString& path) {
  ravlek::test::WriteSyntheticDictionary(path, 100000);
}

void CopyOpenDictionary(const QString& path) {
  QFile::remove(path);
  QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db"), path);
}

void BM_StartupToWindowShown(benchmark::State& state, void (*writeDictionary)(const QString&)) {
  // One folder per dictionary, made on the first run.
  static std::map<void (*)(const QString&), std::unique_ptr<ravlek::test::AppFolderFixture>>
      folders;
  auto& folder = folders[writeDictionary];
  if (!folder) {
    folder = std::make_unique<ravlek::test::AppFolderFixture>();
    writeDictionary(folder->FilePath(QStringLiteral("Ravlek.db")));
  }
  if (!QFile::exists(folder->FilePath(QStringLiteral("Ravlek.db")))) {
    state.SkipWithError("no dictionary");
    return;
  }
  for (auto _ : state) {
    folder->WriteMarker();
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(g_self, {QStringLiteral("--child"), folder->Path()});
    bool shown = false;
    while (!shown && child.waitForReadyRead(30000)) {
      shown = child.readAll().contains("shown");
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    child.waitForFinished(30000);
    if (!shown) {
      state.SkipWithError("the window was not shown");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
BENCHMARK_CAPTURE(BM_StartupToWindowShown, synthetic_100000_rows, &WriteSynthetic)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_StartupToWindowShown, open_dictionary, &CopyOpenDictionary)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc, argv);
  QCoreApplication app(argc, argv);
  g_self = QCoreApplication::applicationFilePath();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
