// From the window's close to the end of the process, as the program's entry point runs it. Each
// iteration starts a fresh process (this program in its child role) on an application folder with
// the open dictionary; the child shows the window, visits the given resource pages as the user
// does on their tabs, then closes the window and returns from the event loop, and the parent
// times from the child's "closing" to its exit. In the last case the window is closed during an
// update download from a server that sends the archive a byte every 20 ms. The release steps ask
// the environment's own release server, which announces no update.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "app/window/ostrel.h"
#include "app/window/page_control.h"
#include "build_paths.h"
#include "release/window/version_page.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/local_server.h"
#include "tests/support/window/window_test_environment.h"

namespace {

QString g_self;

int RunChild(int argc, char** argv) {
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(true);
  QDir::setCurrent(QString::fromLocal8Bit(argv[2]));
  const int pages = std::atoi(argv[3]);
  // An archive served a byte every 20 ms, slower than any download ends by itself.
  ravlek::testing::LocalServer slow;
  if (pages < 0) {
    slow.http().Get("/slow.zip", [&slow](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(1000000, "application/zip",
                               [&slow](size_t, size_t, httplib::DataSink& sink) {
                                 if (slow.stopping()) return false;
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                                 sink.write("z", 1);
                                 return true;
                               });
    });
    slow.Start();
  }
  QTimer dismiss;
  QObject::connect(&dismiss, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  dismiss.start(1);
  TOstrel window;
  if (window.Terminated()) return 1;
  window.show();
  QApplication::processEvents();
  auto* tabs = static_cast<ravlek::PageControl*>(window.TntTabControl1);
  const auto choose = [tabs](int index) {
    // As the user's choice of the tab: the page-change handler runs and loads the page.
    tabs->BeginUserInput();
    tabs->setCurrentIndex(index);
    tabs->EndUserInput();
  };
  const auto close = [&window] {
    std::printf("closing\n");
    std::fflush(stdout);
    window.close();
  };
  if (pages < 0) {
    // The system archive of an update is downloading when the window is closed.
    ravlek::Announcement& announced = window.versionPage->session().announcement();
    announced.flags = {1, 0};
    announced.latest.systemUrl = slow.url(QStringLiteral("/slow.zip"));
    QTimer::singleShot(500, &window, close);
    QTimer::singleShot(0, &window, [&window] { window.versionPage->DL_TntButton->click(); });
    return QApplication::exec();
  }
  // The resource pages from the first on, each chosen on its tab.
  for (int i = 0; i < pages; ++i) {
    choose(5 + i);
    QApplication::processEvents();
  }
  QTimer::singleShot(0, &window, close);
  return QApplication::exec();
}

void BM_CloseToProcessEnd(benchmark::State& state) {
  static std::unique_ptr<ravlek::test::AppFolderFixture> folder;
  if (!folder) {
    folder = std::make_unique<ravlek::test::AppFolderFixture>();
    QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db"),
                folder->FilePath(QStringLiteral("Ravlek.db")));
  }
  if (!QFile::exists(folder->FilePath(QStringLiteral("Ravlek.db")))) {
    state.SkipWithError("no dictionary");
    return;
  }
  for (auto _ : state) {
    folder->WriteMarker();
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(g_self,
                {QStringLiteral("--child"), folder->Path(), QString::number(state.range(0))});
    QElapsedTimer clock;
    bool closing = false;
    while (!closing && child.waitForReadyRead(60000)) {
      closing = child.readAll().contains("closing");
    }
    clock.start();
    // A child that has already ended is not waited for (waitForFinished would answer false).
    const bool ended = child.state() == QProcess::NotRunning || child.waitForFinished(60000);
    const double seconds = clock.nsecsElapsed() / 1e9;
    if (!closing || !ended) {
      state.SkipWithError("the window did not close");
      break;
    }
    state.SetIterationTime(seconds);
  }
}
// 0: the lookup page only; 1: one resource page visited; 4: all four; -1: closed during an update
// download.
BENCHMARK(BM_CloseToProcessEnd)
    ->Arg(0)
    ->Arg(1)
    ->Arg(4)
    ->Arg(-1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  // RAVLEK_BENCH_PLATFORM=xcb (under an X server such as xvfb-run) measures the close there.
  if (qEnvironmentVariableIsSet("RAVLEK_BENCH_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", qgetenv("RAVLEK_BENCH_PLATFORM"));
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc, argv);
  QCoreApplication app(argc, argv);
  g_self = QCoreApplication::applicationFilePath();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
