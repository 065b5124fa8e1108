// The dictionary store on a synthetic RavlekTable of 100,000 rows: opening the dataset (reading
// every row) and one filter change as the lookup page makes it (filter off, set, on, first match).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/lookup_filters.h"
#include "tests/support/synthetic_dictionary.h"

namespace {

using namespace ravlek;

constexpr int kRows = 100000;

// One synthetic dictionary and open connection for the whole run.
struct Store {
  Store() {
    test::WriteSyntheticDictionary(dir.filePath(QStringLiteral("Ravlek.db")), kRows);
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
  for (auto _ : state) {
    TFDQuery query(store.connection, QStringLiteral("FDQueryRavlekTable"),
                   DatasetStatement(QStringLiteral("FDQueryRavlekTable")));
    query.Open();
    benchmark::DoNotOptimize(query.RecordCount());
  }
  state.counters["rows"] = kRows;
}
BENCHMARK(BM_OpenRavlekTable)->Unit(benchmark::kMillisecond)->MinTime(3.0);

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
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
