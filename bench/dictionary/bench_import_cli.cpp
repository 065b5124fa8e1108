// ravlek-cli import of the open dictionary's RavlekTable into a new SQLite file, the whole
// process: wall time and the peak memory that /usr/bin/time -v reports.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "bench/run_benchmarks.h"
#include "build_paths.h"

namespace {

void BM_CliImport_OpenRavlekTable(benchmark::State& state) {
  const QString tsv = QStringLiteral(RAVLEK_SOURCE_DIR "/data/open_dictionary/RavlekTable.tsv");
  QTemporaryDir dir;
  const QString database = dir.filePath(QStringLiteral("imported.db"));
  double peakKiB = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QFile::remove(database);
    state.ResumeTiming();
    QProcess process;
    process.start(QStringLiteral("/usr/bin/time"),
                  {QStringLiteral("-v"), QStringLiteral(RAVLEK_CLI_PATH), QStringLiteral("import"),
                   QStringLiteral("--table"), QStringLiteral("RavlekTable"),
                   QStringLiteral("--tsv"), tsv, QStringLiteral("--to"), database});
    process.waitForFinished(-1);
    if (process.exitCode() != 0) state.SkipWithError("ravlek-cli import failed");
    const auto match =
        QRegularExpression(QStringLiteral("Maximum resident set size \\(kbytes\\): (\\d+)"))
            .match(QString::fromUtf8(process.readAllStandardError()));
    if (match.hasMatch()) peakKiB = std::max(peakKiB, match.captured(1).toDouble());
  }
  QFile file(tsv);
  state.counters["tsv_MiB"] = double(file.size()) / (1024.0 * 1024.0);
  state.counters["peak_rss_MiB"] = peakKiB / 1024.0;
}

BENCHMARK(BM_CliImport_OpenRavlekTable)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
