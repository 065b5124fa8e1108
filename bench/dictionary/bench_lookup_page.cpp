// One key press in a lookup field of the real window (offscreen) until the grid and the memos are
// updated and painted, on a 100,000-row dictionary.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <memory>

#include "app/window/ostrel.h"
#include "dictionary/dataset.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/window/window_in_app_folder.h"
#include "tests/support/window/window_test_environment.h"

namespace {

// The window lives from the first benchmark until main() ends, before the application object.
std::unique_ptr<ravlek::test::WindowInAppFolder> g_started;

ravlek::test::WindowInAppFolder& Started() {
  if (!g_started) {
    g_started = std::make_unique<ravlek::test::WindowInAppFolder>(
        [](const QString& path) { ravlek::test::WriteSyntheticDictionary(path, 100000); });
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
void TypeInto(benchmark::State& state, QLineEdit* field, const QString& prefix,
              const QString& key) {
  TOstrel& w = Started().window();
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

QString FirstValue(const char* field) {
  TOstrel& w = Started().window();
  const ravlek::TFDQuery& rows = *w.FDQueryRavlekTable;
  return rows.Text(0, rows.FieldIndex(QString::fromLatin1(field)));
}

void BM_CharacterField(benchmark::State& state) {
  TOstrel& w = Started().window();
  TypeInto(state, w.TntEdit2, QString(), FirstValue("HanWord").left(1));
}

void BM_RomanisationPrefix(benchmark::State& state) {
  TOstrel& w = Started().window();
  TypeInto(state, w.TntEdit1_spell_Search, QStringLiteral("ts"), QStringLiteral("a"));
}

void BM_RomanisationFinalRhyme(benchmark::State& state) {
  TOstrel& w = Started().window();
  TypeInto(state, w.TntEdit1_spell_Search, QStringLiteral("an1"), QStringLiteral("*"));
}

void BM_RhymeBox(benchmark::State& state) {
  TOstrel& w = Started().window();
  TypeInto(state, w.ComboBox1->lineEdit(), QStringLiteral("上平"), QStringLiteral("十"));
}

BENCHMARK(BM_CharacterField)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RomanisationPrefix)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RomanisationFinalRhyme)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_RhymeBox)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  g_started.reset();
  return 0;
}
