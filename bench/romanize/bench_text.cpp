#include "bench_text.h"

#include <QFile>
#include <QRandomGenerator>

#include "base/error.h"
#include "bench/bench_rows.h"
#include "dictionary/datasets.h"
#include "tests/support/synthetic_dictionary.h"

namespace ravlek::bench {

namespace {

// Opens the dictionary at d's path and lists the characters of its BaseWords.
void OpenBenchDictionary(BenchDictionary* d) {
  if (!d->connection.OpenSqliteFile(d->path).ok()) throw Error(QStringLiteral("cannot open"));
  d->conversionQuery =
      std::make_unique<TFDQuery>(d->connection, QStringLiteral("FDQuerySQLRavlekTable"),
                                 DatasetStatement(QStringLiteral("FDQuerySQLRavlekTable")));
  TFDQuery baseWords(d->connection, QStringLiteral("FDQueryBaseWords"),
                     DatasetStatement(QStringLiteral("FDQueryBaseWords")));
  baseWords.Open();
  const int hanWord = baseWords.FieldIndex(QStringLiteral("HanWord"));
  for (int i = 0; i < baseWords.RecordCount(); ++i)
    d->characters.append(baseWords.Text(i, hanWord));
}

}  // namespace

BenchDictionary& SyntheticDictionary() {
  static BenchDictionary* dictionary = [] {
    auto* d = new BenchDictionary;
    d->path = d->dir.filePath(QStringLiteral("synthetic.db"));
    test::WriteSyntheticDictionary(d->path, BenchRows());
    OpenBenchDictionary(d);
    return d;
  }();
  return *dictionary;
}

BenchDictionary& ShippedDictionary() {
  static BenchDictionary* dictionary = [] {
    auto* d = new BenchDictionary;
    // A copy, so that nothing the benchmark does can touch the built application folder.
    d->path = d->dir.filePath(QStringLiteral("Ravlek.db"));
    if (!QFile::copy(QStringLiteral(RAVLEK_OPEN_DICTIONARY_DB), d->path)) {
      throw Error(QStringLiteral("cannot copy %1").arg(QStringLiteral(RAVLEK_OPEN_DICTIONARY_DB)));
    }
    OpenBenchDictionary(d);
    return d;
  }();
  return *dictionary;
}

int RowCount(BenchDictionary& dictionary) {
  TFDQuery all(dictionary.connection, QStringLiteral("RowCount"),
               QStringLiteral("SELECT count(*) AS n FROM RavlekTable"));
  all.Open();
  return all.Text(0, 0).toInt();
}

QStringList BenchLines(const QStringList& characters, int total, int perLine) {
  QRandomGenerator random(1234);
  const QStringList others = {QStringLiteral("，"), QStringLiteral("。"), QStringLiteral(" "),
                              QStringLiteral("x")};
  QStringList lines;
  QString line;
  for (int i = 0; i < total; ++i) {
    line += random.bounded(20) == 0 ? others[random.bounded(others.size())]
                                    : characters[random.bounded(characters.size())];
    if ((i + 1) % perLine == 0) {
      lines.append(line);
      line.clear();
    }
  }
  if (!line.isEmpty()) lines.append(line);
  return lines;
}

}  // namespace ravlek::bench
