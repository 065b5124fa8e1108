// The 格律 check over every poem of 唐詩三百首 with the open dictionary's readings: no poem fails,
// the regulated sections are found regulated, and the famous cases come out as they should.

#include <gtest/gtest.h>

#include "build_paths.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "metre/character_readings.h"
#include "metre/metre_check.h"
#include "metre/metre_report.h"
#include "metre/pingshui_table.h"
#include "tests/support/corpus_texts.h"

namespace ravlek::metre {
namespace {

TEST(MetreCorpusTest, EveryPoemOfTangShiSanBaiShou) {
  SKIP_WITHOUT_CORPUS();
  TFDConnection connection;
  ASSERT_TRUE(connection.OpenSqliteFile(test::BuiltOpenDictionary()).ok());
  const QString name = QStringLiteral("FDQuerySQLRavlekTable");
  TFDQuery query(connection, name, DatasetStatement(name));
  DatasetClassReadingSource source(query);
  const CharacterReadings readings = CharacterReadings::FromSource(source);
  const PingshuiTable table = PingshuiTable::FromAppFolder(QStringLiteral(RAVLEK_DEFAULT_APP_DIR));

  const QList<test::CorpusPoem> poems = test::TangShiSanBaiShouPoems();
  ASSERT_EQ(poems.size(), 320);
  int regulatedSections = 0;
  int foundRegulated = 0;
  QHash<QString, PoemCheck> byTitle;
  for (const test::CorpusPoem& poem : poems) {
    const PoemCheck check = CheckPoem(poem.paragraphs, table, &readings);
    ASSERT_FALSE(check.verses.isEmpty()) << poem.title.toStdString();
    EXPECT_EQ(MetreTsv(check, 1).count(u'\n'), check.verses.size() + 1);
    for (const Verse& verse : check.verses) {
      EXPECT_EQ(verse.Tones().size(), verse.characters.size());
    }
    if (poem.section.endsWith(QStringLiteral("律詩")) ||
        poem.section.startsWith(QStringLiteral("七言絕句"))) {
      ++regulatedSections;
      foundRegulated += check.Regulated();
      if (check.Regulated()) {
        EXPECT_EQ(check.form, poem.section) << poem.title.toStdString();
      }
    }
    byTitle.insert(poem.title, check);
  }
  // A handful of poems of these sections bend the rules so far that they read as 古體.
  EXPECT_GE(foundRegulated * 100, regulatedSections * 95);
  EXPECT_EQ(byTitle[QStringLiteral("登高")].FaultNames(), QStringList());
  EXPECT_EQ(byTitle[QStringLiteral("春望")].FaultNames(), QStringList());
  EXPECT_FALSE(byTitle[QStringLiteral("登黃鶴樓")].faults.isEmpty());
}

}  // namespace
}  // namespace ravlek::metre
