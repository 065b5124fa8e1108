// What the release steps add to the start-up when the release server refuses the connection,
// against the same start-up with a release server that answers with signed manifests; and how long
// a server that drips one byte every 25 s can hold the release steps (the 30 s low-speed limit must
// end them; the window shows meanwhile).

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <atomic>
#include <memory>
#include <thread>

#include "base/app_folder.h"
#include "app/window/ostrel.h"
#include "release/version_check.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_release_key.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/own_release_server.h"
#include "tests/support/window/window_test_environment.h"

namespace {

int UnusedPort() {
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

// One start-up of the window in a fresh application folder that already holds the manifests of
// an earlier run; boxes are closed as soon as they show.
void StartOnce(benchmark::State& state, const QString& root) {
  for (auto _ : state) {
    state.PauseTiming();
    ravlek::test::AppFolderFixture app;
    app.WriteFile(ravlek::kLatestManifestFile,
                  ReadAll(app.FilePath(ravlek::kInstalledManifestFile)));
    ravlek::test::CurrentDirGuard guard(app.Path());
    ravlek::test::ModalBoxDismisser boxes(0);
    state.ResumeTiming();
    auto window = std::make_unique<TOstrel>(ravlek::test::TestReleaseSettings(root));
    // The window shows before the release steps end; they are timed to their end.
    window->WaitForStartupFetches();
    state.PauseTiming();
    window.reset();
    state.ResumeTiming();
  }
}

void BM_StartUpReleaseServerRefuses(benchmark::State& state) {
  StartOnce(state, QStringLiteral("http://127.0.0.1:%1").arg(UnusedPort()));
}
BENCHMARK(BM_StartUpReleaseServerRefuses)->Iterations(10)->Unit(benchmark::kMillisecond);

// The test programs' own release server: the installed manifests, signed with the key that the
// release steps check.
void BM_StartUpReleaseServerAnswers(benchmark::State& state) {
  StartOnce(state, ravlek::test::EnsureOwnReleaseServer());
}
BENCHMARK(BM_StartUpReleaseServerAnswers)->Iterations(10)->Unit(benchmark::kMillisecond);

// Every release file is sent one byte every 25 s: never silent for the 30 s stall limit, far
// below 1 KB/s. One start-up, timed whole.
void BM_StartUpReleaseServerDrips(benchmark::State& state) {
  using namespace std::chrono_literals;
  std::atomic<bool> stopping{false};
  httplib::Server server;
  server.Get(".*", [&stopping](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(1000, "text/xml",
                             [&stopping](size_t, size_t, httplib::DataSink& sink) {
                               if (stopping || !sink.is_writable()) return false;
                               sink.write("<", 1);
                               for (int i = 0; i < 250 && !stopping; ++i)
                                 std::this_thread::sleep_for(100ms);
                               return !stopping.load();
                             });
  });
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread thread([&server] { server.listen_after_bind(); });
  while (!server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  StartOnce(state, QStringLiteral("http://127.0.0.1:%1").arg(port));
  stopping = true;
  server.stop();
  thread.join();
}
BENCHMARK(BM_StartUpReleaseServerDrips)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
