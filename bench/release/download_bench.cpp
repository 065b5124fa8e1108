// DownloadFile of a 200 MB archive on loopback with the progress display on, against the curl
// command-line tool fetching the same file in the same run.

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "release/IdHTTPProgress.h"
#include "release/window/download_progress_display.h"

namespace {

constexpr size_t kArchiveSize = 200u << 20;

struct ArchiveServer {
  ArchiveServer() : body(kArchiveSize, '\0') {
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 2654435761u) >> 13);
    server.Get("/archive.zip", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content_provider(body.size(), "application/zip",
                               [this](size_t offset, size_t length, httplib::DataSink& sink) {
                                 sink.write(body.data() + offset,
                                            std::min<size_t>(length, 1 << 20));
                                 return true;
                               });
    });
    port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([this] { server.listen_after_bind(); });
    while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~ArchiveServer() {
    server.stop();
    thread.join();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port) + "/archive.zip"; }

  std::string body;
  httplib::Server server;
  std::thread thread;
  int port = 0;
};

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_DownloadFileWithProgressVsCurl(benchmark::State& state) {
  ArchiveServer server;
  QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/ravlek-bench-XXXXXX"));  // $TMPDIR
  const QString target = folder.filePath(QStringLiteral("upgrade_zip/archive.zip"));
  const std::string curlTarget = folder.filePath(QStringLiteral("curl.zip")).toStdString();
  QProgressBar bar;
  QLabel status;
  bar.show();
  status.show();
  qint64 lastSize = 0;
  ravlek::TIdHTTPProgress client;
  client.SetOnChange([&](ravlek::TIdHTTPProgress* sender) {
    ravlek::ShowDownloadProgress(*sender, bar, status, lastSize);
  });
  const std::string curl = "curl -s -o '" + curlTarget + "' '" + server.url() + "'";
  double ours = 0;
  double theirs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    client.DownloadFile(QString::fromStdString(server.url()), target);
    const auto middle = std::chrono::steady_clock::now();
    if (std::system(curl.c_str()) != 0) state.SkipWithError("curl failed");
    const auto end = std::chrono::steady_clock::now();
    ours += Seconds(middle - start);
    theirs += Seconds(end - middle);
    state.SetIterationTime(Seconds(middle - start));
  }
  const double megabytes = static_cast<double>(kArchiveSize) / 1048576.0 * state.iterations();
  state.counters["ours_MiB_per_s"] = megabytes / ours;
  state.counters["curl_MiB_per_s"] = megabytes / theirs;
  state.counters["ours_vs_curl"] = theirs / ours;
  state.SetBytesProcessed(static_cast<int64_t>(kArchiveSize) * state.iterations());
}
BENCHMARK(BM_DownloadFileWithProgressVsCurl)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
