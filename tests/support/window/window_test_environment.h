#pragma once
// The environment that window tests and benchmarks run in.

namespace ravlek::test {

// Sets the offscreen platform and WebEngine without sandbox and points the release steps at the
// program's own release server; call before the QApplication is created.
void PrepareWindowTestEnvironment();

}  // namespace ravlek::test
