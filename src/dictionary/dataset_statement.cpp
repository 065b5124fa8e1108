#include "dictionary/dataset_statement.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlIndex>

namespace ravlek {

QString SingleTable(const QString& statement) {
  static const QRegularExpression shape(
      QStringLiteral(
          R"(^\s*select\s+(.+?)\s+from\s+([A-Za-z_][A-Za-z0-9_]*)\s*(\bwhere\b.*|\border\b.*)?$)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression unsafe(
      QStringLiteral(R"(\b(distinct|join|union|group|intersect|except)\b)"),
      QRegularExpression::CaseInsensitiveOption);
  const auto match = shape.match(statement);
  if (!match.hasMatch() || unsafe.match(statement).hasMatch()) return QString();
  return match.captured(2);
}

QString WithKeyColumns(const QString& statement, const QStringList& keyExpressions) {
  static const QRegularExpression select(QStringLiteral(R"(^\s*select\s+)"),
                                         QRegularExpression::CaseInsensitiveOption);
  const auto match = select.match(statement);
  QString columns;
  for (int i = 0; i < keyExpressions.size(); ++i) {
    columns +=
        QStringLiteral("%1 AS %2%3, ").arg(keyExpressions[i], QLatin1String(kKeyAlias)).arg(i);
  }
  return statement.left(match.capturedEnd()) + columns + statement.mid(match.capturedEnd());
}

// The statement's own text is unchanged.
QString InTableOrder(const QString& statement, int keyCount) {
  static const QRegularExpression literal(QStringLiteral(R"('(?:[^']|'')*')"));
  static const QRegularExpression ordered(QStringLiteral(R"(\b(order\s+by|limit|offset)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
  if (keyCount == 0 || ordered.match(QString(statement).remove(literal)).hasMatch()) {
    return statement;
  }
  QString body = statement;
  while (!body.isEmpty() && (body.back().isSpace() || body.back() == QLatin1Char(';'))) {
    body.chop(1);
  }
  QStringList keys;
  for (int i = 0; i < keyCount; ++i) keys.append(QLatin1String(kKeyAlias) + QString::number(i));
  return body + QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
}

ShapedStatement ShapeStatement(QSqlDatabase& db, const QString& statement) {
  ShapedStatement shaped;
  shaped.table = SingleTable(statement);
  shaped.keyed = statement;
  if (shaped.table.isEmpty()) return shaped;
  QSqlDriver* driver = db.driver();
  QSqlIndex primary = db.primaryIndex(shaped.table);
  // PostgreSQL folds an unquoted name to lower case, which Qt's lookup of the key does not.
  if (primary.isEmpty() && db.driverName() == QLatin1String("QPSQL")) {
    primary = db.primaryIndex(shaped.table.toLower());
  }
  for (int i = 0; i < primary.count(); ++i) {
    shaped.keyExpressions.append(
        driver->escapeIdentifier(primary.fieldName(i), QSqlDriver::FieldName));
  }
  if (shaped.keyExpressions.isEmpty()) shaped.keyExpressions.append(QStringLiteral("rowid"));
  // Without a sort clause the rows come in the table's order whatever the engine would do:
  // SQLite may scan an index a user added, and a server such as PostgreSQL returns a row it has
  // updated at the end.
  shaped.keyed = InTableOrder(WithKeyColumns(statement, shaped.keyExpressions),
                              static_cast<int>(shaped.keyExpressions.size()));
  return shaped;
}

}  // namespace ravlek
