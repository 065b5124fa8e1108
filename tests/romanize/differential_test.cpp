// The indexed conversion against the statement-per-character conversion through the same dataset,
// on a random dictionary and random text: the romanised lines must be identical.
#include <gtest/gtest.h>

#include <QRandomGenerator>
#include <QTemporaryDir>

#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "romanize/romanizer.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/statement_romanizer.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

const QString kStartStatement = DatasetStatement(u"FDQuerySQLRavlekTable"_s);

// Characters the random dictionary and text are drawn from: CJK, outside the BMP, the filter
// language's special characters, a quote.
QStringList CharacterPool(QRandomGenerator& random) {
  QStringList pool = {u"'"_s, u"*"_s, u"%"_s, u"_"_s, u"a"_s, u"A"_s, u"𠀤"_s, u"𠀀"_s, u"𪚥"_s};
  for (int i = 0; i < 60; ++i) pool.append(QChar(char16_t(0x4E00 + random.bounded(400))));
  return pool;
}

test::FixtureDictionary RandomDictionary(QRandomGenerator& random, const QStringList& pool,
                                         int rowCount) {
  const QStringList ptypes = {u"通"_s,   u"文"_s,   u"今"_s,   u"古"_s,  u"白"_s,
                              u"通俗"_s, u"文讀"_s, u"白話"_s, u"x通"_s, u""_s};
  test::FixtureDictionary dictionary;
  for (int i = 0; i < rowCount; ++i) {
    test::FixtureRow row;
    const int shape = random.bounded(20);
    QString word = pool[random.bounded(pool.size())];
    if (shape == 0) word += pool[random.bounded(pool.size())];  // a word of two characters
    if (shape == 1) word.clear();
    if (shape != 2) row[u"HanWord"_s] = word;  // else null
    const int spell = random.bounded(12);
    if (spell == 0)
      row[u"HanSpell"_s] = QString();
    else if (spell != 1)
      row[u"HanSpell"_s] = u"r%1"_s.arg(random.bounded(50));
    if (random.bounded(30) != 0) row[u"Ptype"_s] = ptypes[random.bounded(ptypes.size())];
    dictionary.ravlekRows.push_back(row);
  }
  return dictionary;
}

QStringList RandomLines(QRandomGenerator& random, const QStringList& pool, int characters) {
  QStringList lines = {QString()};
  for (int i = 0; i < characters; ++i) {
    const int kind = random.bounded(40);
    if (kind == 0)
      lines.append(QString());
    else if (kind == 1)
      lines.last() += u' ';
    else if (kind == 2)
      lines.last() += QChar(0x3000);
    else if (kind == 3)
      lines.last() += QChar(char16_t(0xD800 + random.bounded(0x800)));
    else if (kind == 4)
      lines.last() += u"，"_s;
    else
      lines.last() += pool[random.bounded(pool.size())];
  }
  return lines;
}

TEST(DifferentialTest, IndexedConversionEqualsStatementPerCharacter) {
  QRandomGenerator random(20261210);
  const QStringList pool = CharacterPool(random);
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath(u"random.db"_s);
  test::WriteFixtureDictionary(path, RandomDictionary(random, pool, 400));

  TFDConnection connection;
  ASSERT_TRUE(connection.OpenSqliteFile(path).ok());
  TFDQuery literal(connection, u"Literal"_s, kStartStatement);
  TFDQuery indexed(connection, u"FDQuerySQLRavlekTable"_s, kStartStatement);

  const ConversionOptions optionSets[] = {
      {false, false, true, true}, {true, true, true, true}, {true, false, false, false}};
  int characters = 0;
  for (const ConversionOptions& options : optionSets) {
    const QStringList lines = RandomLines(random, pool, 1000);
    DatasetClassReadingSource source(indexed);
    const QStringList fast = RomanizeLines(lines, options, source);
    ASSERT_EQ(fast.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
      characters += lines[i].size();
      ASSERT_EQ(fast[i].toStdU16String(),
                RomanizeLineByStatements(literal, lines[i], options).toStdU16String())
          << "line " << i << ": " << lines[i].toStdString();
    }
  }
  EXPECT_GT(characters, 2900);
}

}  // namespace
}  // namespace ravlek
