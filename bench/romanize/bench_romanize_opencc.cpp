// ravlek-cli romanize against OpenCC (opencc -c t2s.json, Debian's opencc) on the same text: every
// line of the 57,607 Tang poems, poems separated by an empty line (11.3 MB), over the open
// dictionary, the metre and the shipped phrase files on. OpenCC also looks every character and
// phrase of the text up in tables it loads at start. Each iteration runs OpenCC, then ravlek-cli,
// then ravlek-cli on a folder without the phrase files (the metre still on), then on one without
// the Pingshui tables and the phrase files (neither on), then ravlek-cli on one line (what loading
// the tables costs). CPU seconds (user + system) and peak memory from /usr/bin/time -v; x_opencc
// is the ratio of the CPU times summed over the iterations, x_opencc_no_metre the same with
// neither on, x_without_phrases ours against ours without the phrase files.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>

#include "bench/process_usage.h"
#include "bench/run_benchmarks.h"
#include "build_paths.h"
#include "romanize/phrase_files.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::bench {
namespace {

// A copy of the application folder with only the files `keep` accepts.
QString CopiedFolder(const QString& to, bool (*keep)(const QString& name)) {
  const QDir app(QStringLiteral(RAVLEK_DEFAULT_APP_DIR));
  QDir().mkpath(to);
  for (const QString& name : app.entryList(QDir::Files)) {
    if (keep(name)) QFile::copy(app.filePath(name), QDir(to).filePath(name));
  }
  return to;
}

struct Files {
  Files() {
    const QStringList lines = test::QuanTangShiPoemLines();
    QFile input(text);
    if (input.open(QIODevice::WriteOnly)) input.write((lines.join(u'\n') + u'\n').toUtf8());
    QFile one(oneLine);
    if (one.open(QIODevice::WriteOnly)) one.write(lines.value(1).toUtf8() + '\n');
  }
  QTemporaryDir dir;
  QString text = dir.filePath(QStringLiteral("quantangshi_poems.txt"));
  QString oneLine = dir.filePath(QStringLiteral("one_line.txt"));
  // The metre on, the phrase files left out.
  QString noPhrases = CopiedFolder(
      dir.filePath(QStringLiteral("no-phrases")),
      [](const QString& n) { return n != kClassicalPhraseFile && n != kTerraPhraseFile; });
  // The dictionary and its connection file alone: neither the metre nor the phrases.
  QString noMetre = CopiedFolder(dir.filePath(QStringLiteral("no-metre")), [](const QString& n) {
    return n == QLatin1String("Ravlek.db") || n == QLatin1String("FDConnectionDefs.ini");
  });
};

Usage Romanize(const QString& appDir, const QString& text) {
  return Run(QStringLiteral(RAVLEK_CLI_PATH),
             {QStringLiteral("--app-dir"), appDir, QStringLiteral("romanize"), text});
}

void BM_CliRomanizeAgainstOpenCC_QuanTangShiPoems(benchmark::State& state) {
  if (!test::HaveSharedData()) {
    state.SkipWithError("the shared data folder is absent");
    return;
  }
  static Files files;
  const QString app = QStringLiteral(RAVLEK_DEFAULT_APP_DIR);
  const QString output = files.dir.filePath(QStringLiteral("opencc.out"));
  double ours = 0, anchor = 0, noPhrases = 0, plain = 0, oneLine = 0;
  double oursPeak = 0, noPhrasesPeak = 0, anchorPeak = 0;
  for (auto _ : state) {
    const Usage a = Run(QStringLiteral("opencc"),
                        {QStringLiteral("-c"), QStringLiteral("t2s.json"), QStringLiteral("-i"),
                         files.text, QStringLiteral("-o"), output});
    const Usage o = Romanize(app, files.text);
    const Usage n = Romanize(files.noPhrases, files.text);
    const Usage p = Romanize(files.noMetre, files.text);
    const Usage l = Romanize(app, files.oneLine);
    if (!a.ok || !o.ok || !n.ok || !p.ok || !l.ok) {
      Fail(state, a.ok ? "ravlek-cli romanize failed"
                       : "opencc failed (the opencc package; scripts/setup installs it)");
      break;
    }
    state.SetIterationTime(o.cpuSeconds);
    ours += o.cpuSeconds;
    anchor += a.cpuSeconds;
    noPhrases += n.cpuSeconds;
    plain += p.cpuSeconds;
    oneLine += l.cpuSeconds;
    oursPeak = std::max(oursPeak, o.peakMiB);
    noPhrasesPeak = std::max(noPhrasesPeak, n.peakMiB);
    anchorPeak = std::max(anchorPeak, a.peakMiB);
  }
  const double runs =
      static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
  state.counters["opencc_cpu_s"] = anchor / runs;
  state.counters["no_phrases_cpu_s"] = noPhrases / runs;
  state.counters["no_metre_cpu_s"] = plain / runs;
  state.counters["one_line_cpu_s"] = oneLine / runs;
  state.counters["x_opencc"] = anchor > 0 ? ours / anchor : 0;
  state.counters["x_opencc_no_metre"] = anchor > 0 ? plain / anchor : 0;
  state.counters["x_without_phrases"] = noPhrases > 0 ? ours / noPhrases : 0;
  state.counters["peak_MiB"] = oursPeak;
  state.counters["peak_MiB_without_phrases"] = noPhrasesPeak;
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
