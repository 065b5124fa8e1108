#include "tsv.h"

#include "dictionary/dataset.h"

namespace ravlek::cli {

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

QString DatasetAsTsv(const TFDQuery& dataset, const QStringList& fields) {
  QList<int> indexes;
  for (const QString& field : fields) indexes.append(dataset.FieldIndex(field));
  QString out = fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
  for (int row = 0; row < dataset.RecordCount(); ++row) {
    for (qsizetype i = 0; i < indexes.size(); ++i) {
      if (i > 0) out += QLatin1Char('\t');
      out += EscapeTsvValue(dataset.Text(row, indexes[i]));
    }
    out += QLatin1Char('\n');
  }
  return out;
}

}  // namespace ravlek::cli
