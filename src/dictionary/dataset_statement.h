#pragma once
// How a dataset's statement is run so that each held row can be tied to its table row: the key
// columns placed first under a hidden alias, and the rows in table order unless the statement
// sorts them itself.

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace ravlek {

// Prefix of the hidden columns that carry each row's key; no dictionary field is named so.
inline constexpr char kKeyAlias[] = "ravlek_row_key_";

struct ShapedStatement {
  QString table;               // the one table the statement reads; empty for any other shape
  QStringList keyExpressions;  // "rowid" or the primary key's fields, escaped; empty with table
  QString keyed;               // the statement with its key columns first, in table order
};

// The table a plain single-table statement reads, or empty when the statement is anything else
// (joins, unions, grouping, DISTINCT), whose rows cannot be tied to one table row.
QString SingleTable(const QString& statement);

// The statement with the key columns placed first under the hidden alias.
QString WithKeyColumns(const QString& statement, const QStringList& keyExpressions);

// The statement as run: without a sort clause of its own its rows come in table order (the key's
// order), whatever index the engine might otherwise scan.
QString InTableOrder(const QString& statement, int keyCount);

// The statement shaped for the database it runs on (the key as the engine names it).
ShapedStatement ShapeStatement(QSqlDatabase& db, const QString& statement);

}  // namespace ravlek
