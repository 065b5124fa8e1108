// The conversion's speed on the 100,000-row synthetic dictionary and on the shipped open
// dictionary: the indexed conversion of a 100,000-character text, and the
// statement-per-character conversion it replaces.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <vector>

#include "base/characters.h"
#include "bench/bench_rows.h"
#include "bench/run_benchmarks.h"
#include "bench_text.h"
#include "dictionary/class_readings.h"
#include "dictionary/reading_classes.h"
#include "romanize/class_index.h"
#include "romanize/romanizer.h"
#include "tests/support/memory_reading_source.h"
#include "tests/support/statement_romanizer.h"

namespace ravlek::bench {
namespace {

constexpr int kCharacters = 100000;
constexpr ConversionOptions kDefault{};
constexpr ConversionOptions kAllClasses{true, true, true, true};

qsizetype CountCharacters(const QStringList& lines) {
  qsizetype count = 0;
  for (const QString& line : lines) count += CharacterCount(line);
  return count;
}

// A whole run, as a press of the button makes it: the consulted classes' statements run through
// the dataset, their rows indexed, and the text converted.
void RunConversion(benchmark::State& state, const ConversionOptions& options,
                   BenchDictionary& dictionary = SyntheticDictionary()) {
  const QStringList lines = BenchLines(dictionary.characters, kCharacters, 100);
  for (auto _ : state) {
    DatasetClassReadingSource source(*dictionary.conversionQuery);
    benchmark::DoNotOptimize(RomanizeLines(lines, options, source));
  }
  state.counters["chars_per_s"] = benchmark::Counter(double(CountCharacters(lines)),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  state.counters["dictionary_rows"] = RowCount(dictionary);
}

// Presses after the first: the classes kept from the press before (the dictionary unchanged),
// the content stamp still asked for at every press.
void RunConversionKeepingClasses(benchmark::State& state, const ConversionOptions& options) {
  BenchDictionary& dictionary = SyntheticDictionary();
  const QStringList lines = BenchLines(dictionary.characters, kCharacters, 100);
  ClassIndexCache kept;
  for (auto _ : state) {
    DatasetClassReadingSource source(*dictionary.conversionQuery);
    benchmark::DoNotOptimize(Romanizer(source, options, &kept).RomanizeLines(lines));
  }
  state.counters["chars_per_s"] = benchmark::Counter(double(CountCharacters(lines)),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  state.counters["dictionary_rows"] = RowCount(dictionary);
}

void RunConversionOverHeldRows(benchmark::State& state, const ConversionOptions& options,
                               BenchDictionary& dictionary = SyntheticDictionary()) {
  const QStringList lines = BenchLines(dictionary.characters, kCharacters, 100);
  DatasetClassReadingSource datasetSource(*dictionary.conversionQuery);
  // Rows of each class held in memory, so that only indexing and conversion are measured.
  test::MemoryReadingSource held = test::MemoryReadingSource::CopyOf(datasetSource);
  for (auto _ : state) benchmark::DoNotOptimize(RomanizeLines(lines, options, held));
  state.counters["chars_per_s"] = benchmark::Counter(double(CountCharacters(lines)),
                                                     benchmark::Counter::kIsIterationInvariantRate);
  state.counters["dictionary_rows"] = RowCount(dictionary);
}

void BM_Conversion_Default(benchmark::State& state) {
  RunConversion(state, kDefault);
}
void BM_Conversion_AllClasses(benchmark::State& state) {
  RunConversion(state, kAllClasses);
}
void BM_ConversionKeptClasses_Default(benchmark::State& state) {
  RunConversionKeepingClasses(state, kDefault);
}
void BM_ConversionHeldRows_Default(benchmark::State& state) {
  RunConversionOverHeldRows(state, kDefault);
}
void BM_ConversionHeldRows_AllClasses(benchmark::State& state) {
  RunConversionOverHeldRows(state, kAllClasses);
}
// The same over the shipped open dictionary, with a text drawn from its characters.
void BM_ConversionShipped_Default(benchmark::State& state) {
  RunConversion(state, kDefault, ShippedDictionary());
}
void BM_ConversionShipped_AllClasses(benchmark::State& state) {
  RunConversion(state, kAllClasses, ShippedDictionary());
}
void BM_ConversionShippedHeldRows_Default(benchmark::State& state) {
  RunConversionOverHeldRows(state, kDefault, ShippedDictionary());
}
void BM_ConversionShippedHeldRows_AllClasses(benchmark::State& state) {
  RunConversionOverHeldRows(state, kAllClasses, ShippedDictionary());
}

// The same text's first 1,000 characters, one statement per class and character.
void BM_StatementPerCharacter_Default(benchmark::State& state) {
  BenchDictionary& dictionary = SyntheticDictionary();
  const QStringList lines = BenchLines(dictionary.characters, 1000, 100);
  for (auto _ : state)
    for (const QString& line : lines)
      benchmark::DoNotOptimize(
          RomanizeLineByStatements(*dictionary.conversionQuery, line, kDefault));
  state.counters["chars_per_s"] = benchmark::Counter(double(CountCharacters(lines)),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_Conversion_Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Conversion_AllClasses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionKeptClasses_Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionHeldRows_Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionHeldRows_AllClasses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionShipped_Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionShipped_AllClasses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionShippedHeldRows_Default)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConversionShippedHeldRows_AllClasses)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StatementPerCharacter_Default)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace ravlek::bench

int main(int argc, char** argv) {
  ravlek::bench::TakeBenchRows(argc, argv);
  QCoreApplication app(argc, argv);
  return ravlek::bench::RunBenchmarks(argc, argv);
}
