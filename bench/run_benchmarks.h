#pragma once
// The body of every benchmark program's main, after its application object exists: Google
// Benchmark reads its own arguments, refuses others, and runs what they select.

#include <benchmark/benchmark.h>

namespace ravlek::bench {

inline int RunBenchmarks(int& argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

}  // namespace ravlek::bench
