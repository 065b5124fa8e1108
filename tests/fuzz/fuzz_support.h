#pragma once
// Helpers shared by the fuzz targets: a Qt application object, temporary folders, and a check
// that ends the run with a message (libFuzzer records the input that got there).

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace ravlek::fuzz {

// Makes the QCoreApplication that Qt's codecs and file functions expect; call once per process.
void StartQt();

// Ends the run, naming what did not hold.
[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

inline void Check(bool condition, const char* what) {
  if (!condition) Fail(what);
}

// Writes bytes to a file; false when it cannot be written.
bool WriteFileBytes(const QString& path, const QByteArray& bytes);

}  // namespace ravlek::fuzz
