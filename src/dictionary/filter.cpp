#include "dictionary/filter.h"

#include <algorithm>
#include <iterator>
#include <numeric>

#include "base/characters.h"
#include "base/error.h"
#include "dictionary/held_rows.h"

namespace ravlek {

QString QuotedStr(const QString& text) {
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// ---------------------------------------------------------------------------------------------
// Parsing

class FilterParser {
 public:
  explicit FilterParser(const QString& text) : text_(text) {}

  FilterExpression Run() {
    Next();
    if (token_.kind != TokenKind::End) {
      expression_.root_ = ParseOr();
      if (token_.kind != TokenKind::End)
        Fail(token_.position, QStringLiteral("expected AND or or"));
    }
    return std::move(expression_);
  }

 private:
  enum class TokenKind { End, Name, Literal, Open, Close, Equals, And, Or, Like };
  struct Token {
    TokenKind kind = TokenKind::End;
    QString text;
    qsizetype position = 0;  // 0-based start in the text
  };

  [[noreturn]] void Fail(qsizetype position, const QString& what) const {
    throw Error(QStringLiteral("Cannot read the filter expression at position %1: %2 in %3")
                    .arg(position + 1)
                    .arg(what, text_));
  }

  static bool IsNameChar(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isSurrogate();
  }

  void Next() {
    while (pos_ < text_.size() && text_[pos_].unicode() <= 0x20) ++pos_;
    token_ = Token{};
    token_.position = pos_;
    if (pos_ >= text_.size()) return;
    const QChar c = text_[pos_];
    if (c == QLatin1Char('(') || c == QLatin1Char(')') || c == QLatin1Char('=')) {
      token_.kind = c == QLatin1Char('(')   ? TokenKind::Open
                    : c == QLatin1Char(')') ? TokenKind::Close
                                            : TokenKind::Equals;
      ++pos_;
      return;
    }
    if (c == QLatin1Char('[')) {
      const qsizetype close = text_.indexOf(QLatin1Char(']'), pos_ + 1);
      if (close < 0) Fail(pos_, QStringLiteral("a field name in brackets has no closing bracket"));
      token_.kind = TokenKind::Name;
      token_.text = text_.mid(pos_ + 1, close - pos_ - 1);
      if (token_.text.isEmpty()) Fail(pos_, QStringLiteral("empty field name"));
      pos_ = close + 1;
      return;
    }
    if (c == QLatin1Char('\'')) {
      qsizetype i = pos_ + 1;
      QString literal;
      for (;;) {
        if (i >= text_.size()) Fail(pos_, QStringLiteral("a literal has no closing quote"));
        if (text_[i] == QLatin1Char('\'')) {
          if (i + 1 < text_.size() && text_[i + 1] == QLatin1Char('\'')) {
            literal += QLatin1Char('\'');
            i += 2;
            continue;
          }
          break;
        }
        literal += text_[i++];
      }
      token_.kind = TokenKind::Literal;
      token_.text = literal;
      pos_ = i + 1;
      return;
    }
    if (IsNameChar(c)) {
      qsizetype end = pos_;
      while (end < text_.size() && IsNameChar(text_[end])) ++end;
      token_.text = text_.mid(pos_, end - pos_);
      pos_ = end;
      if (token_.text.compare(QLatin1String("and"), Qt::CaseInsensitive) == 0) {
        token_.kind = TokenKind::And;
      } else if (token_.text.compare(QLatin1String("or"), Qt::CaseInsensitive) == 0) {
        token_.kind = TokenKind::Or;
      } else if (token_.text.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0) {
        token_.kind = TokenKind::Like;
      } else {
        token_.kind = TokenKind::Name;
      }
      return;
    }
    Fail(pos_, QStringLiteral("unexpected character '%1'").arg(c));
  }

  int Add(FilterExpression::Node node) {
    expression_.nodes_.push_back(std::move(node));
    return static_cast<int>(expression_.nodes_.size()) - 1;
  }

  // expression := term { "or" term }, term := factor { "AND" factor }, read without recursion:
  // each open parenthesis starts a group on an explicit stack, so that neither nesting nor long
  // chains cost the call stack (a command run with a small stack reads what the window reads).
  // Nodes are added in the order a recursive reading adds them: operands before their node.
  struct Group {
    int orLeft = -1;   // the group's or-chain so far
    int andLeft = -1;  // the term being read
  };

  int ParseOr() {
    std::vector<Group> groups(1);
    for (;;) {
      while (token_.kind == TokenKind::Open) {
        // Each level costs memory; a typed-in expression must not be able to exhaust it.
        if (static_cast<int>(groups.size()) - 1 >= kMaxNesting) {
          Fail(token_.position,
               QStringLiteral("parentheses nested deeper than %1 levels").arg(kMaxNesting));
        }
        groups.emplace_back();
        Next();
      }
      int operand = ParseComparison();
      for (;;) {
        Group& group = groups.back();
        group.andLeft = group.andLeft < 0
                            ? operand
                            : AddBinary(FilterExpression::Kind::And, group.andLeft, operand);
        if (token_.kind == TokenKind::And) break;
        group.orLeft = group.orLeft < 0
                           ? group.andLeft
                           : AddBinary(FilterExpression::Kind::Or, group.orLeft, group.andLeft);
        group.andLeft = -1;
        if (token_.kind == TokenKind::Or) break;
        if (groups.size() == 1) return group.orLeft;
        if (token_.kind != TokenKind::Close) Fail(token_.position, QStringLiteral("expected ')'"));
        Next();
        // The closed group is one factor of the group around it.
        operand = group.orLeft;
        groups.pop_back();
      }
      Next();  // past AND or or: a factor follows
    }
  }

  int AddBinary(FilterExpression::Kind kind, int left, int right) {
    FilterExpression::Node node;
    node.kind = kind;
    node.left = left;
    node.right = right;
    return Add(std::move(node));
  }

  int ParseComparison() {
    if (token_.kind != TokenKind::Name) {
      Fail(token_.position, token_.kind == TokenKind::End
                                ? QStringLiteral("the expression ends where a field name belongs")
                                : QStringLiteral("expected a field name"));
    }
    FilterExpression::Node node;
    node.field = token_.text;
    Next();
    if (token_.kind == TokenKind::Equals) {
      node.kind = FilterExpression::Kind::Equal;
    } else if (token_.kind == TokenKind::Like) {
      node.kind = FilterExpression::Kind::Like;
    } else {
      Fail(token_.position, QStringLiteral("expected '=' or like after the field name"));
    }
    Next();
    if (token_.kind != TokenKind::Literal) {
      Fail(token_.position, QStringLiteral("expected a literal in single quotes"));
    }
    node.literal = token_.text;
    Next();
    return Add(std::move(node));
  }

  static constexpr int kMaxNesting = 256;

  const QString& text_;
  qsizetype pos_ = 0;
  Token token_;
  FilterExpression expression_;
};

FilterExpression FilterExpression::Parse(const QString& text) {
  return FilterParser(text).Run();
}

// ---------------------------------------------------------------------------------------------
// Matching

namespace {

// Whether a match of length k at the start of text ends inside a surrogate pair.
bool SplitsPair(QStringView text, qsizetype k) {
  return k > 0 && k < text.size() && QChar::isHighSurrogate(text[k - 1].unicode()) &&
         QChar::isLowSurrogate(text[k].unicode());
}

bool HasWildcard(QStringView text) {
  return text.contains(QLatin1Char('%')) || text.contains(QLatin1Char('_'));
}

}  // namespace

bool LikeMatches(QStringView text, QStringView pattern) {
  // Greedy matching with one backtrack point: the last % seen and where its run ended.
  qsizetype t = 0;
  qsizetype p = 0;
  qsizetype starPattern = -1;
  qsizetype starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == QLatin1Char('%')) {
      starPattern = ++p;
      starText = t;
      continue;
    }
    if (p < pattern.size() && pattern[p] == QLatin1Char('_')) {
      t += CharacterLength(text, t);
      ++p;
      continue;
    }
    if (p < pattern.size() && pattern[p] == text[t]) {
      ++t;
      ++p;
      continue;
    }
    if (starPattern < 0) return false;
    starText += CharacterLength(text, starText);
    t = starText;
    p = starPattern;
  }
  while (p < pattern.size() && pattern[p] == QLatin1Char('%')) ++p;
  return p == pattern.size();
}

CompiledFilter::CompiledFilter(const FilterExpression& expression, const ColumnLookup& lookup) {
  if (expression.Empty()) return;
  const auto& nodes = expression.Nodes();
  steps_.resize(nodes.size());
  for (size_t i = 0; i < nodes.size(); ++i) {
    const FilterExpression::Node& node = nodes[i];
    Step& step = steps_[i];
    if (node.kind == FilterExpression::Kind::And || node.kind == FilterExpression::Kind::Or) {
      // A chain of one operator becomes one step over all its operands, so that neither testing
      // nor selecting goes one level deeper per term. Operands come before their node and belong
      // to it alone, so their lists can be taken over.
      step.op = node.kind == FilterExpression::Kind::And ? Op::And : Op::Or;
      for (const int operand : {node.left, node.right}) {
        Step& child = steps_[static_cast<size_t>(operand)];
        if (child.op == step.op && step.operands.empty()) {
          step.operands = std::move(child.operands);  // the chain so far: taken, not copied
        } else if (child.op == step.op) {
          step.operands.insert(step.operands.end(), child.operands.begin(), child.operands.end());
          child.operands = {};
        } else {
          step.operands.push_back(operand);
        }
      }
      continue;
    }
    step.column = lookup(node.field);
    if (!step.column) throw Error(QStringLiteral("Field '%1' not found").arg(node.field));
    const QString& literal = node.literal;
    if (node.kind == FilterExpression::Kind::Equal) {
      if (literal.endsWith(QLatin1Char('*'))) {
        step.op = Op::EqualPrefix;
        step.text = literal.chopped(1);
      } else {
        step.op = Op::EqualExact;
        step.text = literal;
      }
      continue;
    }
    // The common pattern shapes get a direct comparison; the rest goes through LikeMatches.
    const QStringView body = QStringView(literal);
    if (literal == QLatin1String("%")) {
      step.op = Op::LikeAll;
    } else if (!HasWildcard(body)) {
      step.op = Op::LikeExact;
      step.text = literal;
    } else if (literal.size() >= 2 && literal.startsWith(QLatin1Char('%')) &&
               literal.endsWith(QLatin1Char('%')) && !HasWildcard(body.mid(1).chopped(1))) {
      step.op = Op::LikeContains;
      step.text = literal.mid(1).chopped(1);
    } else if (literal.startsWith(QLatin1Char('%')) && !HasWildcard(body.mid(1))) {
      step.op = Op::LikeSuffix;
      step.text = literal.mid(1);
    } else if (literal.endsWith(QLatin1Char('%')) && !HasWildcard(body.chopped(1))) {
      step.op = Op::LikePrefix;
      step.text = literal.chopped(1);
    } else {
      step.op = Op::LikeGeneral;
      step.text = literal;
    }
  }
  root_ = expression.Root();
}

namespace {

// The comparisons of one condition on a non-null value.
// Whether value begins / ends with text, unit by unit; short texts compare faster in line than
// through a library call.
inline bool SameUnits(const QChar* a, const QChar* b, qsizetype size) {
  for (qsizetype i = 0; i < size; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}
inline bool MatchPrefix(QStringView value, QStringView text) {
  return !value.isEmpty() && value.size() >= text.size() &&
         SameUnits(value.data(), text.data(), text.size()) && !SplitsPair(value, text.size());
}
inline bool MatchSuffix(QStringView value, QStringView text) {
  const qsizetype start = value.size() - text.size();
  if (value.isEmpty() || start < 0) return false;
  // From the end backwards: the tone digit at the end tells most readings apart at once.
  for (qsizetype i = text.size() - 1; i >= 0; --i) {
    if (value[start + i] != text[i]) return false;
  }
  return !SplitsPair(value, start);
}
inline bool MatchContains(QStringView value, QStringView text) {
  if (value.isEmpty()) return false;
  if (text.size() != 1) return value.contains(text);
  // One character (the reading class in Ptype): a plain scan of a short value.
  const QChar wanted = text.front();
  for (const QChar c : value) {
    if (c == wanted) return true;
  }
  return false;
}

// Adds to out the rows (all rows, or the candidates) whose non-null value passes test.
template <typename Test>
void Scan(const HeldColumn& column, const std::vector<int>* candidates, int rowCount,
          std::vector<int>& out, Test test) {
  out.clear();
  if (candidates) {
    out.reserve(candidates->size());
    for (const int row : *candidates) {
      if (!column.IsNull(row) && test(column.View(row))) out.push_back(row);
    }
    return;
  }
  out.reserve(static_cast<size_t>(rowCount));
  for (int row = 0; row < rowCount; ++row) {
    if (!column.IsNull(row) && test(column.View(row))) out.push_back(row);
  }
}

}  // namespace

void CompiledFilter::SelectStep(int index, const std::vector<int>* candidates, int rowCount,
                                std::vector<int>& out) const {
  const Step& step = steps_[static_cast<size_t>(index)];
  if (step.op == Op::And) {
    // Each condition only looks at the rows that passed the ones before it.
    SelectStep(step.operands.front(), candidates, rowCount, out);
    std::vector<int> passed;
    for (size_t i = 1; i < step.operands.size() && !out.empty(); ++i) {
      passed.swap(out);
      SelectStep(step.operands[i], &passed, rowCount, out);
    }
    return;
  }
  if (step.op == Op::Or) {
    // The rows of every operand, merged in row order.
    SelectStep(step.operands.front(), candidates, rowCount, out);
    std::vector<int> passed;
    std::vector<int> merged;
    for (size_t i = 1; i < step.operands.size(); ++i) {
      SelectStep(step.operands[i], candidates, rowCount, passed);
      merged.clear();
      merged.reserve(out.size() + passed.size());
      std::set_union(out.begin(), out.end(), passed.begin(), passed.end(),
                     std::back_inserter(merged));
      out.swap(merged);
    }
    return;
  }
  const HeldColumn& column = *step.column;
  const QStringView text(step.text);
  switch (step.op) {
    case Op::EqualPrefix:
    case Op::LikePrefix:
      Scan(column, candidates, rowCount, out,
           [text](QStringView v) { return MatchPrefix(v, text); });
      break;
    case Op::EqualExact:
      Scan(column, candidates, rowCount, out, [text](QStringView v) { return v == text; });
      break;
    case Op::LikeAll:
      Scan(column, candidates, rowCount, out, [](QStringView) { return true; });
      break;
    case Op::LikeExact:
      Scan(column, candidates, rowCount, out,
           [text](QStringView v) { return !v.isEmpty() && v == text; });
      break;
    case Op::LikeSuffix:
      Scan(column, candidates, rowCount, out,
           [text](QStringView v) { return MatchSuffix(v, text); });
      break;
    case Op::LikeContains:
      Scan(column, candidates, rowCount, out,
           [text](QStringView v) { return MatchContains(v, text); });
      break;
    case Op::LikeGeneral:
      Scan(column, candidates, rowCount, out,
           [text](QStringView v) { return !v.isEmpty() && LikeMatches(v, text); });
      break;
    case Op::And:
    case Op::Or:
      break;
  }
}

void CompiledFilter::SelectAmong(const std::vector<int>& candidates, int rowCount,
                                 std::vector<int>& passing) const {
  if (root_ < 0) {
    passing = candidates;
    return;
  }
  SelectStep(root_, &candidates, rowCount, passing);
}

bool CompiledFilter::Narrows(const CompiledFilter& wider) const {
  if (root_ != wider.root_ || steps_.size() != wider.steps_.size()) return false;
  for (size_t i = 0; i < steps_.size(); ++i) {
    const Step& step = steps_[i];
    const Step& other = wider.steps_[i];
    if (step.op != other.op || step.column != other.column || step.operands != other.operands) {
      return false;
    }
    const QString& text = step.text;
    const QString& was = other.text;
    switch (step.op) {
      case Op::EqualPrefix:
      case Op::LikePrefix:
        // A shorter prefix ending in half a pair is refused where the longer one completes it.
        if (!text.startsWith(was) ||
            (text.size() > was.size() && !was.isEmpty() && was.back().isHighSurrogate())) {
          return false;
        }
        break;
      case Op::LikeSuffix:
        if (!text.endsWith(was) ||
            (text.size() > was.size() && !was.isEmpty() && was.front().isLowSurrogate())) {
          return false;
        }
        break;
      case Op::LikeContains:
        if (!text.contains(was)) return false;
        break;
      case Op::EqualExact:
      case Op::LikeExact:
      case Op::LikeGeneral:
      case Op::LikeAll:
        if (text != was) return false;
        break;
      case Op::And:
      case Op::Or:
        break;
    }
  }
  return true;
}

void CompiledFilter::Select(int rowCount, std::vector<int>& passing) const {
  passing.clear();
  if (root_ < 0) {
    passing.resize(static_cast<size_t>(rowCount));
    std::iota(passing.begin(), passing.end(), 0);
    return;
  }
  SelectStep(root_, nullptr, rowCount, passing);
}

}  // namespace ravlek
