#pragma once
// The environment that window tests and benchmarks run in.

namespace ravlek::test {

// Sets the offscreen platform and WebEngine without sandbox; call before the QApplication is
// created.
void PrepareWindowTestEnvironment();

}  // namespace ravlek::test
