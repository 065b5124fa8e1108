// ravlek-cli romanize on a 1 MB text over the 100,000-row synthetic dictionary: wall time of the
// whole process and its peak memory, as /usr/bin/time -v reports them.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

#include "bench_text.h"

namespace ravlek::bench {
namespace {

void BM_CliRomanize_1MB(benchmark::State& state) {
  BenchDictionary& dictionary = SyntheticDictionary();
  // Lines of 100 characters until the text holds 1 MB of UTF-8.
  QByteArray text;
  const QStringList lines = BenchLines(dictionary.characters, 400000, 100);
  for (const QString& line : lines) {
    if (text.size() >= 1000000) break;
    text += line.toUtf8() + '\n';
  }
  const QString inputPath = dictionary.dir.filePath(QStringLiteral("input.txt"));
  QFile input(inputPath);
  input.open(QIODevice::WriteOnly);
  input.write(text);
  input.close();

  double peakKiB = 0;
  for (auto _ : state) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/usr/bin/time"),
                  {QStringLiteral("-v"), QStringLiteral(RAVLEK_CLI_PATH), QStringLiteral("--db"),
                   dictionary.path, QStringLiteral("romanize"), inputPath});
    process.waitForFinished(-1);
    if (process.exitCode() != 0) state.SkipWithError("ravlek-cli failed");
    const QString report = QString::fromUtf8(process.readAllStandardError());
    const auto match =
        QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"))
            .match(report);
    if (match.hasMatch()) peakKiB = match.captured(1).toDouble();
  }
  state.counters["input_bytes"] = double(text.size());
  state.counters["peak_rss_MiB"] = peakKiB / 1024.0;
}

BENCHMARK(BM_CliRomanize_1MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
