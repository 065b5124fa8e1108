#pragma once
// The rows of a dataset's last run, held in memory column by column, and the reading of them from
// the database (through SQLite's own interface where Qt's driver uses the system's SQLite).

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <vector>

#include "dictionary/held_rows.h"

namespace ravlek {

struct HeldRows {
  std::vector<HeldColumn> columns;     // the statement's fields, in column order
  std::vector<HeldColumn> keyColumns;  // the hidden key columns, first in the statement as run
  QStringList fieldNames;
  QHash<QString, int> fieldByLowerName;
  int rowCount = 0;

  int FieldIndex(const QString& field) const { return fieldByLowerName.value(field.toLower(), -1); }
  // Empty columns of these names; the first keyCount are the hidden key columns.
  // Returns the columns in the order of `names`: the key columns first.
  std::vector<HeldColumn*> SetColumns(const QStringList& names, int keyCount);
  void Clear();
  // Gives back the room the columns grew beyond their values; for the end of a read.
  void Squeeze();
};

// Runs the statement and holds its rows; false with the engine's message when it fails.
bool ReadRows(QSqlDatabase& db, const QString& sql, int keyCount, HeldRows& rows, QString& error);

}  // namespace ravlek
