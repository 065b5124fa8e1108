// The fanqie lookup through the base-word datasets of a SQLite dictionary.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/fanqie.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

class FanqieDatasetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    const QString path = dir_.filePath(u"fanqie.db"_s);
    test::FixtureDictionary dictionary;
    dictionary.baseWords = {
        {u"則"_s, u"tsik4"_s}, {u"則"_s, u"tsik8"_s},  // only the first row counts
        {u"旰"_s, u"kan3"_s},  {u"空"_s, std::nullopt}, {u"虛"_s, QString()},
        {u"**"_s, u"wrong"_s}, {u"*"_s, u"sing1"_s},  // "*" is compared exactly
        {u"'"_s, u"khau2"_s},  {u"𠀤"_s, u"ping7"_s},   {u"縣"_s, std::nullopt}};
    dictionary.baseWordsPlus = {
        {u"縣"_s, u"wrong"_s}, {u"全"_s, u"tsuan5"_s}, {u"租"_s, u"tsoo1"_s}};
    test::WriteFixtureDictionary(path, dictionary);
    ASSERT_TRUE(connection_.OpenSqliteFile(path).ok());
    baseWords_.Open();
    baseWordsPlus_.Open();
  }

  QString Extract(const QString& text) {
    DatasetBaseWordLookup lookup(baseWords_, baseWordsPlus_);
    return ExtractFanqieReadings(text, lookup);
  }

  QTemporaryDir dir_;
  TFDConnection connection_;
  TFDQuery baseWords_{connection_, u"FDQueryBaseWords"_s, DatasetStatement(u"FDQueryBaseWords"_s)};
  TFDQuery baseWordsPlus_{connection_, u"FDQueryBaseWordsPlus"_s,
                          DatasetStatement(u"FDQueryBaseWordsPlus"_s)};
};

TEST_F(FanqieDatasetTest, FirstRowOfBaseWordsThenBaseWordsPlus) {
  EXPECT_EQ(Extract(u"則旰切"_s), u"則(tsik4)旰(kan3)\r\n"_s);
  EXPECT_EQ(Extract(u"租全反"_s), u"租(tsoo1)全(tsuan5)\r\n"_s);
  // A row in BaseWords, even with a null reading, hides BaseWordsPlus.
  EXPECT_EQ(Extract(u"則縣反"_s), u"則(tsik4)縣()\r\n"_s);
  EXPECT_EQ(Extract(u"空虛切"_s), u"空()虛()\r\n"_s);
  EXPECT_EQ(Extract(u"某乙切"_s), u"某(某)乙(乙)切\r\n"_s);
}

TEST_F(FanqieDatasetTest, SpecialCharactersAreLookedUpExactly) {
  EXPECT_EQ(Extract(u"'*切"_s), u"'(khau2)*(sing1)\r\n"_s);
  EXPECT_EQ(Extract(u"𠀤%反"_s), u"𠀤(ping7)%(%)反\r\n"_s);
}

}  // namespace
}  // namespace ravlek
