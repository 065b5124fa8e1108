// The filter answered by SQLite against the filter over held rows, on random dictionaries and
// random expressions: the same rows, in the same order, with the same values.
#include "dictionary/filter_sql.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QSqlQuery>

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/filter.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// Pieces of values and literals: the wildcards of both languages, a quote, letter cases, CJK, a
// character outside the BMP.
const QStringList kPieces = {u"a"_s, u"A"_s, u"ts"_s, u"an3"_s, u"*"_s,  u"?"_s,  u"["_s,
                             u"]"_s, u"%"_s, u"_"_s,  u"'"_s,   u"讚"_s, u"𠀀"_s, u" "_s};

QString RandomText(QRandomGenerator& random, int most) {
  QString text;
  const int count = random.bounded(most + 1);
  for (int i = 0; i < count; ++i) text += kPieces[random.bounded(kPieces.size())];
  return text;
}

std::optional<QString> RandomValue(QRandomGenerator& random) {
  if (random.bounded(8) == 0) return std::nullopt;
  QString text = RandomText(random, 3);
  // A NUL inside a value: SQLite's GLOB stops reading there, the held filter does not.
  if (random.bounded(10) == 0) text.insert(random.bounded(text.size() + 1), QChar(0));
  return text;
}

test::FixtureDictionary RandomDictionary(QRandomGenerator& random) {
  test::FixtureDictionary dictionary;
  const int rows = random.bounded(40);
  for (int i = 0; i < rows; ++i) {
    test::FixtureRow row;
    for (const char* field : {"HanWord", "HanSpell", "Ptype", "PoemRhyme", "Desc"}) {
      row[QString::fromLatin1(field)] = RandomValue(random);
    }
    dictionary.ravlekRows.push_back(row);
    dictionary.baseWords.emplace_back(RandomValue(random), RandomValue(random));
  }
  return dictionary;
}

QString RandomCondition(QRandomGenerator& random, int depth) {
  const int shape = random.bounded(depth > 2 ? 4 : 6);
  if (shape >= 4) {
    const QString op = shape == 4 ? u" AND "_s : u" or "_s;
    return u"("_s + RandomCondition(random, depth + 1) + op + RandomCondition(random, depth + 1) +
           u")"_s;
  }
  static const QStringList fields = {u"HanWord"_s, u"[HanSpell]"_s, u"ptype"_s, u"Desc"_s,
                                     u"[PoemRhyme]"_s};
  const QString field = random.bounded(40) == 0 ? u"Nowhere"_s : fields[random.bounded(5)];
  QString literal = RandomText(random, 3);
  if (shape == 0 || shape == 1) {
    if (shape == 1) literal += u'*';
    return field + u" ="_s + QuotedStr(literal);
  }
  if (random.bounded(3) == 0) literal = u"%"_s + literal;
  if (random.bounded(3) == 0) literal += u"%"_s;
  return field + u" like "_s + QuotedStr(literal);
}

// Every value of the passing rows (null apart from empty), or the error raised.
QStringList Rows(TFDQuery& dataset, const std::function<void()>& open) {
  try {
    open();
  } catch (const Error& error) {
    return {u"error: "_s + error.message()};
  }
  QStringList rows;
  for (int row = 0; row < dataset.RecordCount(); ++row) {
    QString line;
    for (int field = 0; field < dataset.FieldNames().size(); ++field) {
      line += dataset.IsNull(row, field) ? u"<null>"_s : u"«"_s + dataset.Text(row, field) + u"»"_s;
    }
    rows.append(line);
  }
  return rows;
}

TEST(FilterSqlTest, SqliteAnswersWithTheRowsOfTheHeldFilter) {
  QRandomGenerator random(20261210);
  int answeredBySql = 0;
  for (int round = 0; round < 30; ++round) {
    test::FixtureAppFolder folder(RandomDictionary(random));
    TFDConnection connection;
    ASSERT_TRUE(connection.Open(folder.Path()).ok());
    if (round % 2 == 1) {
      // Indexes as the built dictionary has them must not change the rows' order.
      QSqlQuery index(connection.Database());
      ASSERT_TRUE(index.exec(u"CREATE INDEX RavlekTable_HanWord ON RavlekTable (HanWord)"_s));
      ASSERT_TRUE(index.exec(u"CREATE INDEX RavlekTable_HanSpell ON RavlekTable (HanSpell)"_s));
    }
    for (int i = 0; i < 40; ++i) {
      const QString name = i % 4 == 0 ? u"FDQueryBaseWords"_s : u"FDQueryRavlekTable"_s;
      QString expression = RandomCondition(random, 0);
      if (name == u"FDQueryBaseWords"_s) expression = u"HanWord like '%a%' or "_s + expression;
      TFDQuery held(connection, name, DatasetStatement(name));
      TFDQuery sql(connection, name, DatasetStatement(name));
      const QStringList expected = Rows(held, [&] {
        held.Open();
        held.SetFilter(expression);
        held.FilterOn();
      });
      const QStringList actual = Rows(sql, [&] { OpenFiltered(sql, expression); });
      ASSERT_EQ(actual.join(u'\n').toStdString(), expected.join(u'\n').toStdString())
          << expression.toStdString() << "\n"
          << sql.SQL().toStdString();
      if (sql.SQL() != DatasetStatement(name)) ++answeredBySql;
    }
  }
  // Nearly every expression goes to SQLite; only those naming a field the table lacks (or
  // BaseWords' fields the expression names from RavlekTable) stay in memory.
  EXPECT_GT(answeredBySql, 30 * 40 / 2);
}

TEST(FilterSqlTest, WhatSqliteMightAnswerDifferentlyStaysWithTheHeldFilter) {
  const QStringList fields = {u"HanWord"_s, u"HanSpell"_s};
  struct Case {
    QString expression;
    bool answered;
  };
  const Case cases[] = {
      {u"hanword ='讚*'"_s, true},
      {u"[HanSpell] like '%an_'"_s, true},
      {u"Desc ='x'"_s, false},                             // not a text column of the table
      {u"HanWord ='"_s + QChar(0xD840) + u"*'"_s, false},  // a lone surrogate
      {u"HanWord ='a"_s + QChar(0) + u"'"_s, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(!FilterAsSqlCondition(FilterExpression::Parse(c.expression), fields).isEmpty(),
              c.answered)
        << c.expression.toStdString();
  }
}

QString Chain(int terms, const QString& joiner, const QString& pattern) {
  QStringList parts;
  for (int i = 0; i < terms; ++i) parts.append(pattern.arg(i));
  return parts.join(joiner);
}

TEST(FilterSqlTest, ChainsAreWrittenFlatOrLeftToTheHeldFilter) {
  // SQLite refuses a condition nested one level per term from about 100 terms on: chains are
  // written flat, an or of one field's values as one IN list, and what would still be too deep
  // for SQLite stays with the held filter, which reads any chain.
  const QStringList fields = {u"HanWord"_s, u"HanSpell"_s, u"Ptype"_s};
  struct Case {
    QString expression;
    QString sql;  // empty: left to the held filter
  };
  const Case cases[] = {
      {u"HanWord ='a' or hanword ='b' or HanSpell ='c*' or HanWord ='d'"_s,
       uR"(("HanWord" IN ('a', 'b', 'd') OR "HanSpell" GLOB 'c*'))"_s},
      {u"HanWord ='a' or HanWord ='b'"_s, uR"("HanWord" IN ('a', 'b'))"_s},
      {u"(HanWord ='a' or HanSpell ='b') AND Ptype ='c' AND (HanWord ='d')"_s,
       uR"((("HanWord" = 'a' OR "HanSpell" = 'b') AND "Ptype" = 'c' AND "HanWord" = 'd'))"_s},
      {u"HanWord ='a' or HanWord ='"_s + QChar(0xD840) + u"'"_s, QString()},
      {Chain(1000, u" or "_s, u"HanWord ='x%1'"_s),
       u"\"HanWord\" IN ("_s + Chain(1000, u", "_s, u"'x%1'"_s) + u")"_s},
      {Chain(1000, u" or "_s, u"HanWord ='x%1*'"_s), QString()},
      {Chain(1000, u" AND "_s, u"HanWord like '%x%1'"_s), QString()},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FilterAsSqlCondition(FilterExpression::Parse(c.expression), fields).toStdString(),
              c.sql.toStdString())
        << c.expression.left(80).toStdString();
  }
}

TEST(FilterSqlTest, LongChainsGiveTheRowsOfTheHeldFilter) {
  test::FixtureDictionary dictionary;
  for (int i = 0; i < 50; ++i) {
    dictionary.ravlekRows.push_back({{u"HanWord"_s, u"x%1"_s.arg(i * 37)},
                                     {u"HanSpell"_s, u"tsan%1"_s.arg(i % 9)},
                                     {u"Ptype"_s, i % 3 ? u"文"_s : u"白"_s}});
  }
  test::FixtureAppFolder folder(dictionary);
  TFDConnection connection;
  ASSERT_TRUE(connection.Open(folder.Path()).ok());
  QString nested = u"HanSpell ='tsan1'"_s;
  for (int i = 0; i < 200; ++i) {
    nested = u"(HanWord ='x%1' or (Ptype like '文' AND %2))"_s.arg(i).arg(nested);
  }
  const QString expressions[] = {
      Chain(1000, u" or "_s, u"HanWord ='x%1'"_s),
      Chain(1000, u" or "_s, u"HanWord ='x%1*'"_s),
      Chain(500, u" or "_s, u"HanSpell ='tsan%1' or HanWord ='x%1'"_s),
      QStringList(1000, u"HanWord like 'x%'"_s).join(u" AND "_s) + u" AND HanSpell ='tsan2'"_s,
      nested,
  };
  const QString name = u"FDQueryRavlekTable"_s;
  for (const QString& expression : expressions) {
    TFDQuery held(connection, name, DatasetStatement(name));
    TFDQuery sql(connection, name, DatasetStatement(name));
    const QStringList expected = Rows(held, [&] {
      held.Open();
      held.SetFilter(expression);
      held.FilterOn();
    });
    EXPECT_FALSE(expected.isEmpty());
    EXPECT_EQ(Rows(sql, [&] { OpenFiltered(sql, expression); }), expected)
        << expression.left(80).toStdString();
  }
}

}  // namespace
}  // namespace ravlek
