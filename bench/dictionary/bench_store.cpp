// The dictionary store on a synthetic RavlekTable of the benchmark's row count (--rows=N or
// RAVLEK_BENCH_ROWS, 100,000 unless given): opening the dataset (reading every row) beside SQLite
// stepping the same statement and taking every value as text, alternated in the same loop; and
// one filter change as the lookup page makes it (filter off, set, on, first match).

#include <benchmark/benchmark.h>

#include <sqlite3.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <ctime>

#include "bench/bench_rows.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/lookup_filters.h"
#include "tests/support/synthetic_dictionary.h"

namespace {

using namespace ravlek;
using bench::BenchRows;

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// SQLite alone: the statement the dataset runs, every value taken as text.
void StepEveryValue(const QString& path) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db,
                     "select rowid AS ravlek_row_key_0, *  from RavlekTable where Ptype<>'' "
                     "ORDER BY ravlek_row_key_0",
                     -1, &statement, nullptr);
  const int columns = sqlite3_column_count(statement);
  size_t bytes = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int i = 0; i < columns; ++i) {
      sqlite3_column_text(statement, i);
      bytes += static_cast<size_t>(sqlite3_column_bytes(statement, i));
    }
  }
  benchmark::DoNotOptimize(bytes);
  sqlite3_finalize(statement);
  sqlite3_close(db);
}

// One synthetic dictionary and open connection for the whole run.
struct Store {
  Store() {
    test::WriteSyntheticDictionary(dir.filePath(QStringLiteral("Ravlek.db")), BenchRows());
    connection.OpenSqliteFile(dir.filePath(QStringLiteral("Ravlek.db")));
    ravlekTable.Open();
  }
  QTemporaryDir dir;
  TFDConnection connection;
  TFDQuery ravlekTable{connection, QStringLiteral("FDQueryRavlekTable"),
                       DatasetStatement(QStringLiteral("FDQueryRavlekTable"))};
};

Store& TheStore() {
  static Store store;
  return store;
}

void BM_OpenRavlekTable(benchmark::State& state) {
  Store& store = TheStore();
  double anchorCpu = 0;
  double oursCpu = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const double anchorStart = ThreadCpuSeconds();
    StepEveryValue(store.dir.filePath(QStringLiteral("Ravlek.db")));
    anchorCpu += ThreadCpuSeconds() - anchorStart;
    state.ResumeTiming();
    const double start = ThreadCpuSeconds();
    TFDQuery query(store.connection, QStringLiteral("FDQueryRavlekTable"),
                   DatasetStatement(QStringLiteral("FDQueryRavlekTable")));
    query.Open();
    oursCpu += ThreadCpuSeconds() - start;
    benchmark::DoNotOptimize(query.RecordCount());
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["rows"] = BenchRows();
  state.counters["x_sqlite_step"] = anchorCpu > 0 ? oursCpu / anchorCpu : 0;
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_OpenRavlekTable)->Unit(benchmark::kMillisecond)->MinTime(3.0)->MeasureProcessCPUTime();

void FilterChange(benchmark::State& state, const QString& filter) {
  TFDQuery& query = TheStore().ravlekTable;
  for (auto _ : state) {
    query.FilterOff();
    query.SetFilter(filter);
    query.FilterOn();
    benchmark::DoNotOptimize(query.FindFirst());
  }
  state.counters["passing"] = query.RecordCount();
}

void BM_FilterCharacterPrefix(benchmark::State& state) {
  // The first character of the table, typed alone into the character field.
  TFDQuery& query = TheStore().ravlekTable;
  query.FilterOff();
  FilterChange(state, CharacterFilter(query.FieldByName(QStringLiteral("HanWord"))));
}
void BM_FilterSpellPrefix(benchmark::State& state) {
  FilterChange(state, SpellFilter(QStringLiteral("tsa"), QStringLiteral("全")));
}
void BM_FilterFinalRhyme(benchmark::State& state) {
  FilterChange(state, SpellFilter(QStringLiteral("ang5*"), QStringLiteral("全")));
}
void BM_FilterConjunction(benchmark::State& state) {
  FilterChange(state, SpellFilter(QStringLiteral("an1*"), QStringLiteral("白")));
}
BENCHMARK(BM_FilterCharacterPrefix)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FilterSpellPrefix)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FilterFinalRhyme)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FilterConjunction)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

int main(int argc, char** argv) {
  bench::TakeBenchRows(argc, argv);
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
