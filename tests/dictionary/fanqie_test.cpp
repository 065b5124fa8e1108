// Finding fanqie notations and writing the readings of their two characters.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <map>

#include "dictionary/fanqie.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// BaseWords then BaseWordsPlus as maps of first rows; the lookup over the real datasets is
// tested with a SQLite dictionary in fanqie_dataset_test.cpp.
class MemoryLookup : public BaseWordLookup {
 public:
  std::optional<BaseWordRow> Find(const QString& character) override {
    for (const auto* table : {&baseWords, &baseWordsPlus})
      if (const auto it = table->find(character); it != table->end())
        return BaseWordRow{character, it->second};
    return std::nullopt;
  }
  std::map<QString, QString> baseWords = {
      {u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}, {u"租"_s, u"tsoo1"_s}, {u"全"_s, u"tsuan5"_s},
      {u"甲"_s, u"kah4"_s},  {u"乙"_s, u"it4"_s},  {u"丙"_s, u"ping2"_s}, {u"丁"_s, u"ting1"_s},
      {u"空"_s, QString()},  {u"𠀤"_s, u"ping7"_s}};
  std::map<QString, QString> baseWordsPlus = {{u"縣"_s, u"hian7"_s}};
};

struct FanqieCase {
  const char* name;
  QString text;
  QString expected;
};

class FanqieTest : public ::testing::TestWithParam<FanqieCase> {};

TEST_P(FanqieTest, Lines) {
  MemoryLookup lookup;
  EXPECT_EQ(ExtractFanqieReadings(GetParam().text, lookup).toStdU16String(),
            GetParam().expected.toStdU16String());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FanqieTest,
    ::testing::Values(FanqieCase{"one_notation", u"又叶租全反，音鐫。"_s,
                                 u"租(tsoo1)全(tsuan5)\r\n"_s},
                      FanqieCase{"two_in_a_row", u"甲乙切丙丁反"_s,
                                 u"甲(kah4)乙(it4)\r\n丙(ping2)丁(ting1)\r\n"_s},
                      FanqieCase{"fan_before_qie", u"甲乙反丙丁切"_s,
                                 u"甲(kah4)乙(it4)\r\n丙(ping2)丁(ting1)\r\n"_s},
                      FanqieCase{"marker_as_lower_character", u"甲乙切反"_s,
                                 u"甲(kah4)乙(it4)\r\n乙(it4)切(切)反\r\n"_s},
                      FanqieCase{"fallback_to_plus", u"則縣反"_s, u"則(tsik4)縣(hian7)\r\n"_s},
                      FanqieCase{"upper_not_found", u"某全切"_s, u"某(某)全(tsuan5)\r\n"_s},
                      FanqieCase{"lower_not_found", u"則某切"_s, u"則(tsik4)某(某)切\r\n"_s},
                      FanqieCase{"both_not_found", u"某某反"_s, u"某(某)某(某)反\r\n"_s},
                      FanqieCase{"empty_reading", u"空空切"_s, u"空()空()\r\n"_s},
                      FanqieCase{"after_line_break", u"則\r\n切"_s, u"\r(\r)\n(\n)切\r\n"_s},
                      FanqieCase{"marker_first", u"切則旰切"_s, u"則(tsik4)旰(kan3)\r\n"_s},
                      FanqieCase{"marker_second", u"則反甲乙切"_s, u"甲(kah4)乙(it4)\r\n"_s},
                      FanqieCase{"outside_bmp_whole", u"𠀤則切"_s, u"𠀤(ping7)則(tsik4)\r\n"_s},
                      FanqieCase{"no_marker", u"讚，纂也。"_s, QString()},
                      FanqieCase{"empty", QString(), QString()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FanqieLimitTest, ThirtyNotationsGiveTwentyFiveLines) {
  QString text;
  for (int i = 0; i < 30; ++i) text += u"甲乙切，"_s;
  MemoryLookup lookup;
  const QString output = ExtractFanqieReadings(text, lookup);
  EXPECT_EQ(output.count(u"\r\n"_s), kMaxFanqieNotations);
  EXPECT_EQ(output, QString(u"甲(kah4)乙(it4)\r\n"_s).repeated(25));
}

TEST(FanqieSampleTest, HoldsExactlyTheThreeNotations) {
  const QString passage = FanqieSamplePassage();
  const QRegularExpression marker(u"[切反]"_s);
  QStringList notations;
  for (auto it = marker.globalMatch(passage); it.hasNext();) {
    const auto match = it.next();
    notations.append(passage.mid(match.capturedStart() - 2, 3));
  }
  EXPECT_EQ(notations, (QStringList{u"則旰切"_s, u"租全反"_s, u"則縣反"_s}));
  // The citations are the dictionary's own words (kx01-10-01.xml, entry 讚).
  EXPECT_EQ(
      passage,
      u"範例如:讚(tsan3)【集韻】【韻會】𠀤則旰切，音酇。【小爾雅】明也。【類篇】稱也。"
      u"【釋名】稱人之美曰讚。讚，纂也。纂集其美而敘之也。 又叶租全反，音鐫。"
      u"【蔡洪·圍棋賦】或設死而稱枉，皋陶不能治其怨；或巧逸以樂胥，后夔不足以之讚。"
      u"怨平聲，叶上源。"
      u"\u3000又叶則縣反，音箭。"
      u"【馬融·長笛賦】留眎瞠眙，累稱屢讚；失容墜席，搏拊雷抃。俗作讃。 "
      u"\r\n\r\n                              "
      u"<<< 請按此欄位右下 《【粹取】》 按鈕 , 執行此範例 >>>"
      u"\r\n\r\n註：讚 標 tsan3，自動拼音卻得 tsan2。拼音由上字 則 取聲母 ts-，由下字 旰 "
      u"取韻母 -an 及聲調；本字典 旰 的文讀是 han2（上聲），故拼得上聲 tsan2。然而 旰 在"
      u"廣韻屬去聲翰韻，讚 亦是去聲；上字 則 為全清聲母，全清配去聲為陰去，故 讚 讀 tsan3。"_s);

  MemoryLookup lookup;
  EXPECT_EQ(ExtractFanqieReadings(passage, lookup),
            u"則(tsik4)旰(kan3)\r\n租(tsoo1)全(tsuan5)\r\n則(tsik4)縣(hian7)\r\n"_s);
}

}  // namespace
}  // namespace ravlek
