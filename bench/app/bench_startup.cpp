// From process start to the main window shown, on an application folder holding a synthetic
// dictionary of the benchmark's row count (--rows=N or RAVLEK_BENCH_ROWS, 100,000 unless given),
// and on one holding the open dictionary that the build lays out. Each run alternates with the
// anchor: a bare Qt window of the main controls (the nine pages, the grid, the fields and memos)
// shown by a process of the same program, without a dictionary; x_bare_window is the ratio. Each
// iteration starts a fresh process (this program in its child role), which creates the window as
// the program's entry point does and reports when it is shown; message boxes of the start-up are
// closed at once. The child's release steps ask the benchmark's own release server (started by
// the parent on a port the system picks; its address and public key passed in
// RAVLEK_BENCH_RELEASE_ROOT and RAVLEK_BENCH_RELEASE_KEY), which announces no update.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

#include "app/window/ostrel.h"
#include "bench/bench_rows.h"
#include "build_paths.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/test_release_key.h"
#include "tests/support/window/own_release_server.h"
#include "tests/support/window/window_test_environment.h"

namespace {

QString g_self;
constexpr char kReleaseRootVariable[] = "RAVLEK_BENCH_RELEASE_ROOT";
constexpr char kReleaseKeyVariable[] = "RAVLEK_BENCH_RELEASE_KEY";

int RunChild(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QDir::setCurrent(QString::fromLocal8Bit(argv[2]));
  QTimer dismiss;
  QObject::connect(&dismiss, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  dismiss.start(1);
  // The release server and its key are the parent's: making a key, signing and serving are no
  // part of the start-up.
  ravlek::ReleaseSettings release = ravlek::BuiltReleaseSettings();
  release.root = qEnvironmentVariable(kReleaseRootVariable);
  release.publicKey = qgetenv(kReleaseKeyVariable);
  TOstrel window(release);
  if (window.Terminated()) return 1;
  window.show();
  QApplication::processEvents();
  std::printf("shown\n");
  std::fflush(stdout);
  return 0;
}

// The anchor: the same kind of controls in a plain window, nothing read.
int RunBareChild(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("台語Ostrel輔助系統"));
  auto* layout = new QVBoxLayout(&window);
  auto* pages = new QTabWidget;
  layout->addWidget(pages);
  for (int i = 0; i < 9; ++i) {
    auto* page = new QWidget;
    auto* pageLayout = new QVBoxLayout(page);
    pageLayout->addWidget(new QLineEdit);
    pageLayout->addWidget(new QLineEdit);
    pageLayout->addWidget(i == 0 ? static_cast<QWidget*>(new QTableView)
                                 : static_cast<QWidget*>(new QPlainTextEdit));
    pageLayout->addWidget(new QPlainTextEdit);
    pages->addTab(page, QStringLiteral("頁%1").arg(i + 1));
  }
  window.resize(1024, 700);
  window.show();
  QApplication::processEvents();
  std::printf("shown\n");
  std::fflush(stdout);
  return 0;
}

void WriteSynthetic(const QString& path) {
  ravlek::test::WriteSyntheticDictionary(path, ravlek::bench::BenchRows());
}

// Seconds from starting the child to its report that the window is shown; negative on failure.
double TimeChild(const QStringList& arguments) {
  QProcess child;
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer clock;
  clock.start();
  child.start(g_self, arguments);
  bool shown = false;
  while (!shown && child.waitForReadyRead(30000)) shown = child.readAll().contains("shown");
  const double seconds = clock.nsecsElapsed() / 1e9;
  child.waitForFinished(30000);
  return shown ? seconds : -1;
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
  double ours = 0;
  double bare = 0;
  for (auto _ : state) {
    folder->WriteMarker();
    const double anchor = TimeChild({QStringLiteral("--bare")});
    const double seconds = TimeChild({QStringLiteral("--child"), folder->Path()});
    if (seconds < 0 || anchor < 0) {
      state.SkipWithError("the window was not shown");
      break;
    }
    ours += seconds;
    bare += anchor;
    state.SetIterationTime(seconds);
  }
  state.counters["bare_window_ms"] = 1000 * bare / static_cast<double>(state.iterations());
  state.counters["x_bare_window"] = bare > 0 ? ours / bare : 0;
}
BENCHMARK_CAPTURE(BM_StartupToWindowShown, synthetic, &WriteSynthetic)
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
  // The anchor pays for nothing of ours, not even the test environment.
  if (argc == 2 && std::strcmp(argv[1], "--bare") == 0) return RunBareChild(argc, argv);
  ravlek::bench::TakeBenchRows(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    return RunChild(argc, argv);
  }
  ravlek::test::PrepareWindowTestEnvironment();
  qputenv(kReleaseRootVariable, ravlek::test::EnsureOwnReleaseServer().toUtf8());
  qputenv(kReleaseKeyVariable, ravlek::test::TestReleaseKey().publicPem);
  // For a profiler: `--write-dictionary FILE --rows=N`, then `--child FOLDER` on its folder.
  if (argc == 3 && std::strcmp(argv[1], "--write-dictionary") == 0) {
    QCoreApplication app(argc, argv);
    WriteSynthetic(QString::fromLocal8Bit(argv[2]));
    return 0;
  }
  QCoreApplication app(argc, argv);
  g_self = QCoreApplication::applicationFilePath();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
