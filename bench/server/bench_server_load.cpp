// ravlek-server under load: N clients on loopback (each a thread with its own keep-alive
// connection) send requests back to back for a bounded time against one server process.
// Reports throughput, median and 99th-percentile latency, errors, requests sent again (on a
// kept-alive connection the server had just closed), and the server's resident memory before and
// after; any error (no answer, a status other than 200) fails the run.
//
// The dictionary: the shipped one of the build's application folder; with --rows=N a synthetic
// dictionary of N rows in a private PostgreSQL server instead (scripts/bench runs the shipped
// one: --rows=1000000 is the run for a school's PostgreSQL dictionary).
// RAVLEK_BENCH_SECONDS: the load time of each case (default 5; 600 for the memory check).

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "bench/run_benchmarks.h"
#include "tests/support/postgres_server.h"
#include "tests/support/synthetic_dictionary.h"

namespace {

using namespace ravlek;
using Clock = std::chrono::steady_clock;

const char kPoem[] =
    "{\"text\":\"春望\\n國破山河在，城春草木深。\\n感時花濺淚，恨別鳥驚心。\\n"
    "烽火連三月，家書抵萬金。\\n白頭搔更短，渾欲不勝簪。\\n\"}";
// What students type into the lookup box, one keystroke at a time.
const char* const kLookups[] = {
    "/api/lookup?char=%E8%AE%9A",
    "/api/lookup?char=%E6%98%A5",
    "/api/lookup?char=%E5%9C%8B",
    "/api/lookup?spell=ts",
    "/api/lookup?spell=tsan",
    "/api/lookup?spell=ts%C3%A0n",
    "/api/lookup?char=%E6%9C%88%E8%90%BD",
    "/api/lookup?rhyme=%E4%B8%8B%E5%B9%B3",
};

int LoadSeconds() {
  const int seconds = qEnvironmentVariableIntValue("RAVLEK_BENCH_SECONDS");
  return seconds > 0 ? seconds : 5;
}

qint64 ResidentKiB(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QRegularExpression rss(QStringLiteral("VmRSS:\\s+(\\d+) kB"));
  return rss.match(QString::fromLatin1(status.readAll())).captured(1).toLongLong();
}

// The server process, started once for all cases.
class Server {
 public:
  explicit Server(int rows) {
    QString appDir = QStringLiteral(RAVLEK_APP_DIR);
    if (rows > 0) appDir = PreparePostgres(rows);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(RAVLEK_SERVER_PATH),
                   {QStringLiteral("--app-dir"), appDir, QStringLiteral("--listen"),
                    QStringLiteral("127.0.0.1:0")});
    // A million rows take a while to read.
    if (!process_.waitForReadyRead(600000)) Die("ravlek-server did not start");
    const auto match = QRegularExpression(QStringLiteral(":(\\d+)/"))
                           .match(QString::fromUtf8(process_.readLine()));
    if (!match.hasMatch()) Die("ravlek-server printed no address");
    port_ = match.captured(1).toInt();
  }
  ~Server() {
    process_.terminate();
    process_.waitForFinished(30000);
  }
  int Port() const { return port_; }
  qint64 Resident() const { return ResidentKiB(process_.processId()); }

 private:
  [[noreturn]] static void Die(const char* why) {
    std::fprintf(stderr, "bench_server_load: %s\n", why);
    std::exit(1);
  }
  QString PreparePostgres(int rows) {
    QString why;
    bool unavailable = false;
    postgres_ = std::make_unique<test::PostgresServer>();
    if (!postgres_->Start(why, unavailable)) Die(qPrintable(why));
    const QString sqlite = folder_.filePath(QStringLiteral("synthetic.db"));
    test::WriteSyntheticDictionary(sqlite, rows);
    postgres_->CreateDatabase(QStringLiteral("ravlek"));
    {
      QSqlDatabase db = postgres_->Connect(QStringLiteral("ravlek"), QStringLiteral("load"));
      test::CopyDictionaryToPostgres(sqlite, db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("load"));
    QFile::remove(sqlite);
    postgres_->WriteConnectionDefs(folder_.path(), QStringLiteral("ravlek"));
    for (const char* table : {"pingshui_groups.tsv", "pingshui_variants.tsv"}) {
      QFile::copy(QStringLiteral(RAVLEK_APP_DIR "/") + QLatin1String(table),
                  folder_.filePath(QLatin1String(table)));
    }
    return folder_.path();
  }

  std::unique_ptr<test::PostgresServer> postgres_;
  QTemporaryDir folder_;
  QProcess process_;
  int port_ = 0;
};

Server* server = nullptr;

enum class Kind { Lookup, Poem };

void BM_Load(benchmark::State& state, Kind kind) {
  const int clients = int(state.range(0));
  const auto duration = std::chrono::seconds(LoadSeconds());
  for (auto _ : state) {
    const qint64 before = server->Resident();
    std::atomic<long> errors{0};
    std::atomic<long> resent{0};
    std::mutex firstErrorMutex;
    std::string firstError;
    std::vector<std::vector<double>> latencies(static_cast<size_t>(clients));
    std::vector<std::thread> threads;
    const Clock::time_point start = Clock::now();
    const Clock::time_point end = start + duration;
    for (int c = 0; c < clients; ++c) {
      threads.emplace_back([&, c] {
        httplib::Client client("127.0.0.1", server->Port());
        client.set_keep_alive(true);
        // As browsers do: a POST's body leaves at once, not after the server's acknowledgement.
        client.set_tcp_nodelay(true);
        client.set_read_timeout(60, 0);
        std::vector<double>& mine = latencies[size_t(c)];
        for (size_t i = size_t(c); Clock::now() < end; ++i) {
          const Clock::time_point sent = Clock::now();
          const auto send = [&] {
            return kind == Kind::Lookup ? client.Get(kLookups[i % std::size(kLookups)])
                                        : client.Post("/api/convert", kPoem, "application/json");
          };
          auto result = send();
          // A kept-alive connection that the server closed for silence just as the request left
          // on it: sent again on a new one, as browsers do.
          if (!result && result.error() == httplib::Error::Read) {
            ++resent;
            result = send();
          }
          mine.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
          if (!result || result->status != 200) {
            if (++errors == 1) {
              std::lock_guard lock(firstErrorMutex);
              firstError = result ? std::to_string(result->status) + " " + result->body
                                  : httplib::to_string(result.error());
            }
          }
        }
      });
    }
    for (std::thread& thread : threads) thread.join();
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    state.SetIterationTime(elapsed);
    std::vector<double> all;
    for (const auto& mine : latencies) all.insert(all.end(), mine.begin(), mine.end());
    std::sort(all.begin(), all.end());
    const auto at = [&all](double q) {
      return all.empty() ? 0.0 : all[std::min(all.size() - 1, size_t(q * double(all.size())))];
    };
    state.counters["req_per_s"] = double(all.size()) / elapsed;
    state.counters["p50_ms"] = at(0.50);
    state.counters["p99_ms"] = at(0.99);
    state.counters["errors"] = double(errors.load());
    state.counters["resent"] = double(resent.load());
    state.counters["rss_before_MiB"] = double(before) / 1024;
    state.counters["rss_after_MiB"] = double(server->Resident()) / 1024;
    if (errors.load() > 0) {
      bench::Fail(state,
                  std::to_string(errors.load()) + " requests failed, the first: " + firstError);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  int rows = 0;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rows=", 7) == 0) {
      rows = std::atoi(argv[i] + 7);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  Server running(rows);
  server = &running;
  for (const auto& [name, kind] :
       {std::pair{"BM_Lookup", Kind::Lookup}, std::pair{"BM_PoemConversion", Kind::Poem}}) {
    benchmark::RegisterBenchmark(name, BM_Load, kind)
        ->Arg(1)
        ->Arg(10)
        ->Arg(100)
        ->ArgName("clients")
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  const int status = bench::RunBenchmarks(argc, argv);
  server = nullptr;
  return status;
}
