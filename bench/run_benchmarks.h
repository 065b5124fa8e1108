#pragma once
// The body of every benchmark program's main, after its application object exists: Google
// Benchmark reads its own arguments, refuses others, and runs what they select. A benchmark whose
// measured program failed says so through Fail(), and the program then exits 1.

#include <benchmark/benchmark.h>

#include <string>

namespace ravlek::bench {

inline bool& AnyFailed() {
  static bool failed = false;
  return failed;
}

// Ends the benchmark with `why` and makes the program's exit status 1.
inline void Fail(benchmark::State& state, const std::string& why) {
  AnyFailed() = true;
  state.SkipWithError(why.c_str());
}

inline int RunBenchmarks(int& argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return AnyFailed() ? 1 : 0;
}

}  // namespace ravlek::bench
