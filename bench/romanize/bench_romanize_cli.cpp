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

bool failed = false;

void Fail(benchmark::State& state, const std::string& why) {
  failed = true;
  state.SkipWithError(why.c_str());
}

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
    // A run that cannot be measured fails the benchmark instead of reporting a time of nothing.
    if (!process.waitForStarted(-1)) {
      Fail(state, "cannot start /usr/bin/time (the time package; scripts/setup installs it)");
      break;
    }
    process.waitForFinished(-1);
    const QString report = QString::fromUtf8(process.readAllStandardError());
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
      Fail(state, "ravlek-cli romanize failed: " + report.left(400).toStdString());
      break;
    }
    const auto match =
        QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"))
            .match(report);
    if (!match.hasMatch()) {
      Fail(state, "/usr/bin/time -v reported no peak memory");
      break;
    }
    peakKiB = match.captured(1).toDouble();
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
  return ravlek::bench::failed ? 1 : 0;
}
