// ravlek-cli as a whole process on a synthetic dictionary of the benchmark's row count, each run
// beside the sqlite3 shell doing the same work on the same file, alternated in the same loop:
// lookup by romanisation and by character against the shell's GLOB (the condition the lookup
// sends, which the index on the field serves), import against the shell's
// .import of the same TSV (which does not resolve the escapes), and --version against the shell's
// -version (the start every command pays). The counters are CPU times (user +
// system, as /usr/bin/time reports them), their ratio and the peak memory of both.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "bench/bench_rows.h"
#include "bench/process_usage.h"
#include "bench/run_benchmarks.h"
#include "tests/support/synthetic_dictionary.h"

namespace ravlek::bench {
namespace {

struct Files {
  Files() {
    test::WriteSyntheticDictionary(database, BenchRows());
    {
      // The indexes the built dictionary carries.
      QSqlDatabase db =
          QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("index"));
      db.setDatabaseName(database);
      db.open();
      QSqlQuery query(db);
      for (const char* column : {"HanWord", "HanSpell", "PoemRhyme"}) {
        query.exec(QStringLiteral("CREATE INDEX RavlekTable_%1 ON RavlekTable (%1)")
                       .arg(QLatin1String(column)));
      }
      query.exec(
          QStringLiteral("SELECT HanWord FROM RavlekTable WHERE Ptype<>'' ORDER BY rowid LIMIT 1"));
      query.next();
      firstCharacter = query.value(0).toString().left(1);
      query = QSqlQuery();
      db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("index"));
    QProcess exporter;
    exporter.setStandardOutputFile(tsv);
    exporter.start(QStringLiteral(RAVLEK_CLI_PATH),
                   {QStringLiteral("--db"), database, QStringLiteral("export"),
                    QStringLiteral("--table"), QStringLiteral("RavlekTable")});
    exporter.waitForFinished(-1);
  }
  QTemporaryDir dir;
  QString database = dir.filePath(QStringLiteral("Ravlek.db"));
  QString tsv = dir.filePath(QStringLiteral("RavlekTable.tsv"));
  QString firstCharacter;
};

Files& TheFiles() {
  static Files files;
  return files;
}

// Alternates ravlek-cli and the shell; the iteration time is ravlek-cli's CPU time.
void Alternate(benchmark::State& state, const std::function<Usage()>& ours,
               const std::function<Usage()>& anchor) {
  double oursCpu = 0, anchorCpu = 0, oursPeak = 0, anchorPeak = 0;
  for (auto _ : state) {
    const Usage a = anchor();
    const Usage o = ours();
    if (!o.ok || !a.ok) {
      state.SkipWithError("a process failed");
      break;
    }
    state.SetIterationTime(o.cpuSeconds);
    oursCpu += o.cpuSeconds;
    anchorCpu += a.cpuSeconds;
    oursPeak = std::max(oursPeak, o.peakMiB);
    anchorPeak = std::max(anchorPeak, a.peakMiB);
  }
  state.counters["rows"] = BenchRows();
  state.counters["sqlite3_cpu_s"] = anchorCpu / static_cast<double>(state.iterations());
  state.counters["x_sqlite3"] = anchorCpu > 0 ? oursCpu / anchorCpu : 0;
  state.counters["peak_MiB"] = oursPeak;
  state.counters["sqlite3_peak_MiB"] = anchorPeak;
}

Usage Shell(const QString& database, const QString& sql) {
  return Run(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QStringLiteral("-separator"),
                                         QStringLiteral("\t"), database, sql});
}

void BM_CliLookupSpell(benchmark::State& state) {
  Files& f = TheFiles();
  Alternate(
      state,
      [&] {
        return Run(QStringLiteral(RAVLEK_CLI_PATH),
                   {QStringLiteral("--db"), f.database, QStringLiteral("lookup"),
                    QStringLiteral("--spell"), QStringLiteral("tsan")});
      },
      [&] {
        return Shell(f.database, QStringLiteral("SELECT * FROM RavlekTable WHERE Ptype<>'' AND "
                                                "HanSpell GLOB 'tsan*' ORDER BY rowid"));
      });
}

void BM_CliLookupCharacter(benchmark::State& state) {
  Files& f = TheFiles();
  Alternate(
      state,
      [&] {
        return Run(QStringLiteral(RAVLEK_CLI_PATH),
                   {QStringLiteral("--db"), f.database, QStringLiteral("lookup"),
                    QStringLiteral("--char"), f.firstCharacter});
      },
      [&] {
        return Shell(f.database, QStringLiteral("SELECT * FROM RavlekTable WHERE Ptype<>'' AND "
                                                "HanWord GLOB '%1*' ORDER BY rowid")
                                     .arg(f.firstCharacter));
      });
}

void BM_CliImport(benchmark::State& state) {
  Files& f = TheFiles();
  QTemporaryDir dir;
  const QString ours = dir.filePath(QStringLiteral("ours.db"));
  const QString theirs = dir.filePath(QStringLiteral("theirs.db"));
  Alternate(
      state,
      [&] {
        QFile::remove(ours);
        return Run(
            QStringLiteral(RAVLEK_CLI_PATH),
            {QStringLiteral("import"), QStringLiteral("--table"), QStringLiteral("RavlekTable"),
             QStringLiteral("--tsv"), f.tsv, QStringLiteral("--to"), ours});
      },
      [&] {
        QFile::remove(theirs);
        // The same table made first, then the file's rows after its header line.
        return Run(
            QStringLiteral("sqlite3"),
            {QStringLiteral("-batch"), theirs,
             QStringLiteral("CREATE TABLE RavlekTable (HanWord TEXT, Ptype TEXT, HanSpell TEXT, "
                            "Spell_P TEXT, Spell_P_Han TEXT, Initial_C_type TEXT, PoemRhyme TEXT, "
                            "hong5se3 TEXT, PoemRhyme2 TEXT, PtypeDesc TEXT, Phone_desc TEXT, "
                            "Desc TEXT)"),
             QStringLiteral(".mode tabs"),
             QStringLiteral(".import --skip 1 ") + f.tsv + QStringLiteral(" RavlekTable")});
      });
  state.counters["tsv_MiB"] = static_cast<double>(QFile(f.tsv).size()) / (1024.0 * 1024.0);
}

// CPU of a child process to the microsecond (getrusage of the waited-for children), where
// /usr/bin/time counts in 10 ms steps: for the start of a program that does nothing else.
double ChildCpuSeconds(const QString& program, const QStringList& arguments) {
  rusage before{};
  getrusage(RUSAGE_CHILDREN, &before);
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  process.start(program, arguments);
  if (!process.waitForFinished(-1) || process.exitCode() != 0) return -1;
  rusage after{};
  getrusage(RUSAGE_CHILDREN, &after);
  const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return seconds(after.ru_utime) - seconds(before.ru_utime) + seconds(after.ru_stime) -
         seconds(before.ru_stime);
}

// The floor of every command: ravlek-cli --version against sqlite3 -version, alternated.
void BM_CliVersion(benchmark::State& state) {
  double ours = 0, anchor = 0;
  for (auto _ : state) {
    const double a = ChildCpuSeconds(QStringLiteral("sqlite3"), {QStringLiteral("-version")});
    const double o =
        ChildCpuSeconds(QStringLiteral(RAVLEK_CLI_PATH), {QStringLiteral("--version")});
    if (a < 0 || o < 0) {
      state.SkipWithError("a process failed");
      break;
    }
    state.SetIterationTime(o);
    ours += o;
    anchor += a;
  }
  const double n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["sqlite3_cpu_ms"] = anchor / n * 1e3;
  state.counters["cpu_ms"] = ours / n * 1e3;
  state.counters["x_sqlite3"] = anchor > 0 ? ours / anchor : 0;
}

BENCHMARK(BM_CliVersion)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(40);
BENCHMARK(BM_CliLookupSpell)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CliLookupCharacter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_CliImport)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  ravlek::bench::TakeBenchRows(argc, argv);
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
