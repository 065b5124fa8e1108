#include "dictionary/filter_sql.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/filter.h"

namespace ravlek {
namespace {

bool Answerable(const QString& literal) {
  return QStringView(literal).isValidUtf16() && !literal.contains(QChar(0));
}

// A GLOB pattern that matches text itself; GLOB's own wildcards stand in brackets.
QString GlobLiteral(QStringView text) {
  QString glob;
  glob.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'*' || c == u'?' || c == u'[') {
      glob += u'[';
      glob += c;
      glob += u']';
    } else {
      glob += c;
    }
  }
  return glob;
}

// A like pattern (% any run, _ one character) as GLOB.
QString GlobOfLike(QStringView pattern) {
  QString glob;
  for (const QChar c : pattern) {
    if (c == u'%') {
      glob += u'*';
    } else if (c == u'_') {
      glob += u'?';
    } else {
      glob += GlobLiteral(QStringView(&c, 1));
    }
  }
  return glob;
}

QString Condition(const FilterExpression& expression, int index, const QStringList& textFields,
                  bool& ok) {
  const FilterExpression::Node& node = expression.Nodes()[static_cast<size_t>(index)];
  if (node.kind == FilterExpression::Kind::And || node.kind == FilterExpression::Kind::Or) {
    const QString left = Condition(expression, node.left, textFields, ok);
    const QString right = Condition(expression, node.right, textFields, ok);
    return QStringLiteral("(%1 %2 %3)")
        .arg(
            left,
            node.kind == FilterExpression::Kind::And ? QStringLiteral("AND") : QStringLiteral("OR"),
            right);
  }
  // The field as the held rows find it: the first of that name in any letter case.
  qsizetype field = -1;
  for (qsizetype i = 0; i < textFields.size() && field < 0; ++i) {
    if (textFields[i].compare(node.field, Qt::CaseInsensitive) == 0) field = i;
  }
  if (field < 0 || !Answerable(node.literal)) {
    ok = false;
    return QString();
  }
  const QString column = QLatin1Char('"') +
                         QString(textFields[field]).replace(u'"', QStringLiteral("\"\"")) +
                         QLatin1Char('"');
  const QString& literal = node.literal;
  if (node.kind == FilterExpression::Kind::Equal) {
    if (!literal.endsWith(u'*')) return column + QStringLiteral(" = ") + QuotedStr(literal);
    // A partial value: a non-empty value beginning with the rest.
    const QStringView prefix = QStringView(literal).chopped(1);
    if (prefix.isEmpty()) return column + QStringLiteral(" <> ''");
    return column + QStringLiteral(" GLOB ") + QuotedStr(GlobLiteral(prefix) + u'*');
  }
  if (literal == QLatin1String("%")) return column + QStringLiteral(" IS NOT NULL");
  // Every other pattern passes non-empty values only.
  return QStringLiteral("(%1 <> '' AND %1 GLOB %2)").arg(column, QuotedStr(GlobOfLike(literal)));
}

// The text-affinity columns of an SQLite table, in column order; empty when unknown.
QStringList TextColumns(TFDConnection& connection, const QString& table) {
  QSqlQuery query(connection.Database());
  if (!query.exec(
          QStringLiteral("SELECT name, type FROM pragma_table_info(%1)").arg(QuotedStr(table)))) {
    return {};
  }
  QStringList names;
  while (query.next()) {
    // SQLite's affinity rules: INT first, then CHAR, CLOB or TEXT.
    const QString type = query.value(1).toString().toUpper();
    if (type.contains(QLatin1String("INT"))) return {};
    if (!type.contains(QLatin1String("CHAR")) && !type.contains(QLatin1String("CLOB")) &&
        !type.contains(QLatin1String("TEXT"))) {
      return {};
    }
    names.append(query.value(0).toString());
  }
  return names;
}

}  // namespace

QString FilterAsSqlCondition(const FilterExpression& expression, const QStringList& textFields) {
  if (expression.Empty()) return QString();
  bool ok = true;
  const QString condition = Condition(expression, expression.Root(), textFields, ok);
  return ok ? condition : QString();
}

void OpenFiltered(TFDQuery& dataset, const QString& expression) {
  static const QRegularExpression plain(
      QStringLiteral(
          R"(^\s*select\s+\*\s+from\s+([A-Za-z_][A-Za-z0-9_]*)(?:\s+where\s+(.*?))?\s*$)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression sorted(
      QStringLiteral(R"(\b(order|limit|offset|group|union|join)\b)"),
      QRegularExpression::CaseInsensitiveOption);
  const FilterExpression parsed = FilterExpression::Parse(expression);
  const QString statement = dataset.SQL();
  const auto match = plain.match(statement);
  TFDConnection& connection = dataset.Connection();
  QString condition;
  if (!parsed.Empty() && match.hasMatch() && !sorted.match(match.captured(2)).hasMatch() &&
      connection.Database().driverName() == QLatin1String("QSQLITE")) {
    condition = FilterAsSqlCondition(parsed, TextColumns(connection, match.captured(1)));
  }
  if (condition.isEmpty()) {
    dataset.Open();
    dataset.FilterOff();
    dataset.SetFilter(expression);
    dataset.FilterOn();
    return;
  }
  // Without a sort clause the dataset reads its rows in table order, as the held path shows them.
  const QString where = match.captured(2);
  dataset.Close();
  dataset.SetSQL(
      QStringLiteral("select * from %1 where %2")
          .arg(match.captured(1),
               where.isEmpty() ? condition : QStringLiteral("(%1) AND %2").arg(where, condition)));
  dataset.FilterOff();
  dataset.Open();
}

}  // namespace ravlek
