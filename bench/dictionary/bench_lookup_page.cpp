// One key press in a lookup field of the real window (offscreen) until the grid and the memos are
// updated and painted, on a 100,000-row dictionary and on the open dictionary the build lays out.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "app/window/ostrel.h"
#include "bench/bench_rows.h"
#include "build_paths.h"
#include "dictionary/dataset.h"
#include "dictionary/window/lookup_page.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/window/window_in_app_folder.h"
#include "tests/support/window/window_test_environment.h"

namespace {

enum class Dictionary { Synthetic, Open };

// The window lives from the first benchmark on its dictionary until the benchmarks move to the
// other dictionary or main() ends, before the application object.
std::unique_ptr<ravlek::test::WindowInAppFolder> g_started;
Dictionary g_startedOn = Dictionary::Synthetic;

ravlek::test::WindowInAppFolder& Started(Dictionary dictionary) {
  if (g_started && g_startedOn != dictionary) g_started.reset();
  if (!g_started) {
    g_started =
        std::make_unique<ravlek::test::WindowInAppFolder>([dictionary](const QString& path) {
          if (dictionary == Dictionary::Synthetic) {
            ravlek::test::WriteSyntheticDictionary(path, ravlek::bench::BenchRows());
          } else {
            QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db"), path);
          }
        });
    g_startedOn = dictionary;
    g_started->window().show();
    QApplication::processEvents();
  }
  return *g_started;
}

void Press(QWidget* field, const QString& text) {
  QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, text, Qt::NoModifier);
  QApplication::processEvents();
}

// Each iteration types `key` after `prefix` into an emptied field; only the key press is timed.
void TypeInto(benchmark::State& state, Dictionary dictionary, QLineEdit* field,
              const QString& prefix, const QString& key) {
  TOstrel& w = Started(dictionary).window();
  qint64 rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    field->clear();
    for (QChar c : prefix) Press(field, QString(c));
    state.ResumeTiming();
    Press(field, key);
    rows += w.FDQueryRavlekTable->RecordCount();
  }
  state.counters["rows_shown"] =
      static_cast<double>(rows) / static_cast<double>(state.iterations());
}

QString FirstValue(Dictionary dictionary, const char* field) {
  TOstrel& w = Started(dictionary).window();
  const ravlek::TFDQuery& rows = *w.FDQueryRavlekTable;
  return rows.Text(0, rows.FieldIndex(QString::fromLatin1(field)));
}

void BM_CharacterField(benchmark::State& state, Dictionary dictionary) {
  TOstrel& w = Started(dictionary).window();
  TypeInto(state, dictionary, w.lookupPage()->TntEdit2, QString(),
           FirstValue(dictionary, "HanWord").left(1));
}

void BM_RomanisationPrefix(benchmark::State& state, Dictionary dictionary) {
  TOstrel& w = Started(dictionary).window();
  TypeInto(state, dictionary, w.lookupPage()->TntEdit1_spell_Search, QStringLiteral("ts"),
           QStringLiteral("a"));
}

void BM_RomanisationFinalRhyme(benchmark::State& state, Dictionary dictionary) {
  TOstrel& w = Started(dictionary).window();
  TypeInto(state, dictionary, w.lookupPage()->TntEdit1_spell_Search, QStringLiteral("an1"),
           QStringLiteral("*"));
}

void BM_RhymeBox(benchmark::State& state, Dictionary dictionary) {
  TOstrel& w = Started(dictionary).window();
  TypeInto(state, dictionary, w.lookupPage()->ComboBox1->lineEdit(), QStringLiteral("上平"),
           QStringLiteral("十"));
}

#define RAVLEK_LOOKUP_BENCHMARKS(name, dictionary)               \
  BENCHMARK_CAPTURE(BM_CharacterField, name, dictionary)         \
      ->Unit(benchmark::kMillisecond)                            \
      ->Repetitions(5)                                           \
      ->ReportAggregatesOnly(true);                              \
  BENCHMARK_CAPTURE(BM_RomanisationPrefix, name, dictionary)     \
      ->Unit(benchmark::kMillisecond)                            \
      ->Repetitions(5)                                           \
      ->ReportAggregatesOnly(true);                              \
  BENCHMARK_CAPTURE(BM_RomanisationFinalRhyme, name, dictionary) \
      ->Unit(benchmark::kMillisecond)                            \
      ->Repetitions(5)                                           \
      ->ReportAggregatesOnly(true);                              \
  BENCHMARK_CAPTURE(BM_RhymeBox, name, dictionary)               \
      ->Unit(benchmark::kMillisecond)                            \
      ->Repetitions(5)                                           \
      ->ReportAggregatesOnly(true)

RAVLEK_LOOKUP_BENCHMARKS(synthetic, Dictionary::Synthetic);
RAVLEK_LOOKUP_BENCHMARKS(open_dictionary, Dictionary::Open);

}  // namespace

int main(int argc, char** argv) {
  ravlek::bench::TakeBenchRows(argc, argv);
  ravlek::test::PrepareWindowTestEnvironment();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_started.reset();
  return 0;
}
