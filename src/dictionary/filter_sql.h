#pragma once
// A filter expression answered by the database (SQLite or PostgreSQL) instead of over held rows,
// for a reader that needs only the passing rows (the command line): the same rows in the same
// order, without reading the rest.

#include <QString>
#include <QStringList>

namespace ravlek {

class FilterExpression;
class TFDQuery;

// The expression as an SQLite condition over a table whose text-affinity columns are textFields.
// Empty when SQLite might answer differently from the held rows: a field that is not among
// textFields (an unknown field is then reported by the held path), a literal with a lone
// surrogate or a NUL. Equality and the like patterns become GLOB (case-sensitive, a surrogate
// pair one character, as the held filter reads them), which an index on the field serves for a
// prefix.
// For PostgreSQL the comparisons are made in the "C" collation and patterns become LIKE.
enum class SqlDialect { Sqlite, Postgres };
QString FilterAsSqlCondition(const FilterExpression& expression, const QStringList& textFields,
                             SqlDialect dialect = SqlDialect::Sqlite);

// Opens the dataset with the filter on: where it is a plain "select * from Table [where ...]" on
// SQLite or PostgreSQL and the condition can be written in SQL, the statement is narrowed by the
// condition and only the passing rows are read, in table order; otherwise the rows are read and
// filtered in memory. Raises Error as Open and SetFilter do.
void OpenFiltered(TFDQuery& dataset, const QString& expression);

}  // namespace ravlek
