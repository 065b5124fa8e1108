// The dictionary store over PostgreSQL (DriverID=PG) on a synthetic RavlekTable of 100,000 rows:
// opening FDQueryRavlekTable, which reads every row from a private server the benchmark starts.
// ravlek-cli lookup --spell tsan on that server, alternated with psql running the statement the
// lookup sends (the condition, in the key's order) on the same server: CPU times as /usr/bin/time
// reports them, their ratio and the peak memory of both.
// Fails when the server programs are absent.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "bench/process_usage.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/filter_sql.h"
#include "dictionary/lookup_filters.h"
#include "tests/support/postgres_server.h"
#include "tests/support/synthetic_dictionary.h"

namespace {

using namespace ravlek;
using bench::Run;
using bench::Usage;

constexpr int kRows = 100000;

struct Store {
  Store() {
    QString why;
    bool unavailable = false;
    if (!server.Start(why, unavailable)) {
      std::fprintf(stderr, "bench_store_pg: %s\n", qPrintable(why));
      std::exit(1);
    }
    const QString sqlite = dir.filePath(QStringLiteral("Ravlek.db"));
    test::WriteSyntheticDictionary(sqlite, kRows);
    server.CreateDatabase(QStringLiteral("ravlek"));
    {
      QSqlDatabase db = server.Connect(QStringLiteral("ravlek"), QStringLiteral("load"));
      test::CopyDictionaryToPostgres(sqlite, db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("load"));
    server.WriteConnectionDefs(dir.path(), QStringLiteral("ravlek"));
    const auto opened = connection.Open(dir.path());
    if (!opened.ok()) {
      std::fprintf(stderr, "bench_store_pg: %s\n", qPrintable(opened.message));
      std::exit(1);
    }
  }
  test::PostgresServer server;
  QTemporaryDir dir;
  TFDConnection connection;
};

void BM_OpenRavlekTableOverPostgres(benchmark::State& state) {
  static Store store;
  int rows = 0;
  for (auto _ : state) {
    TFDQuery query(store.connection, QStringLiteral("FDQueryRavlekTable"),
                   DatasetStatement(QStringLiteral("FDQueryRavlekTable")));
    query.Open();
    rows = query.RecordCount();
  }
  if (rows != kRows) state.SkipWithError("not every row was read");
  state.counters["rows"] = rows;
}
BENCHMARK(BM_OpenRavlekTableOverPostgres)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_CliLookupSpellOverPostgres(benchmark::State& state) {
  static Store store;
  const QString filter = SpellFilter(QStringLiteral("tsan"), QStringLiteral("全"));
  // The statement as the lookup narrows it, rows in the key's order as the dataset reads them.
  TFDQuery narrowed(store.connection, QStringLiteral("FDQueryRavlekTable"),
                    DatasetStatement(QStringLiteral("FDQueryRavlekTable")));
  OpenFiltered(narrowed, filter);
  if (narrowed.SQL() == DatasetStatement(QStringLiteral("FDQueryRavlekTable"))) {
    state.SkipWithError("the condition was not sent to the server");
    return;
  }
  const QString sql = narrowed.SQL() + QStringLiteral(" ORDER BY id");
  double oursCpu = 0, anchorCpu = 0, oursPeak = 0, anchorPeak = 0;
  for (auto _ : state) {
    const Usage anchor =
        Run(QStringLiteral("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-A"), QStringLiteral("-t"),
             QStringLiteral("-h"), store.server.Host(), QStringLiteral("-p"),
             QString::number(store.server.Port()), QStringLiteral("-U"), store.server.User(),
             QStringLiteral("-d"), QStringLiteral("ravlek"), QStringLiteral("-c"), sql});
    const Usage ours = Run(QStringLiteral(RAVLEK_CLI_PATH),
                           {QStringLiteral("--app-dir"), store.dir.path(), QStringLiteral("lookup"),
                            QStringLiteral("--spell"), QStringLiteral("tsan")});
    if (!ours.ok || !anchor.ok) {
      state.SkipWithError("a process failed");
      break;
    }
    state.SetIterationTime(ours.cpuSeconds);
    oursCpu += ours.cpuSeconds;
    anchorCpu += anchor.cpuSeconds;
    oursPeak = std::max(oursPeak, ours.peakMiB);
    anchorPeak = std::max(anchorPeak, anchor.peakMiB);
  }
  state.counters["rows"] = kRows;
  state.counters["psql_cpu_s"] = anchorCpu / static_cast<double>(state.iterations());
  state.counters["x_psql"] = anchorCpu > 0 ? oursCpu / anchorCpu : 0;
  state.counters["peak_MiB"] = oursPeak;
  state.counters["psql_peak_MiB"] = anchorPeak;
}
BENCHMARK(BM_CliLookupSpellOverPostgres)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
