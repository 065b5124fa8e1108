#include "dictionary/filter_sql.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <algorithm>
#include <vector>

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

// PostgreSQL's LIKE with \\ as its escape: text matched as itself.
QString LikeLiteral(QStringView text) {
  QString like;
  like.reserve(text.size());
  for (const QChar c : text) {
    if (c == u'\\' || c == u'%' || c == u'_') like += u'\\';
    like += c;
  }
  return like;
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

// SQLite's parser keeps a fixed stack (about 100 states) and its expression trees a fixed depth
// (1000): a deeper condition is refused, or costs the stack that a long chain nested one level per
// term would. Conditions are written flat, and one that would still come near those bounds is left
// to the held filter, which reads chains of any length.
constexpr int kMostSqlNesting = 16;
constexpr int kMostSqlDepth = 400;

struct SqlCondition {
  QString text;
  int depth = 1;  // of the tree SQLite builds for it
};

// The operands of the chain of one operator headed by index, in text order: a or b or c is one
// chain of three, however the parser grouped it.
std::vector<int> ChainOperands(const FilterExpression& expression, int index) {
  const auto& nodes = expression.Nodes();
  const FilterExpression::Kind kind = nodes[static_cast<size_t>(index)].kind;
  std::vector<int> operands;
  std::vector<int> todo{index};
  while (!todo.empty()) {
    const int i = todo.back();
    todo.pop_back();
    const FilterExpression::Node& node = nodes[static_cast<size_t>(i)];
    if (node.kind == kind) {
      todo.push_back(node.right);
      todo.push_back(node.left);
    } else {
      operands.push_back(i);
    }
  }
  return operands;
}

// The field as the held rows find it: the first of that name in any letter case; -1 if none.
qsizetype FieldIndex(const QStringList& textFields, const QString& name) {
  for (qsizetype i = 0; i < textFields.size(); ++i) {
    if (textFields[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  }
  return -1;
}

QString Column(const QStringList& textFields, qsizetype field) {
  return QLatin1Char('"') + QString(textFields[field]).replace(u'"', QStringLiteral("\"\"")) +
         QLatin1Char('"');
}

// SQLite's GLOB reads a value only up to a NUL character, where the held filter reads all of it:
// such a value passes the condition, and the held filter, run over what SQLite gives, decides.
QString WithNul(const QString& column) {
  return QStringLiteral("instr(%1, char(0)) > 0").arg(column);
}

bool IsExactEqual(const FilterExpression::Node& node) {
  return node.kind == FilterExpression::Kind::Equal && !node.literal.endsWith(u'*');
}

// PostgreSQL compares in the "C" collation, byte for byte as the held rows do, whatever collation
// the column has; its LIKE's _ is one character of UTF-8 (OpenFiltered checks the encoding).
SqlCondition PostgresLeaf(const FilterExpression::Node& node, const QString& column) {
  const QString& literal = node.literal;
  const QString compared = column + QStringLiteral(R"( COLLATE "C")");
  if (node.kind == FilterExpression::Kind::Equal) {
    if (!literal.endsWith(u'*')) return {compared + QStringLiteral(" = ") + QuotedStr(literal)};
    const QStringView prefix = QStringView(literal).chopped(1);
    if (prefix.isEmpty()) return {compared + QStringLiteral(" <> ''")};
    return {compared + QStringLiteral(" LIKE ") + QuotedStr(LikeLiteral(prefix) + u'%') +
            QStringLiteral(R"( ESCAPE '\')")};
  }
  if (literal == QLatin1String("%")) return {column + QStringLiteral(" IS NOT NULL")};
  QString pattern;
  for (const QChar c : literal) {
    pattern += c == u'%' || c == u'_' ? QString(c) : LikeLiteral(QStringView(&c, 1));
  }
  return {
      QStringLiteral(R"((%1 <> '' AND %1 LIKE %2 ESCAPE '\'))").arg(compared, QuotedStr(pattern)),
      2};
}

SqlCondition Leaf(const FilterExpression::Node& node, const QStringList& textFields,
                  SqlDialect dialect, bool& ok) {
  const qsizetype field = FieldIndex(textFields, node.field);
  if (field < 0 || !Answerable(node.literal)) {
    ok = false;
    return {};
  }
  const QString column = Column(textFields, field);
  if (dialect == SqlDialect::Postgres) return PostgresLeaf(node, column);
  const QString& literal = node.literal;
  if (node.kind == FilterExpression::Kind::Equal) {
    if (!literal.endsWith(u'*')) return {column + QStringLiteral(" = ") + QuotedStr(literal)};
    // A partial value: a non-empty value beginning with the rest.
    const QStringView prefix = QStringView(literal).chopped(1);
    if (prefix.isEmpty()) return {column + QStringLiteral(" <> ''")};
    // The GLOB sees a value up to its first NUL, the prefix has none: it agrees with the held
    // filter, and the column's index serves it.
    return {column + QStringLiteral(" GLOB ") + QuotedStr(GlobLiteral(prefix) + u'*')};
  }
  if (literal == QLatin1String("%")) return {column + QStringLiteral(" IS NOT NULL")};
  // Every other pattern passes non-empty values only.
  return {QStringLiteral("(%1 <> '' AND (%1 GLOB %2 OR %3))")
              .arg(column, QuotedStr(GlobOfLike(literal)), WithNul(column)),
          2};
}

SqlCondition Condition(const FilterExpression& expression, int index, const QStringList& textFields,
                       SqlDialect dialect, int nesting, bool& ok) {
  const auto& nodes = expression.Nodes();
  const FilterExpression::Node& node = nodes[static_cast<size_t>(index)];
  if (node.kind != FilterExpression::Kind::And && node.kind != FilterExpression::Kind::Or) {
    return Leaf(node, textFields, dialect, ok);
  }
  if (nesting >= kMostSqlNesting) {
    ok = false;
    return {};
  }
  const bool isOr = node.kind == FilterExpression::Kind::Or;
  const std::vector<int> operands = ChainOperands(expression, index);
  // In a chain of or, the exact values of one field become one IN list, which SQLite reads
  // without nesting however many there are.
  std::vector<QStringList> valuesOfField(static_cast<size_t>(textFields.size()));
  if (isOr) {
    for (const int operand : operands) {
      const FilterExpression::Node& leaf = nodes[static_cast<size_t>(operand)];
      if (!IsExactEqual(leaf) || !Answerable(leaf.literal)) continue;
      const qsizetype field = FieldIndex(textFields, leaf.field);
      if (field >= 0) valuesOfField[static_cast<size_t>(field)].append(QuotedStr(leaf.literal));
    }
  }
  QStringList parts;
  int deepest = 0;
  for (const int operand : operands) {
    const FilterExpression::Node& child = nodes[static_cast<size_t>(operand)];
    if (isOr && IsExactEqual(child) && Answerable(child.literal)) {
      const qsizetype field = FieldIndex(textFields, child.field);
      if (field >= 0) {
        QStringList& values = valuesOfField[static_cast<size_t>(field)];
        if (values.isEmpty()) continue;  // written with the first of its field's values
        if (values.size() > 1) {
          parts.append(
              Column(textFields, field) +
              (dialect == SqlDialect::Postgres ? QStringLiteral(R"( COLLATE "C")") : QString()) +
              QStringLiteral(" IN (") + values.join(QStringLiteral(", ")) + QLatin1Char(')'));
          values.clear();
          deepest = std::max(deepest, 1);
          continue;
        }
      }
    }
    const SqlCondition part = Condition(expression, operand, textFields, dialect, nesting + 1, ok);
    if (!ok) return {};
    parts.append(part.text);
    deepest = std::max(deepest, part.depth);
  }
  const int depth = deepest + static_cast<int>(parts.size());
  if (depth > kMostSqlDepth) {
    ok = false;
    return {};
  }
  if (parts.size() == 1) return {parts.front(), deepest};
  return {QLatin1Char('(') + parts.join(isOr ? QStringLiteral(" OR ") : QStringLiteral(" AND ")) +
              QLatin1Char(')'),
          depth};
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

// The text columns (text, varchar) of a PostgreSQL table, in column order; empty when unknown or
// when the server might compare otherwise than the held rows: an encoding other than UTF-8,
// backslashes in string literals that are escapes, a column of another type that shares a text
// column's name in another letter case.
QStringList PostgresTextColumns(TFDConnection& connection, const QString& table) {
  QSqlQuery settings(connection.Database());
  if (!settings.exec(QStringLiteral("SELECT current_setting('server_encoding'), "
                                    "current_setting('standard_conforming_strings')")) ||
      !settings.next() || settings.value(0).toString() != QLatin1String("UTF8") ||
      settings.value(1).toString() != QLatin1String("on")) {
    return {};
  }
  QSqlQuery query(connection.Database());
  // to_regclass reads the name as the statement does: unquoted, folded to lower case.
  if (!query.exec(QStringLiteral("SELECT attname, format_type(atttypid, atttypmod) "
                                 "FROM pg_attribute WHERE attrelid = to_regclass(%1) "
                                 "AND attnum > 0 AND NOT attisdropped ORDER BY attnum")
                      .arg(QuotedStr(table)))) {
    return {};
  }
  QStringList names;
  QStringList others;
  while (query.next()) {
    const QString type = query.value(1).toString();
    if (type == QLatin1String("text") || type.startsWith(QLatin1String("character varying"))) {
      names.append(query.value(0).toString());
    } else {
      others.append(query.value(0).toString());
    }
  }
  for (const QString& other : others) {
    if (names.contains(other, Qt::CaseInsensitive)) return {};
  }
  return names;
}

// Whether the expression holds a like pattern other than %, which SQLite answers by GLOB.
bool HasPattern(const FilterExpression& expression) {
  return std::any_of(expression.Nodes().cbegin(), expression.Nodes().cend(), [](const auto& node) {
    return node.kind == FilterExpression::Kind::Like && node.literal != QLatin1String("%");
  });
}

}  // namespace

QString FilterAsSqlCondition(const FilterExpression& expression, const QStringList& textFields,
                             SqlDialect dialect) {
  if (expression.Empty()) return QString();
  bool ok = true;
  const SqlCondition condition =
      Condition(expression, expression.Root(), textFields, dialect, 0, ok);
  return ok ? condition.text : QString();
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
  if (!parsed.Empty() && match.hasMatch() && !sorted.match(match.captured(2)).hasMatch()) {
    const QString driver = connection.Database().driverName();
    if (driver == QLatin1String("QSQLITE")) {
      condition = FilterAsSqlCondition(parsed, TextColumns(connection, match.captured(1)));
    } else if (driver == QLatin1String("QPSQL")) {
      condition = FilterAsSqlCondition(parsed, PostgresTextColumns(connection, match.captured(1)),
                                       SqlDialect::Postgres);
    }
  }
  // SQLite's condition for a like pattern may pass more than the held filter does (a value with
  // a NUL character): the held filter then runs over the rows SQLite gives, which are few.
  const bool superset =
      connection.Database().driverName() == QLatin1String("QSQLITE") && HasPattern(parsed);
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
  if (superset) {
    dataset.SetFilter(expression);
    dataset.FilterOn();
  }
}

}  // namespace ravlek
