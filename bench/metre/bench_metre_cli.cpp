// ravlek-cli metre --tsv and ravlek-cli romanize, the whole process each, on the same text: every
// line of the 57,607 Tang poems, poems separated by an empty line, over the open dictionary. The
// romanize run is the anchor; metre_over_romanize is the ratio of the two wall times of one run.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/run_benchmarks.h"
#include "build_paths.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::bench {
namespace {

const QString& InputPath() {
  static QTemporaryDir dir;
  static const QString path = [] {
    const QString file = dir.filePath(QStringLiteral("quantangshi_poems.txt"));
    QFile input(file);
    if (input.open(QIODevice::WriteOnly)) {
      input.write((test::QuanTangShiPoemLines().join(u'\n') + u'\n').toUtf8());
    }
    return file;
  }();
  return path;
}

// Wall milliseconds of one ravlek-cli run, its output thrown away; negative when it failed.
double RunCli(const QStringList& command) {
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer clock;
  clock.start();
  process.start(QStringLiteral(RAVLEK_CLI_PATH),
                QStringList{QStringLiteral("--app-dir"), QStringLiteral(RAVLEK_DEFAULT_APP_DIR)} +
                    command + QStringList{InputPath()});
  if (!process.waitForStarted(-1) || !process.waitForFinished(-1)) return -1;
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return -1;
  return double(clock.nsecsElapsed()) / 1e6;
}

void BM_CliMetreAgainstRomanize_QuanTangShi(benchmark::State& state) {
  if (!test::HaveSharedData()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  InputPath();
  double metre = 0;
  double romanize = 0;
  for (auto _ : state) {
    const double m = RunCli({QStringLiteral("metre"), QStringLiteral("--tsv")});
    state.PauseTiming();
    const double r = RunCli({QStringLiteral("romanize")});
    state.ResumeTiming();
    if (m < 0 || r < 0) {
      Fail(state, "ravlek-cli failed");
      return;
    }
    metre += m;
    romanize += r;
  }
  state.counters["metre_ms"] = metre / state.iterations();
  state.counters["romanize_ms"] = romanize / state.iterations();
  state.counters["metre_over_romanize"] = metre / romanize;
}

BENCHMARK(BM_CliMetreAgainstRomanize_QuanTangShi)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
