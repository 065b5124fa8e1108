// ravlek-cli romanize, the whole process: on a 1 MB text over the 100,000-row synthetic
// dictionary, and on every title and line of the 57,607 Tang poems over the open dictionary.
// Wall time, and the peak memory that /usr/bin/time -v reports.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "bench/run_benchmarks.h"
#include "bench_text.h"
#include "build_paths.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::bench {
namespace {

// Runs ravlek-cli romanize under /usr/bin/time -v, its output thrown away, and reports the peak.
void RunCli(benchmark::State& state, const QString& database, const QString& inputPath) {
  double peakKiB = 0;
  for (auto _ : state) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(QStringLiteral("/usr/bin/time"),
                  {QStringLiteral("-v"), QStringLiteral(RAVLEK_CLI_PATH), QStringLiteral("--db"),
                   database, QStringLiteral("romanize"), inputPath});
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
    peakKiB = std::max(peakKiB, match.captured(1).toDouble());
  }
  state.counters["peak_rss_MiB"] = peakKiB / 1024.0;
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

  RunCli(state, dictionary.path, inputPath);
  state.counters["input_bytes"] = double(text.size());
}

void BM_CliRomanize_QuanTangShi(benchmark::State& state) {
  const QStringList lines = test::QuanTangShiLines();
  if (lines.isEmpty()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  static QTemporaryDir dir;
  const QString inputPath = dir.filePath(QStringLiteral("quantangshi.txt"));
  QFile input(inputPath);
  input.open(QIODevice::WriteOnly);
  const QByteArray text = (lines.join(u'\n') + u'\n').toUtf8();
  input.write(text);
  input.close();
  RunCli(state, QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db"), inputPath);
  state.counters["input_lines"] = double(lines.size());
  state.counters["input_chars"] = double(QString::fromUtf8(text).size() - lines.size());
}

BENCHMARK(BM_CliRomanize_1MB)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CliRomanize_QuanTangShi)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
