#pragma once
// A large, reproducible dictionary for benchmarks and load tests: rows shaped like real ones
// (CJK characters, a few outside the Basic Multilingual Plane, Tâi-lô readings with tone digits,
// the five reading classes, Pingshui rhyme names, multi-line notes). The same seed gives the same
// file on every machine.

#include <QString>

namespace ravlek::test {

// Creates (or replaces) the SQLite file at path with RavlekTable holding rowCount rows, and
// BaseWords / BaseWordsPlus holding one reading per distinct character. Raises ravlek::Error.
void WriteSyntheticDictionary(const QString& path, int rowCount = 100000, quint32 seed = 20240601);

}  // namespace ravlek::test
