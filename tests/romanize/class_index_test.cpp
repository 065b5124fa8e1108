// The conversion's class readings kept between runs: read once while the dictionary is unchanged,
// read again after anything that may have changed them.
#include "romanize/class_index.h"

#include <gtest/gtest.h>

#include <QSqlQuery>
#include <functional>

#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "romanize/romanizer.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureRow Reading(const QString& word, const QString& ptype, const QString& spell) {
  return {{u"HanWord"_s, word}, {u"Ptype"_s, ptype}, {u"HanSpell"_s, spell}};
}

test::FixtureDictionary Dictionary(const QString& spell) {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {Reading(u"天"_s, u"文"_s, spell), Reading(u"夜"_s, u"通"_s, u"ia7"_s)};
  return dictionary;
}

// Counts the class reads that reach the dataset.
class CountingSource : public DatasetClassReadingSource {
 public:
  using DatasetClassReadingSource::DatasetClassReadingSource;
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override {
    ++reads;
    DatasetClassReadingSource::ReadClass(readingClass, row);
  }
  int reads = 0;
};

struct Fixture {
  Fixture() : folder(Dictionary(u"thian1"_s)), other(Dictionary(u"thinn1"_s)) {
    EXPECT_TRUE(connection.Open(folder.Path()).ok());
  }
  QString Convert(ClassIndexCache& cache) {
    TFDQuery query(connection, u"FDQuerySQLRavlekTable"_s,
                   DatasetStatement(u"FDQuerySQLRavlekTable"_s));
    CountingSource source(query);
    const QString line = Romanizer(source, ConversionOptions{false, false, false, false}, &cache)
                             .RomanizeLine(u"天夜"_s);
    reads = source.reads;
    return line;
  }
  void Edit(TFDConnection& through, const QString& spell) {
    TFDQuery lookup(through, u"FDQueryRavlekTable"_s, DatasetStatement(u"FDQueryRavlekTable"_s));
    lookup.Open();
    lookup.Edit(u"HanSpell"_s, spell);
    lookup.Post();
  }

  test::FixtureAppFolder folder;
  test::FixtureAppFolder other;
  TFDConnection connection;
  int reads = 0;
};

TEST(ClassIndexCacheTest, KeepsTheClassesUntilTheDictionaryMayHaveChanged) {
  struct Case {
    const char* name;
    std::function<void(Fixture&)> change;
    const char* spell;  // the reading of 天 after the change
    bool readAgain;
  };
  const Case cases[] = {
      {"nothing", [](Fixture&) {}, "thian1", false},
      {"an edit in the lookup grid", [](Fixture& f) { f.Edit(f.connection, u"thian5"_s); },
       "thian5", true},
      {"an edit by another program",
       [](Fixture& f) {
         TFDConnection second;
         ASSERT_TRUE(second.OpenSqliteFile(f.folder.DatabasePath()).ok());
         f.Edit(second, u"thian2"_s);
       },
       "thian2", true},
      {"another dictionary",
       [](Fixture& f) {
         f.connection.Close();
         ASSERT_TRUE(f.connection.Open(f.other.Path()).ok());
       },
       "thinn1", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    ClassIndexCache cache;
    ASSERT_TRUE(f.Convert(cache).contains(u"thian1"_s));
    EXPECT_GT(f.reads, 0);
    c.change(f);
    EXPECT_TRUE(f.Convert(cache).contains(QString::fromLatin1(c.spell)));
    EXPECT_EQ(f.reads > 0, c.readAgain);
  }
}

}  // namespace
}  // namespace ravlek
