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

bool IsExactEqual(const FilterExpression::Node& node) {
  return node.kind == FilterExpression::Kind::Equal && !node.literal.endsWith(u'*');
}

SqlCondition Leaf(const FilterExpression::Node& node, const QStringList& textFields, bool& ok) {
  const qsizetype field = FieldIndex(textFields, node.field);
  if (field < 0 || !Answerable(node.literal)) {
    ok = false;
    return {};
  }
  const QString column = Column(textFields, field);
  const QString& literal = node.literal;
  if (node.kind == FilterExpression::Kind::Equal) {
    if (!literal.endsWith(u'*')) return {column + QStringLiteral(" = ") + QuotedStr(literal)};
    // A partial value: a non-empty value beginning with the rest.
    const QStringView prefix = QStringView(literal).chopped(1);
    if (prefix.isEmpty()) return {column + QStringLiteral(" <> ''")};
    return {column + QStringLiteral(" GLOB ") + QuotedStr(GlobLiteral(prefix) + u'*')};
  }
  if (literal == QLatin1String("%")) return {column + QStringLiteral(" IS NOT NULL")};
  // Every other pattern passes non-empty values only.
  return {QStringLiteral("(%1 <> '' AND %1 GLOB %2)").arg(column, QuotedStr(GlobOfLike(literal))),
          2};
}

SqlCondition Condition(const FilterExpression& expression, int index, const QStringList& textFields,
                       int nesting, bool& ok) {
  const auto& nodes = expression.Nodes();
  const FilterExpression::Node& node = nodes[static_cast<size_t>(index)];
  if (node.kind != FilterExpression::Kind::And && node.kind != FilterExpression::Kind::Or) {
    return Leaf(node, textFields, ok);
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
          parts.append(Column(textFields, field) + QStringLiteral(" IN (") +
                       values.join(QStringLiteral(", ")) + QLatin1Char(')'));
          values.clear();
          deepest = std::max(deepest, 1);
          continue;
        }
      }
    }
    const SqlCondition part = Condition(expression, operand, textFields, nesting + 1, ok);
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

}  // namespace

QString FilterAsSqlCondition(const FilterExpression& expression, const QStringList& textFields) {
  if (expression.Empty()) return QString();
  bool ok = true;
  const SqlCondition condition = Condition(expression, expression.Root(), textFields, 0, ok);
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
