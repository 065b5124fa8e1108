// From process start to the first paint of the main window: the program's window
// (child_ravlek_window, the entry point's own steps) against a plain Qt window program
// (child_plain_window, Qt Widgets alone), each a process of its own, started alternately in the
// same run; both report by the same rule (first_paint.h). Medians of kStarts starts of each: wall
// time to the report, the process's CPU time and peak resident memory at that moment, and their
// ratios to the plain window's (x_wall, x_cpu, x_mem).
// Dictionaries: the open dictionary the build lays out; a synthetic one of the benchmark's row
// count (--rows=N or RAVLEK_BENCH_ROWS, 100,000 unless given); the same rows on a private
// PostgreSQL server (the socket in a temporary folder), started alternately with the SQLite
// window as well (x_sqlite_wall). Each on the offscreen platform and on an X server (Xvfb on a
// display it picks). The release steps ask the benchmark's own release server, which announces
// no update.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "bench/bench_rows.h"
#include "bench/run_benchmarks.h"
#include "build_paths.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/postgres_server.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/test_release_key.h"
#include "tests/support/window/own_release_server.h"

namespace {

using ravlek::bench::Fail;
using ravlek::test::AppFolderFixture;

constexpr int kStarts = 7;

enum class Platform { kOffscreen, kXvfb };

// An X server of the benchmark's own, on the display number it picks.
class XServer {
 public:
  // The display (":N"), or empty when Xvfb could not be started.
  QString Display() {
    if (!tried_) {
      tried_ = true;
      server_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp")});
      QByteArray number;
      while (!number.contains('\n') && server_.waitForReadyRead(10000)) {
        number += server_.readAllStandardOutput();
      }
      if (number.trimmed().isEmpty()) return {};
      display_ = u':' + QString::fromLatin1(number.trimmed());
    }
    return display_;
  }
  ~XServer() {
    server_.terminate();
    server_.waitForFinished(5000);
  }

 private:
  QProcess server_;
  QString display_;
  bool tried_ = false;
};

XServer& Xvfb() {
  static XServer server;
  return server;
}

struct Start {
  double wallSeconds = 0;
  double cpuSeconds = 0;
  double peakMiB = 0;
};

// Starts a child and reads its first-paint report; false when it gave none.
bool TimeChild(const QString& program, const QStringList& arguments, Platform platform,
               Start& start) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  if (platform == Platform::kXvfb) {
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), Xvfb().Display());
  } else {
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  }
  // A runtime folder of the benchmark's own where the session gives none (Qt warns without one).
  static QTemporaryDir runtime;
  if (!environment.contains(QStringLiteral("XDG_RUNTIME_DIR"))) {
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
  }
  QProcess child;
  child.setProcessEnvironment(environment);
  child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  QElapsedTimer clock;
  clock.start();
  child.start(program, arguments);
  QByteArray output;
  while (!output.contains('\n') && child.waitForReadyRead(60000)) output += child.readAll();
  start.wallSeconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
  child.waitForFinished(30000);
  double cpu = 0;
  long peakKiB = 0;
  if (std::sscanf(output.constData(), "painted %lf %ld", &cpu, &peakKiB) != 2) return false;
  start.cpuSeconds = cpu;
  start.peakMiB = static_cast<double>(peakKiB) / 1024.0;
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

struct Starts {
  std::vector<double> wall, cpu, peak;
  void Add(const Start& start) {
    wall.push_back(start.wallSeconds);
    cpu.push_back(start.cpuSeconds);
    peak.push_back(start.peakMiB);
  }
};

AppFolderFixture& SqliteFolder(bool synthetic) {
  static std::map<bool, std::unique_ptr<AppFolderFixture>> folders;
  auto& folder = folders[synthetic];
  if (!folder) {
    folder = std::make_unique<AppFolderFixture>();
    const QString file = folder->FilePath(QStringLiteral("Ravlek.db"));
    QFile::remove(file);
    if (synthetic) {
      ravlek::test::WriteSyntheticDictionary(file, ravlek::bench::BenchRows());
    } else {
      QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db"), file);
    }
  }
  return *folder;
}

// A folder whose connection names the synthetic rows on a private PostgreSQL server; null with
// why when the server could not be started.
AppFolderFixture* PostgresFolder(QString& why) {
  static ravlek::test::PostgresServer server;
  static std::unique_ptr<AppFolderFixture> folder;
  static QString failure;
  if (!folder && failure.isEmpty()) {
    bool unavailable = false;
    if (!server.Start(failure, unavailable)) {
      why = failure;
      return nullptr;
    }
    server.CreateDatabase(QStringLiteral("ravlek"));
    {
      QSqlDatabase db = server.Connect(QStringLiteral("ravlek"), QStringLiteral("load"));
      ravlek::test::CopyDictionaryToPostgres(
          SqliteFolder(true).FilePath(QStringLiteral("Ravlek.db")), db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("load"));
    folder = std::make_unique<AppFolderFixture>();
    server.WriteConnectionDefs(folder->Path(), QStringLiteral("ravlek"));
  }
  why = failure;
  return folder.get();
}

enum class Dictionary { kOpen, kSynthetic, kPostgres };

void BM_StartupToFirstPaint(benchmark::State& state, Platform platform, Dictionary dictionary) {
  if (platform == Platform::kXvfb && Xvfb().Display().isEmpty()) {
    Fail(state, "Xvfb could not be started");
    return;
  }
  AppFolderFixture* folder = &SqliteFolder(dictionary != Dictionary::kOpen);
  AppFolderFixture* sqlite = nullptr;
  if (dictionary == Dictionary::kPostgres) {
    QString why;
    sqlite = folder;
    folder = PostgresFolder(why);
    if (folder == nullptr) {
      Fail(state, "PostgreSQL: " + why.toStdString());
      return;
    }
  }
  const QString plainProgram = QStringLiteral(CHILD_PLAIN_WINDOW);
  const QString ravlekProgram = QStringLiteral(CHILD_RAVLEK_WINDOW);
  Starts plain, ours, onSqlite;
  for (auto _ : state) {
    for (int i = 0; i < kStarts; ++i) {
      Start anchor, start, sqliteStart;
      folder->WriteMarker();
      if (sqlite) sqlite->WriteMarker();
      if (!TimeChild(plainProgram, {}, platform, anchor) ||
          !TimeChild(ravlekProgram, {folder->Path()}, platform, start) ||
          (sqlite && !TimeChild(ravlekProgram, {sqlite->Path()}, platform, sqliteStart))) {
        Fail(state, "a window reported no first paint");
        return;
      }
      plain.Add(anchor);
      ours.Add(start);
      if (sqlite) onSqlite.Add(sqliteStart);
    }
    state.SetIterationTime(Median(ours.wall));
  }
  const auto ratio = [](double a, double b) { return b > 0 ? a / b : 0; };
  state.counters["cpu_ms"] = 1000 * Median(ours.cpu);
  state.counters["peak_MiB"] = Median(ours.peak);
  state.counters["plain_ms"] = 1000 * Median(plain.wall);
  state.counters["plain_cpu_ms"] = 1000 * Median(plain.cpu);
  state.counters["plain_MiB"] = Median(plain.peak);
  state.counters["x_wall"] = ratio(Median(ours.wall), Median(plain.wall));
  state.counters["x_cpu"] = ratio(Median(ours.cpu), Median(plain.cpu));
  state.counters["x_mem"] = ratio(Median(ours.peak), Median(plain.peak));
  if (sqlite) {
    state.counters["sqlite_ms"] = 1000 * Median(onSqlite.wall);
    state.counters["x_sqlite_wall"] = ratio(Median(ours.wall), Median(onSqlite.wall));
  }
}

#define STARTUP_CASE(name, platform, dictionary)                        \
  BENCHMARK_CAPTURE(BM_StartupToFirstPaint, name, platform, dictionary) \
      ->UseManualTime()                                                 \
      ->Unit(benchmark::kMillisecond)                                   \
      ->Iterations(1)
STARTUP_CASE(open_dictionary_offscreen, Platform::kOffscreen, Dictionary::kOpen);
STARTUP_CASE(open_dictionary_xvfb, Platform::kXvfb, Dictionary::kOpen);
STARTUP_CASE(synthetic_offscreen, Platform::kOffscreen, Dictionary::kSynthetic);
STARTUP_CASE(synthetic_xvfb, Platform::kXvfb, Dictionary::kSynthetic);
STARTUP_CASE(postgres_offscreen, Platform::kOffscreen, Dictionary::kPostgres);

}  // namespace

int main(int argc, char** argv) {
  ravlek::bench::TakeBenchRows(argc, argv);
  QCoreApplication app(argc, argv);
  qputenv("RAVLEK_BENCH_RELEASE_ROOT", ravlek::test::EnsureOwnReleaseServer().toUtf8());
  qputenv("RAVLEK_BENCH_RELEASE_KEY", ravlek::test::TestReleaseKey().publicPem);
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  return ravlek::bench::RunBenchmarks(argc, argv);
}
