#include <gtest/gtest.h>

#include <QStringList>
#include <QThread>

#include "base/error.h"
#include "dictionary/filter.h"
#include "dictionary/held_rows.h"
#include "dictionary/lookup_filters.h"

namespace {

using namespace ravlek;

// Rows as (HanWord, HanSpell, Ptype, PoemRhyme); "~" stands for null.
const char* const kRows[][4] = {
    {"讚", "tsan3", "文", "去聲十五翰"},        // 0
    {"讚歎", "tsan3 than3", "白", "上平一東"},  // 1
    {"", "", "通", "上平一東韻"},               // 2
    {"~", "~", "~", "上平十一真"},              // 3
    {"a*b", "an1", "古", "~"},                  // 4
    {"a%b", "kan1", "文(古)", ""},              // 5
    {"O'Neil", "TSAN3", "今", "~"},             // 6
    {"\xF0\xA0\x80\x80", "pan1", "通", "~"},    // 7: U+20000, a surrogate pair
};

class FilterTest : public ::testing::Test {
 protected:
  FilterTest() {
    const char* names[] = {"HanWord", "HanSpell", "Ptype", "PoemRhyme"};
    for (int c = 0; c < 4; ++c) {
      columns.emplace_back(QString::fromLatin1(names[c]));
      for (const auto& row : kRows) {
        const QString value = QString::fromUtf8(row[c]);
        if (value == QLatin1String("~")) {
          columns.back().AppendNull();
        } else {
          columns.back().Append(value);
        }
      }
    }
  }

  QString Passing(const QString& expression) const {
    const CompiledFilter filter(FilterExpression::Parse(expression),
                                [this](const QString& field) -> const HeldColumn* {
                                  for (const HeldColumn& column : columns) {
                                    if (column.Name() == field) return &column;
                                  }
                                  return nullptr;
                                });
    std::vector<int> passing;
    filter.Select(static_cast<int>(std::size(kRows)), passing);
    QStringList rows;
    for (int row : passing) rows.append(QString::number(row));
    return rows.join(QLatin1Char(' '));
  }

  CompiledFilter Compiled(const QString& expression) const {
    return CompiledFilter(FilterExpression::Parse(expression),
                          [this](const QString& field) -> const HeldColumn* {
                            for (const HeldColumn& column : columns) {
                              if (column.Name() == field) return &column;
                            }
                            return nullptr;
                          });
  }

  std::vector<HeldColumn> columns;
};

TEST_F(FilterTest, RowsThatPass) {
  struct Case {
    const char* expression;
    const char* rows;
  };
  const Case cases[] = {
      // equality: trailing asterisk is a prefix over non-empty values; null never passes
      {"HanWord ='*'", "0 1 4 5 6 7"},
      {"HanWord ='讚'", "0"},
      {"HanWord ='讚*'", "0 1"},
      {"HanWord =''", "2"},
      {"HanWord ='a*'", "4 5"},
      {"HanWord ='a*b'", "4"},  // an asterisk before the end is an ordinary character
      {"HanWord ='a%b'", "5"},  // no wildcards in equality
      {"HanWord ='a_b'", ""},
      {"HanWord ='O''Neil'", "6"},
      {"HanSpell ='tsan*'", "0 1"},  // case-sensitive
      {"HanSpell ='TSAN3'", "6"},
      {"PoemRhyme ='上平一東*'", "1 2"},
      // pattern match over the whole value
      {"[HanSpell] like '%'", "0 1 2 4 5 6 7"},  // empty passes "%" alone, null does not
      {"[HanSpell] like '%%'", "0 1 4 5 6 7"},
      {"[HanSpell] like ''", ""},
      {"[HanSpell] like '%an1'", "4 5 7"},
      {"[HanSpell] like 'tsan_'", "0"},
      {"[HanSpell] like '_an1'", "5 7"},
      {"[HanSpell] like 'tsan'", ""},
      {"[HanSpell] like '%an%'", "0 1 4 5 7"},
      {"[HanSpell] like 'ts%n3'", "0 1"},
      {"[HanWord] like '_'", "0 7"},  // one character, a surrogate pair included
      {"[HanWord] like 'a*b'", "4"},
      {"[Ptype] like '%古%'", "4 5"},
      // the conjunction the lookup page builds, and keyword case
      {"HanSpell ='an1*'AND ([Ptype] like '%通%' or [Ptype] like '%古%')", "4"},
      {"[HanSpell] like '%an1'AND ([Ptype] like '%通%' or [Ptype] like '%文%')", "5 7"},
      {"HanWord ='讚*' and ([Ptype] LIKE '%白%' OR [Ptype] Like '%文%')", "0 1"},
      // bracketed and bare names in both forms; AND binds before or
      {"[HanWord] ='讚'", "0"},
      {"HanWord like '讚%'", "0 1"},
      {"HanWord ='讚' or HanWord ='a*b' AND Ptype ='文'", "0"},
      {"(HanWord ='讚' or HanWord ='a*b') AND Ptype ='古'", "4"},
      {"  ", "0 1 2 3 4 5 6 7"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Passing(QString::fromUtf8(c.expression)), QString::fromLatin1(c.rows))
        << c.expression;
  }
}

TEST_F(FilterTest, APrefixNeverEndsInsideASurrogatePair) {
  const QString highHalf(QChar(0xD840));
  EXPECT_EQ(Passing(QStringLiteral("HanWord ='") + highHalf + QStringLiteral("*'")), "");
  EXPECT_EQ(Passing(QStringLiteral("[HanWord] like '") + highHalf + QStringLiteral("%'")), "");
}

// A filter typed on from another selects among the rows the other passed, and must pass exactly
// the rows it passes over all rows; where that cannot be known it is not taken as narrower.
TEST_F(FilterTest, ANarrowerFilterSelectsAmongTheRowsOfTheWiderOne) {
  const QString high(QChar(0xD840));
  const QString low(QChar(0xDC00));
  struct Case {
    QString wider;
    QString narrower;
    bool narrows;
  };
  const Case cases[] = {
      {"[HanSpell] like 'ts%'", "[HanSpell] like 'tsa%'", true},
      {"[HanSpell] like 't%'", "[HanSpell] like 'tsan3 %'", true},
      {"HanSpell ='ta*'", "HanSpell ='tsa*'", false},
      {"[HanSpell] like 'tsa%'", "[HanSpell] like 'ts%'", false},
      {"[HanSpell] like '%3'", "[HanSpell] like '%n3'", true},
      {"[Ptype] like '%文%'", "[Ptype] like '%文(%'", true},
      {"[HanSpell] like 'ts%' and [Ptype] like '%白%'",
       "[HanSpell] like 'tsa%' and [Ptype] like '%白%'", true},
      {"[HanSpell] like 'ts%' and [Ptype] like '%白%'",
       "[HanSpell] like 'tsa%' and [Ptype] like '%文%'", false},
      {"[HanSpell] like 'ts%' or [HanSpell] like 'p%'",
       "[HanSpell] like 'tsa%' or [HanSpell] like 'pa%'", true},
      {"HanWord ='讚'", "HanWord ='讚歎'", false},
      {"[HanWord] like 'a_b'", "[HanWord] like 'a_b'", true},
      {"[HanSpell] like 'ts%'", "[HanWord] like 'ts%'", false},
      {"", "[HanSpell] like 'ts%'", false},
      // Half a pair typed first is refused by the wider filter where the narrower one takes the
      // whole pair: the narrower one reads over all rows.
      {"[HanWord] like '" + high + "%'", "[HanWord] like '" + high + low + "%'", false},
      {"[HanWord] like '%" + low + "'", "[HanWord] like '%" + high + low + "'", false},
  };
  for (const Case& c : cases) {
    const CompiledFilter wider = Compiled(c.wider);
    const CompiledFilter narrower = Compiled(c.narrower);
    EXPECT_EQ(narrower.Narrows(wider), c.narrows)
        << c.wider.toStdString() << " → " << c.narrower.toStdString();
    if (!narrower.Narrows(wider)) continue;
    std::vector<int> before;
    wider.Select(static_cast<int>(std::size(kRows)), before);
    std::vector<int> among;
    narrower.SelectAmong(before, static_cast<int>(std::size(kRows)), among);
    std::vector<int> all;
    narrower.Select(static_cast<int>(std::size(kRows)), all);
    EXPECT_EQ(among, all) << c.narrower.toStdString();
  }
}

TEST_F(FilterTest, UnreadableExpressionsNameThePosition) {
  struct Case {
    const char* expression;
    const char* message;
  };
  const Case cases[] = {
      {"HanWord ='abc", "position 10: a literal has no closing quote"},
      {"HanWord 'x'", "position 9: expected '=' or like"},
      {"HanWord =", "position 10: expected a literal"},
      {"(HanWord ='x'", "position 14: expected ')'"},
      {"HanWord ='x' AND", "position 17: the expression ends where a field name belongs"},
      {"HanWord ='x' xor Ptype ='y'", "position 14: expected AND or or"},
      {"[HanWord ='x'", "position 1: a field name in brackets has no closing bracket"},
      {"HanWord # 'x'", "position 9: unexpected character '#'"},
  };
  for (const Case& c : cases) {
    try {
      FilterExpression::Parse(QString::fromUtf8(c.expression));
      ADD_FAILURE() << "no error for " << c.expression;
    } catch (const Error& e) {
      EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.what();
    }
  }
}

TEST_F(FilterTest, DeeplyNestedParenthesesAreAnErrorNotACrash) {
  const auto nested = [](int levels) {
    return QString(levels, QLatin1Char('(')) + QStringLiteral("HanWord ='讚'") +
           QString(levels, QLatin1Char(')'));
  };
  EXPECT_EQ(Passing(nested(200)), "0");
  try {
    FilterExpression::Parse(nested(100000));
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("position 257: parentheses nested")))
        << e.what();
  }
}

// Long chains of one operator, parsed, bound and selected on a thread with a small stack: no
// step may go one level deeper per term.
TEST_F(FilterTest, LongChainsNeedNoDeeperStack) {
  const auto chain = [](const QString& term, const QString& last, const QString& op) {
    QStringList terms(20000, term);
    terms.back() = last;
    return terms.join(op);
  };
  struct Case {
    const char* name;
    QString expression;
    QString passing;
  };
  const std::vector<Case> cases = {
      {"or",
       chain(QStringLiteral("HanWord ='x'"), QStringLiteral("Ptype ='通'"), QStringLiteral(" or ")),
       QStringLiteral("2 7")},
      {"and",
       chain(QStringLiteral("HanSpell like '%an%'"), QStringLiteral("Ptype ='通'"),
             QStringLiteral(" AND ")),
       QStringLiteral("7")},
      {"and within or",
       chain(QStringLiteral("HanWord ='x' AND Ptype ='x'"), QStringLiteral("HanWord ='讚'"),
             QStringLiteral(" or ")),
       QStringLiteral("0")},
  };
  for (const Case& c : cases) {
    QString passing;
    QThread* thread = QThread::create([&] { passing = Passing(c.expression); });
    thread->setStackSize(256 * 1024);
    thread->start();
    thread->wait();
    delete thread;
    EXPECT_EQ(passing, c.passing) << c.name;
  }
}

TEST_F(FilterTest, UnknownFieldIsNamed) {
  try {
    Passing(QStringLiteral("HanWord ='x' or Nope ='y'"));
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QStringLiteral("'Nope'"))) << e.what();
  }
}

TEST(QuotedStrTest, DoublesQuotesSoAnyTextStaysOneLiteral) {
  EXPECT_EQ(QuotedStr(QStringLiteral("O'Neil")), QStringLiteral("'O''Neil'"));
  EXPECT_EQ(QuotedStr(QString()), QStringLiteral("''"));
  const QString nasty = QStringLiteral("x' or HanWord ='*");
  const FilterExpression parsed =
      FilterExpression::Parse(QStringLiteral("HanWord =") + QuotedStr(nasty));
  ASSERT_EQ(parsed.Nodes().size(), 1u);
  EXPECT_EQ(parsed.Nodes()[0].literal, nasty);
}

TEST(LookupFiltersTest, BuildTheLookupPageFilters) {
  struct Case {
    QString built;
    const char* expected;
  };
  const Case cases[] = {
      {CharacterFilter(QStringLiteral("讚")), "HanWord ='讚*'"},
      {CharacterFilter(QStringLiteral(" 讚")), "HanWord =' 讚*'"},  // not trimmed
      {CharacterFilter(QString()), "HanWord ='*'"},
      {CharacterFilter(QStringLiteral("O'")), "HanWord ='O''*'"},
      {SpellFilter(QStringLiteral("an1*"), QStringLiteral("白")),
       "[HanSpell] like '%an1'AND ([Ptype] like '%通%' or [Ptype] like '%白%')"},
      {SpellFilter(QStringLiteral(" an\t\r\n"), QStringLiteral("全")), "HanSpell ='an*'"},
      {SpellFilter(QStringLiteral("an"), QStringLiteral("文")),
       "HanSpell ='an*'AND ([Ptype] like '%通%' or [Ptype] like '%文%')"},
      {SpellFilter(QStringLiteral("an"), QStringLiteral("白 ")), "HanSpell ='an*'"},
      {SpellFilter(QStringLiteral("*"), QString()), "[HanSpell] like '%'"},
      {SpellFilter(QStringLiteral("\u3000an"), QString()), "HanSpell ='\u3000an*'"},
      {SpellFilter(QStringLiteral("a*n"), QString()), "HanSpell ='a*n*'"},
      {RhymeFilter(QStringLiteral("上平十")), "PoemRhyme ='上平十*'"},
      // 刪 and 篠 as the rhyme names spell them; a name without its tone part where it names one.
      {RhymeFilter(QStringLiteral("上平十五刪")), "PoemRhyme ='上平十五删*'"},
      {RhymeFilter(QStringLiteral("十五刪")), "PoemRhyme ='上平十五删*'"},
      {RhymeFilter(QStringLiteral("上聲十七篠")), "PoemRhyme ='上聲十七筱*'"},
      {RhymeFilter(QStringLiteral("一東")), "PoemRhyme ='上平一東*'"},
      {RhymeFilter(QStringLiteral("一先")), "PoemRhyme ='下平一先*'"},
      {RhymeFilter(QStringLiteral("十賄")), "PoemRhyme ='上聲十賄*'"},
      {RhymeFilter(QStringLiteral("一")), "PoemRhyme ='一*'"},  // names none: as typed
      {RhymeFilter(QStringLiteral("東")), "PoemRhyme ='東*'"},
      {RhymeFilter(QString()), ""},  // every row, those without a rhyme too
  };
  for (const Case& c : cases) EXPECT_EQ(c.built, QString::fromUtf8(c.expected));
}

}  // namespace
