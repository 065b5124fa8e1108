#pragma once
// The benchmarks' dictionaries (the 100,000-row synthetic one, made once per process, and the
// shipped open dictionary) and texts
// drawn from its characters.

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"

namespace ravlek::bench {

struct BenchDictionary {
  QTemporaryDir dir;
  QString path;
  TFDConnection connection;
  std::unique_ptr<TFDQuery> conversionQuery;  // FDQuerySQLRavlekTable
  QStringList characters;                     // the distinct characters of BaseWords
};

// Made on first use: the synthetic dictionary in a temporary folder, opened.
BenchDictionary& SyntheticDictionary();

// Made on first use: a copy of the built open dictionary (the application folder's Ravlek.db),
// opened.
BenchDictionary& ShippedDictionary();

// The number of rows of the dictionary's RavlekTable.
int RowCount(BenchDictionary& dictionary);

// `characters` characters in lines of `perLine`: dictionary characters with some punctuation and
// blanks, the same text on every call.
QStringList BenchLines(const QStringList& characters, int total, int perLine);

}  // namespace ravlek::bench
