// ravlek-cli romanize --html and --odt, the whole process, on 唐詩三百首 over the open
// dictionary; the plain romanisation of the same text is the anchor to compare with.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

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

BENCHMARK(BM_CliTangShi_Romanize)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CliTangShi_Html)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CliTangShi_Odt)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
