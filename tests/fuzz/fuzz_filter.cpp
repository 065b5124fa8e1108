// The filter language: parse an expression, bind it to a small held table and select rows.
// Input: the expression on the first line; each further line is one more row's value, given to
// every column in turn. The rows selected must equal those of a plain row-by-row reading of the
// parsed expression, so the fast comparison forms are checked against the general one.

#include <QList>
#include <QString>
#include <vector>

#include "base/error.h"
#include "dictionary/filter.h"
#include "dictionary/held_rows.h"
#include "fuzz_support.h"

namespace {

using namespace ravlek;

const char* const kFieldNames[] = {"HanWord", "HanSpell", "Ptype"};

// Fixed rows; "~" stands for null.
const char* const kRows[][3] = {
    {"讚", "tsan3", "文"},    {"讚歎", "tsan3 than3", "白"},
    {"", "", "通"},           {"~", "~", "~"},
    {"a*b", "an1", "文(古)"}, {"a%b_", "kan1", "今"},
    {"O'Neil", "TSAN3", "~"}, {"\xF0\xA0\x80\x80", "pan1\xF0\xA0\x80\x81", "通"},
};

bool SplitsPair(QStringView value, qsizetype at) {
  return at > 0 && at < value.size() && value[at - 1].isHighSurrogate() &&
         value[at].isLowSurrogate();
}

// The expression read row by row, without the compiled fast forms.
bool Reference(const FilterExpression& e, int node, const std::vector<HeldColumn>& columns,
               int row) {
  const FilterExpression::Node& n = e.Nodes()[static_cast<size_t>(node)];
  if (n.kind == FilterExpression::Kind::And) {
    return Reference(e, n.left, columns, row) && Reference(e, n.right, columns, row);
  }
  if (n.kind == FilterExpression::Kind::Or) {
    return Reference(e, n.left, columns, row) || Reference(e, n.right, columns, row);
  }
  const HeldColumn* column = nullptr;
  for (const HeldColumn& c : columns) {
    if (c.Name() == n.field) column = &c;
  }
  if (!column) ravlek::fuzz::Fail("a field the table lacks was compiled");
  if (column->IsNull(row)) return false;
  const QStringView value = column->View(row);
  const QStringView literal(n.literal);
  if (n.kind == FilterExpression::Kind::Equal) {
    if (literal.endsWith(u'*')) {
      const QStringView prefix = literal.chopped(1);
      return !value.isEmpty() && value.startsWith(prefix) && !SplitsPair(value, prefix.size());
    }
    return value == literal;
  }
  if (literal == u"%") return true;
  return !value.isEmpty() && LikeMatches(value, literal);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  const QString input =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QList<QStringView> lines = QStringView(input).split(u'\n');
  FilterExpression expression;
  try {
    expression = FilterExpression::Parse(lines.front().toString());
  } catch (const Error&) {
    return 0;
  }

  std::vector<HeldColumn> columns;
  for (int c = 0; c < 3; ++c) {
    columns.emplace_back(QString::fromLatin1(kFieldNames[c]));
    for (const auto& row : kRows) {
      const QString value = QString::fromUtf8(row[c]);
      if (value == u"~") {
        columns.back().AppendNull();
      } else {
        columns.back().Append(value);
      }
    }
    for (qsizetype extra = 1; extra < lines.size() && extra <= 8; ++extra) {
      columns.back().Append(lines[extra]);
    }
  }
  const int rowCount = static_cast<int>(std::size(kRows)) +
                       static_cast<int>(std::min<qsizetype>(lines.size() - 1, 8));

  CompiledFilter compiled;
  try {
    compiled = CompiledFilter(expression, [&columns](const QString& field) -> const HeldColumn* {
      for (const HeldColumn& column : columns) {
        if (column.Name() == field) return &column;
      }
      return nullptr;
    });
  } catch (const Error&) {
    return 0;
  }
  std::vector<int> passing;
  compiled.Select(rowCount, passing);
  std::vector<int> expected;
  for (int row = 0; row < rowCount; ++row) {
    if (expression.Empty() || Reference(expression, expression.Root(), columns, row)) {
      expected.push_back(row);
    }
  }
  ravlek::fuzz::Check(passing == expected, "selected rows differ from the row-by-row reading");
  return 0;
}
