#pragma once
// The row count of the synthetic dictionary a benchmark runs on: --rows=N on the command line
// (taken out before Google Benchmark reads the arguments), else RAVLEK_BENCH_ROWS, else 100,000.
// scripts/bench runs the benchmarks at 10,000, 100,000 and 1,000,000 rows and reports the growth.

#include <cstdlib>
#include <cstring>
#include <string>

namespace ravlek::bench {

inline int& BenchRowsValue() {
  static int rows = 100000;
  return rows;
}

// Reads the row count from the arguments or the environment; call before benchmark::Initialize.
inline void TakeBenchRows(int& argc, char** argv) {
  if (const char* given = std::getenv("RAVLEK_BENCH_ROWS"); given && *given) {
    BenchRowsValue() = std::atoi(given);
  }
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--rows=", 7) == 0) {
      BenchRowsValue() = std::atoi(argv[i] + 7);
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
}

inline int BenchRows() {
  return BenchRowsValue();
}

}  // namespace ravlek::bench
