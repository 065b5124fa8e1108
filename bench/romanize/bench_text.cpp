#include "bench_text.h"

#include <QRandomGenerator>

#include "app/error.h"
#include "dictionary/datasets.h"
#include "tests/support/synthetic_dictionary.h"

namespace ravlek::bench {

BenchDictionary& SyntheticDictionary() {
  static BenchDictionary* dictionary = [] {
    auto* d = new BenchDictionary;
    d->path = d->dir.filePath(QStringLiteral("synthetic.db"));
    test::WriteSyntheticDictionary(d->path, 100000);
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
    return d;
  }();
  return *dictionary;
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
