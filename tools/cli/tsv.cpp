#include "tsv.h"

#include "dictionary/dataset.h"
#include "dictionary/rows_tsv.h"

namespace ravlek::cli {

QString DatasetAsTsv(const TFDQuery& dataset, const QStringList& fields) {
  QList<int> rows;
  rows.reserve(dataset.RecordCount());
  for (int row = 0; row < dataset.RecordCount(); ++row) rows.append(row);
  return DatasetRowsAsTsv(dataset, fields, rows, true);
}

}  // namespace ravlek::cli
