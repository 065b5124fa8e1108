// ravlek-cli romanize against OpenCC (opencc -c t2s.json, Debian's opencc) on the same text: every
// line of the 57,607 Tang poems, poems separated by an empty line (11.3 MB), over the open
// dictionary, the metre on. Each iteration runs OpenCC, then ravlek-cli, then ravlek-cli with the
// metre off (a folder holding the dictionary and its connection file without the Pingshui tables);
// x_opencc is the ratio of the CPU times summed over the iterations, x_opencc_no_metre the same
// without the metre.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "bench/process_usage.h"
#include "bench/run_benchmarks.h"
#include "build_paths.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::bench {
namespace {

struct Files {
  Files() {
    QFile input(text);
    if (input.open(QIODevice::WriteOnly)) {
      input.write((test::QuanTangShiPoemLines().join(u'\n') + u'\n').toUtf8());
    }
    // The application folder without the Pingshui tables, so that the metre is off.
    QDir().mkpath(noMetre);
    for (const char* name : {"Ravlek.db", "FDConnectionDefs.ini"}) {
      QFile::copy(QDir(QStringLiteral(RAVLEK_DEFAULT_APP_DIR)).filePath(QLatin1String(name)),
                  QDir(noMetre).filePath(QLatin1String(name)));
    }
  }
  QTemporaryDir dir;
  QString text = dir.filePath(QStringLiteral("quantangshi_poems.txt"));
  QString noMetre = dir.filePath(QStringLiteral("no-metre"));
};

void BM_CliRomanizeAgainstOpenCC_QuanTangShiPoems(benchmark::State& state) {
  if (!test::HaveSharedData()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  static Files files;
  const QString output = files.dir.filePath(QStringLiteral("opencc.out"));
  double ours = 0, anchor = 0, plain = 0, oursPeak = 0, anchorPeak = 0;
  for (auto _ : state) {
    const Usage a = Run(QStringLiteral("opencc"),
                        {QStringLiteral("-c"), QStringLiteral("t2s.json"), QStringLiteral("-i"),
                         files.text, QStringLiteral("-o"), output});
    const Usage o = Run(QStringLiteral(RAVLEK_CLI_PATH),
                        {QStringLiteral("--app-dir"), QStringLiteral(RAVLEK_DEFAULT_APP_DIR),
                         QStringLiteral("romanize"), files.text});
    const Usage p =
        Run(QStringLiteral(RAVLEK_CLI_PATH),
            {QStringLiteral("--app-dir"), files.noMetre, QStringLiteral("romanize"), files.text});
    if (!a.ok || !o.ok || !p.ok) {
      Fail(state, a.ok ? "ravlek-cli romanize failed"
                       : "opencc failed (the opencc package; scripts/setup installs it)");
      break;
    }
    state.SetIterationTime(o.cpuSeconds);
    ours += o.cpuSeconds;
    anchor += a.cpuSeconds;
    plain += p.cpuSeconds;
    oursPeak = std::max(oursPeak, o.peakMiB);
    anchorPeak = std::max(anchorPeak, a.peakMiB);
  }
  const double n = static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["opencc_cpu_s"] = anchor / n;
  state.counters["no_metre_cpu_s"] = plain / n;
  state.counters["x_opencc"] = anchor > 0 ? ours / anchor : 0;
  state.counters["x_opencc_no_metre"] = anchor > 0 ? plain / anchor : 0;
  state.counters["peak_MiB"] = oursPeak;
  state.counters["opencc_peak_MiB"] = anchorPeak;
}

BENCHMARK(BM_CliRomanizeAgainstOpenCC_QuanTangShiPoems)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
