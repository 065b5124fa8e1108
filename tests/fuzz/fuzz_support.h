#pragma once
// Helpers shared by the fuzz targets: a Qt application object, temporary folders, and a check
// that ends the run with a message (libFuzzer records the input that got there).

#include <QByteArray>
#include <QString>
#include <cstdint>
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

// Writes the input to a file `name` in a folder kept for the whole run and returns its path;
// ends the run when the file cannot be written.
QString InputFile(const QString& name, const uint8_t* data, size_t size);

}  // namespace ravlek::fuzz
