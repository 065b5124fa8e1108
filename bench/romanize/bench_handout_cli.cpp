// ravlek-cli romanize --html and --odt, the whole process, on 唐詩三百首 over the open
// dictionary; the plain romanisation of the same text is the anchor to compare with. And the
// handouts' peak memory (/usr/bin/time -v) on the 57,607 Tang poems (poems separated by an empty
// line, 11.3 MB) and on that text four times, against the input's size: it must stay flat.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/process_usage.h"
#include "bench/run_benchmarks.h"
#include "build_paths.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::bench {
namespace {

void RunCli(benchmark::State& state, const QStringList& options) {
  const QStringList lines = test::TangShiSanBaiShouLines();
  if (lines.isEmpty()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  static QTemporaryDir dir;
  const QString inputPath = dir.filePath(QStringLiteral("tangshi.txt"));
  if (!QFile::exists(inputPath)) {
    QFile input(inputPath);
    input.open(QIODevice::WriteOnly);
    input.write((lines.join(u'\n') + u'\n').toUtf8());
  }
  const QString outputPath = dir.filePath(QStringLiteral("out"));
  for (auto _ : state) {
    QProcess process;
    process.setStandardOutputFile(outputPath);
    process.start(
        QStringLiteral(RAVLEK_CLI_PATH),
        QStringList{QStringLiteral("--db"), QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db"),
                    QStringLiteral("romanize")} +
            options + QStringList{inputPath});
    process.waitForFinished(-1);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
      Fail(state, "ravlek-cli romanize failed");
      break;
    }
  }
  state.counters["output_bytes"] = double(QFile(outputPath).size());
  state.counters["input_lines"] = double(lines.size());
}

void BM_CliTangShi_Romanize(benchmark::State& state) {
  RunCli(state, {});
}
void BM_CliTangShi_Html(benchmark::State& state) {
  RunCli(state, {QStringLiteral("--html")});
}
void BM_CliTangShi_Odt(benchmark::State& state) {
  RunCli(state, {QStringLiteral("--odt")});
}

// The Tang poems `times` times over, written once per process.
QString TangPoems(int times) {
  static QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("quantangshi_poems_%1.txt").arg(times));
  if (!QFile::exists(path)) {
    const QByteArray text = (test::QuanTangShiPoemLines().join(u'\n') + u'\n').toUtf8();
    QFile input(path);
    input.open(QIODevice::WriteOnly);
    for (int i = 0; i < times; ++i) input.write(text);
  }
  return path;
}

// One run of the handout of the Tang poems at 1 × and at 4 × the text: peak memory and CPU of each,
// and their growth from one to the other (flat memory: peak_x4_over_x1 near 1; linear time:
// cpu_x4_over_x1 near 4).
void HandoutPeak(benchmark::State& state, const QString& form) {
  if (!test::HaveSharedData()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  const auto run = [&form](int times) {
    return Run(QStringLiteral(RAVLEK_CLI_PATH),
               {QStringLiteral("--app-dir"), QStringLiteral(RAVLEK_DEFAULT_APP_DIR),
                QStringLiteral("romanize"), form, TangPoems(times)});
  };
  Usage once, four;
  for (auto _ : state) {
    once = run(1);
    four = run(4);
    if (!once.ok || !four.ok) {
      Fail(state, "ravlek-cli romanize failed or /usr/bin/time is missing");
      break;
    }
    state.SetIterationTime(once.cpuSeconds + four.cpuSeconds);
  }
  state.counters["input_x1_MiB"] = double(QFile(TangPoems(1)).size()) / (1024.0 * 1024.0);
  state.counters["peak_x1_MiB"] = once.peakMiB;
  state.counters["peak_x4_MiB"] = four.peakMiB;
  state.counters["cpu_x1_s"] = once.cpuSeconds;
  state.counters["cpu_x4_s"] = four.cpuSeconds;
  state.counters["peak_x4_over_x1"] = once.peakMiB > 0 ? four.peakMiB / once.peakMiB : 0;
  state.counters["cpu_x4_over_x1"] = once.cpuSeconds > 0 ? four.cpuSeconds / once.cpuSeconds : 0;
}

void BM_CliHandoutPeak_Html(benchmark::State& state) {
  HandoutPeak(state, QStringLiteral("--html"));
}
void BM_CliHandoutPeak_Odt(benchmark::State& state) {
  HandoutPeak(state, QStringLiteral("--odt"));
}

BENCHMARK(BM_CliTangShi_Romanize)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CliTangShi_Html)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CliTangShi_Odt)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CliHandoutPeak_Html)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_CliHandoutPeak_Odt)->Unit(benchmark::kSecond)->UseManualTime()->Iterations(1);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
