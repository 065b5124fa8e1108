#include "dictionary/rows_tsv.h"

#include "dictionary/dataset.h"

namespace ravlek {

QString EscapeTsvValue(const QString& value) {
  QString escaped;
  escaped.reserve(value.size());
  for (const QChar c : value) {
    switch (c.unicode()) {
      case '\\':
        escaped += QStringLiteral("\\\\");
        break;
      case '\t':
        escaped += QStringLiteral("\\t");
        break;
      case '\r':
        escaped += QStringLiteral("\\r");
        break;
      case '\n':
        escaped += QStringLiteral("\\n");
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

QString TsvLine(const QStringList& values) {
  QString line;
  for (qsizetype i = 0; i < values.size(); ++i) {
    if (i > 0) line += QLatin1Char('\t');
    line += EscapeTsvValue(values[i]);
  }
  return line + QLatin1Char('\n');
}

QString DatasetRowsAsTsv(const TFDQuery& dataset, const QStringList& fields, const QList<int>& rows,
                         bool withHeader) {
  QList<int> indexes;
  for (const QString& field : fields) indexes.append(dataset.FieldIndex(field));
  QString out;
  if (withHeader) out += fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
  QStringList values;
  for (const int row : rows) {
    values.clear();
    for (const int index : indexes) values.append(dataset.Text(row, index));
    out += TsvLine(values);
  }
  return out;
}

}  // namespace ravlek
