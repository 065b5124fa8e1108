// ravlek-cli romanize of every title and line of the 57,607 Tang poems, with the shipped phrase
// files and with an application folder that has none, against OpenCC (opencc, traditional to
// simplified) converting the same text in the same run: an outside program that also looks every
// character and phrase of the text up in tables it loads at start. CPU seconds (user + system) and
// peak memory from /usr/bin/time -v; the ratios are what to compare between runs and machines.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "bench/process_usage.h"
#include "bench/run_benchmarks.h"
#include "build_paths.h"
#include "romanize/phrase_files.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::bench {
namespace {

// The application folder without its phrase files: the conversion as it was before them.
QString FolderWithoutPhrases(QTemporaryDir& dir) {
  const QDir app(QStringLiteral(RAVLEK_DEFAULT_APP_DIR));
  for (const QString& name : app.entryList(QDir::Files)) {
    if (name == kClassicalPhraseFile || name == kTerraPhraseFile) continue;
    if (!QFile::copy(app.filePath(name), dir.filePath(name))) return {};
  }
  return dir.path();
}

void BM_RomanizePhrases_QuanTangShi(benchmark::State& state) {
  const QStringList lines = test::QuanTangShiLines();
  if (lines.isEmpty()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  const QString opencc = QStandardPaths::findExecutable(QStringLiteral("opencc"));
  if (opencc.isEmpty()) {
    state.SkipWithError("opencc is not installed (the anchor: the opencc package)");
    return;
  }
  QTemporaryDir dir;
  QTemporaryDir bare;
  const QString inputPath = dir.filePath(QStringLiteral("quantangshi.txt"));
  QFile input(inputPath);
  input.open(QIODevice::WriteOnly);
  input.write((lines.join(u'\n') + u'\n').toUtf8());
  input.close();
  const QString withoutPhrases = FolderWithoutPhrases(bare);
  if (withoutPhrases.isEmpty()) {
    Fail(state, "cannot copy the application folder");
    return;
  }
  const QString cli = QStringLiteral(RAVLEK_CLI_PATH);
  const QString app = QStringLiteral(RAVLEK_DEFAULT_APP_DIR);
  Usage phrases, plain, anchor, oneLine;
  const QString onePath = dir.filePath(QStringLiteral("one.txt"));
  QFile one(onePath);
  one.open(QIODevice::WriteOnly);
  one.write(lines.value(1).toUtf8() + '\n');
  one.close();
  for (auto _ : state) {
    // The smallest of the runs: the figure least disturbed by the rest of the machine.
    const auto keep = [&state](Usage& kept, const Usage& run, const char* what) {
      if (!run.ok) Fail(state, std::string(what) + " failed");
      if (kept.cpuSeconds == 0 || run.cpuSeconds < kept.cpuSeconds)
        kept.cpuSeconds = run.cpuSeconds;
      kept.peakMiB = std::max(kept.peakMiB, run.peakMiB);
    };
    keep(phrases,
         Run(cli, {QStringLiteral("--app-dir"), app, QStringLiteral("romanize"), inputPath}),
         "ravlek-cli romanize");
    keep(plain,
         Run(cli,
             {QStringLiteral("--app-dir"), withoutPhrases, QStringLiteral("romanize"), inputPath}),
         "ravlek-cli romanize without phrase files");
    keep(
        anchor,
        Run(opencc, {QStringLiteral("-c"), QStringLiteral("t2s"), QStringLiteral("-i"), inputPath}),
        "opencc");
    keep(oneLine, Run(cli, {QStringLiteral("--app-dir"), app, QStringLiteral("romanize"), onePath}),
         "ravlek-cli romanize of one line");
  }
  state.counters["cpu_s"] = phrases.cpuSeconds;
  state.counters["cpu_s_without_phrases"] = plain.cpuSeconds;
  state.counters["cpu_s_opencc"] = anchor.cpuSeconds;
  state.counters["x_without_phrases"] = phrases.cpuSeconds / plain.cpuSeconds;
  state.counters["x_opencc"] = phrases.cpuSeconds / anchor.cpuSeconds;
  state.counters["peak_MiB"] = phrases.peakMiB;
  state.counters["peak_MiB_without_phrases"] = plain.peakMiB;
  state.counters["one_line_cpu_s"] = oneLine.cpuSeconds;
}

BENCHMARK(BM_RomanizePhrases_QuanTangShi)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
