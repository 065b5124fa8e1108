// UnzipToFolder of a 100 MB archive of 1,000 members against Info-ZIP "unzip -o", with the
// peak memory of the unpacking.

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "release/unzip.h"

namespace {

constexpr int kMembers = 1000;

// Members of text-like bytes (they deflate to about three quarters), in sub-folders.
QString MakeArchive(const QString& folder) {
  const QString path = folder + QStringLiteral("/bench.zip");
  int error = 0;
  zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  std::mt19937 random(42);
  std::vector<std::string> bodies(kMembers);
  for (int i = 0; i < kMembers; ++i) {
    std::string& body = bodies[static_cast<size_t>(i)];
    body.resize(136 * 1024);
    for (char& c : body) c = static_cast<char>('0' + (random() & 63));
    const std::string name =
        "dir" + std::to_string(i % 10) + "/member" + std::to_string(i) + ".dat";
    zip_source_t* source = zip_source_buffer(archive, body.data(), body.size(), 0);
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index),
                             i % 4 == 0 ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 1);
  }
  zip_close(archive);
  return path;
}

long CurrentRssKb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
  }
  return 0;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BM_UnzipToFolderVsUnzip(benchmark::State& state) {
  QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/ravlek-bench-XXXXXX"));  // $TMPDIR
  // The archive is written by a child process, so that its making leaves no peak in this one.
  const pid_t child = fork();
  if (child == 0) {
    MakeArchive(folder.path());
    _exit(0);
  }
  waitpid(child, nullptr, 0);
  const QString archive = folder.path() + QStringLiteral("/bench.zip");
  const double archiveMiB = static_cast<double>(QFileInfo(archive).size()) / 1048576.0;
  const QString ours = folder.filePath(QStringLiteral("ours"));
  const std::string theirs = folder.filePath(QStringLiteral("theirs")).toStdString();
  const std::string unzip =
      "unzip -o -q '" + archive.toStdString() + "' -d '" + theirs + "' > /dev/null";
  const long baselineKb = CurrentRssKb();
  double oursSeconds = 0;
  double theirsSeconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    ravlek::UnzipToFolder(archive, ours);
    const auto middle = std::chrono::steady_clock::now();
    if (std::system(unzip.c_str()) != 0) state.SkipWithError("unzip failed");
    const auto end = std::chrono::steady_clock::now();
    oursSeconds += Seconds(middle - start);
    theirsSeconds += Seconds(end - middle);
    state.SetIterationTime(Seconds(middle - start));
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["archive_MiB"] = archiveMiB;
  state.counters["peak_rss_above_start_MiB"] =
      static_cast<double>(usage.ru_maxrss - baselineKb) / 1024.0;
  state.counters["peak_rss_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
  state.counters["ours_vs_unzip"] = theirsSeconds / oursSeconds;
  state.counters["ours_MiB_per_s"] = archiveMiB * state.iterations() / oursSeconds;
  state.counters["unzip_MiB_per_s"] = archiveMiB * state.iterations() / theirsSeconds;
}
BENCHMARK(BM_UnzipToFolderVsUnzip)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
