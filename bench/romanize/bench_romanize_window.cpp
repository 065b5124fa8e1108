// The whole press of 開始轉拼音 in the window (offscreen): 100,000 characters in 1,000 lines
// on the 100,000-row synthetic dictionary, progress bar and output field included, until the
// output field is laid out and painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/window/ostrel.h"
#include "bench/bench_rows.h"
#include "bench/run_benchmarks.h"
#include "bench_text.h"
#include "romanize/window/conversion_page.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek::bench {
namespace {

void BM_ConversionButtonPress(benchmark::State& state) {
  test::WindowInAppFolder started(
      [](const QString& path) { test::WriteSyntheticDictionary(path, BenchRows()); });
  TOstrel& window = started.window();
  window.show();
  window.TntTabControl1->setCurrentWidget(window.TntTabSheet3);
  QApplication::processEvents();
  const QStringList lines = BenchLines(SyntheticDictionary().characters, 100000, 100);
  const QString text = lines.join(u'\n');
  for (auto _ : state) {
    // A freshly pasted text: the field has laid out only what it shows.
    state.PauseTiming();
    window.conversionPage()->TntMemo3->setPlainText(text);
    QApplication::processEvents();
    state.ResumeTiming();
    window.conversionPage()->TntButton1->click();
    // What the user waits for ends when the output field is laid out and painted.
    QApplication::processEvents();
    window.conversionPage()->TntMemo4->viewport()->repaint();
    state.PauseTiming();
    // Wrapped lines give pairs of their own: at least two output lines per input line.
    if (window.conversionPage()->TntMemo4->blockCount() < 2 * lines.size())
      state.SkipWithError("lines missing");
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["chars_per_s"] =
      benchmark::Counter(100000.0, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_ConversionButtonPress)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  ravlek::bench::TakeBenchRows(argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
