#pragma once
// Writing a dataset's edits of one held row back into its table, by the row's key, refusing to
// overwrite a field that someone else changed after it was read.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

#include "dictionary/dataset_rows.h"

namespace ravlek {

// The edits of one row: field index and text, in the order typed.
using RowEdits = std::vector<std::pair<int, QString>>;

// Writes the edits of held row `row` into `table`, the row found by its key fields. On success
// the held values become the edits and `pending` is emptied. When a field changed since it was
// read, the held values become the table's and the edits that still differ stay in `pending`;
// the refusal is raised as Error(kEditConflictMessage). Other failures raise Error prefixed with
// the dataset's name.
void StoreRowEdits(QSqlDatabase& db, const QString& datasetName, const QString& table,
                   const QStringList& keyFields, HeldRows& rows, int row, RowEdits& pending);

}  // namespace ravlek
