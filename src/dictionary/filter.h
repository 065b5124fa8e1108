#pragma once
// The store's filter language: equality with the trailing-asterisk partial form, [Field] like
// patterns with % and _, AND / or with parentheses, literals in single quotes with doubled quotes.
//
//   expression := term { "or" term }
//   term       := factor { "AND" factor }
//   factor     := "(" expression ")" | field "=" literal | field "like" literal
//   field      := Name | "[" any text but "]" "]"
//
// Keywords are read in any letter case and may follow a closing quote directly. An empty
// expression passes every row.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace ravlek {

class HeldColumn;

// The literal of a text: between single quotes, each single quote doubled.
QString QuotedStr(const QString& text);

// A parsed expression. Parse raises Error naming the position (1-based, in UTF-16 code units) of
// the first place it cannot read.
class FilterExpression {
 public:
  enum class Kind { Equal, Like, And, Or };
  struct Node {
    Kind kind = Kind::Equal;
    QString field;    // Equal, Like
    QString literal;  // Equal, Like: the literal's text, quotes undone
    int left = -1;    // And, Or: node indexes
    int right = -1;
  };

  static FilterExpression Parse(const QString& text);

  bool Empty() const { return root_ < 0; }
  const std::vector<Node>& Nodes() const { return nodes_; }
  int Root() const { return root_; }

 private:
  friend class FilterParser;
  std::vector<Node> nodes_;
  int root_ = -1;
};

// An expression bound to the columns of a set of held rows, ready to test rows without allocating.
class CompiledFilter {
 public:
  // Looks a field up by name; returns nullptr for a field the rows lack.
  using ColumnLookup = std::function<const HeldColumn*(const QString& field)>;

  CompiledFilter() = default;
  // Raises Error naming the first field that lookup does not know.
  CompiledFilter(const FilterExpression& expression, const ColumnLookup& lookup);

  // Replaces passing by the rows in [0, rowCount) that pass, in row order.
  void Select(int rowCount, std::vector<int>& passing) const;
  // The same, looking only at candidates (rows in row order): for a filter that Narrows() the one
  // that chose them.
  void SelectAmong(const std::vector<int>& candidates, int rowCount,
                   std::vector<int>& passing) const;

  // Whether every row that passes this filter passes `wider` too, as the two read: the same
  // conditions on the same columns, each the same or narrower (a longer prefix or suffix, a
  // longer text to contain). One more character typed into a search field gives such a filter.
  bool Narrows(const CompiledFilter& wider) const;

 private:
  enum class Op {
    EqualExact,
    EqualPrefix,
    LikeAll,
    LikeExact,
    LikeSuffix,
    LikePrefix,
    LikeContains,
    LikeGeneral,
    And,
    Or
  };
  struct Step {
    Op op = Op::EqualExact;
    const HeldColumn* column = nullptr;
    QString text;               // the literal, or the part of the pattern the fast forms compare
    std::vector<int> operands;  // And, Or: the steps of the whole chain, in text order
  };
  // The rows among candidates (all rows when null) that pass step index, in row order.
  void SelectStep(int index, const std::vector<int>* candidates, int rowCount,
                  std::vector<int>& out) const;

  std::vector<Step> steps_;
  int root_ = -1;
};

// Whether text matches pattern as a whole: % any run of characters, _ exactly one character (a
// surrogate pair counts as one), anything else itself, case-sensitively; no escape character.
bool LikeMatches(QStringView text, QStringView pattern);

}  // namespace ravlek
