// The dictionary store over PostgreSQL (DriverID=PG) on a synthetic RavlekTable of 100,000 rows:
// opening FDQueryRavlekTable, which reads every row from a private server the benchmark starts.
// Fails when the server programs are absent.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdio>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "tests/support/postgres_server.h"
#include "tests/support/synthetic_dictionary.h"

namespace {

using namespace ravlek;

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

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
