// The 格律 check over the program's own Pingshui tables: a table of small poems, each showing one
// fault or one remedied form, and the readings the metre chooses.

#include <gtest/gtest.h>

#include "build_paths.h"
#include "metre/character_readings.h"
#include "metre/metre_check.h"
#include "metre/metre_html.h"
#include "metre/metre_readings.h"
#include "metre/metre_report.h"
#include "metre/pingshui_table.h"
#include "tests/support/qstring_printer.h"

namespace ravlek::metre {
namespace {

const PingshuiTable& Table() {
  static const PingshuiTable table = PingshuiTable::FromFiles(
      QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/pingshui_groups.tsv"),
      QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/pingshui_variants.tsv"));
  return table;
}

QString Allowed(const PoemCheck& check) {
  QStringList names;
  for (const Finding& finding : check.allowed) {
    if (!names.contains(finding.name)) names.append(finding.name);
  }
  return names.join(u',');
}

struct Case {
  const char* name;
  const char* poem;  // lines separated by \n
  const char* form;
  const char* faults;  // FaultNames joined by ,
  const char* allowed;
};

// 春望 and changes of it, each breaking or bending one rule.
const Case kCases[] = {
    {"regular", "國破山河在，城春草木深。\n感時花濺淚，恨別鳥驚心。", "五言絕句", "", ""},
    {"lost_opposition", "國破山河在，恨別鳥驚心。\n烽火連三月，家書抵萬金。", "五言絕句", "失對",
     ""},
    {"lost_adhesion", "國破山河在，城春草木深。\n烽火連三月，家書抵萬金。", "五言絕句", "失粘", ""},
    {"out_of_rhyme", "國破山河在，城春草木深。\n感時花濺淚，恨別鳥驚魂。", "五言絕句", "出韻", ""},
    {"fixed_position", "國破山河在，城春草木深。\n感時花開淚，恨別鳥驚心。", "五言絕句", "犯律",
     ""},
    {"lone_level", "國破山河在，月春草木深。\n感時花濺淚，恨別鳥驚心。", "五言絕句", "孤平", ""},
    {"lone_level_mended", "國破山河在，月春花木深。\n感時花濺淚，恨別鳥驚心。", "五言絕句", "",
     "孤平拗救"},
    {"three_level_tail", "國破山河在，城春草木深。\n感時花濺淚，恨別人驚心。", "五言絕句", "三平尾",
     ""},
    {"three_oblique_tail", "國破山河在，城春草木深。\n感時木落淚，恨別鳥驚心。", "五言絕句",
     "三仄尾", ""},
    {"swapped_third_fourth", "國破山河在，城春草木深。\n花時鳥驚淚，恨別鳥驚心。", "五言絕句", "",
     "拗救（平平仄平仄）"},
    {"answered_in_the_next_line", "國破山水在，城春花木深。\n感時花濺淚，恨別鳥驚心。", "五言絕句",
     "", "拗救（對句相救）"},
    {"neighbour_group_first_line", "春城柳色紅，暮雨打疏松。\n綠水流江去，孤舟寄遠鐘。", "五言絕句",
     "", "孤雁出群"},
    {"oblique_rhyme_is_unregulated", "春眠不覺曉，處處聞啼鳥。\n夜來風雨聲，花落知多少。", "古體",
     "", ""},
    {"mixed_lengths_are_unregulated", "國破山河在，城春草木深。\n感時花濺淚流，恨別鳥驚心。",
     "古體", "", ""},
    {"two_lengths_repeated_stay_verse",
     "君不見黃河之水天上來，奔流到海不復回。\n君不見高堂明鏡悲白髮，朝如青絲暮成雪。", "古體", "",
     ""},
    {"prose_is_not_verse",
     "子曰：學而時習之，不亦說乎？有朋自遠方來，不亦樂乎？人不知而不慍，不亦君子乎？", "非詩", "",
     ""},
    {"two_unequal_clauses_are_prose", "有朋自遠方來，不亦樂乎？", "非詩", "", ""},
    {"regulated_eight_lines",
     "國破山河在，城春草木深。\n感時花濺淚，恨別鳥驚心。\n烽火連三月，家書抵萬金。\n"
     "白頭搔更短，渾欲不勝簪。",
     "五言律詩", "", ""},
    {"seven_characters",
     "風急天高猿嘯哀，渚清沙白鳥飛迴。\n無邊落木蕭蕭下，不盡長江滾滾來。\n"
     "萬里悲秋常作客，百年多病獨登臺。\n艱難苦恨繁霜鬢，潦倒新停濁酒杯。",
     "七言律詩", "", ""},
    // 王維〈觀獵〉: 回看射雕處 is 平平仄平仄 with 看 平, which keeps 粘 and 對.
    {"swapped_form_keeps_adhesion_and_opposition",
     "風勁角弓鳴，將軍獵渭城。\n草枯鷹眼疾，雪盡馬蹄輕。\n忽過新豐市，還歸細柳營。\n"
     "回看射雕處，千里暮雲平。",
     "五言律詩", "", "拗救（平平仄平仄）"},
    // 李商隱〈錦瑟〉: 思 read 仄 in 一弦一柱思華年 avoids 三平尾.
    {"a_reading_avoids_three_level_tail",
     "錦瑟無端五十弦，一弦一柱思華年。\n莊生曉夢迷蝴蝶，望帝春心託杜鵑。\n"
     "滄海月明珠有淚，藍田日暖玉生煙。\n此情可待成追憶，只是當時已惘然。",
     "七言律詩", "", ""},
    {"yellow_crane_tower_breaks_on_purpose",
     "昔人已乘黃鶴去，此地空餘黃鶴樓。\n黃鶴一去不復返，白雲千載空悠悠。\n"
     "晴川歷歷漢陽樹，芳草萋萋鸚鵡洲。\n日暮鄉關何處是，煙波江上使人愁。",
     "七言律詩", "犯律", "拗救（對句相救）"},
};

class MetreCaseTest : public ::testing::TestWithParam<Case> {};

TEST_P(MetreCaseTest, FormFaultsAndRemediedForms) {
  const Case& c = GetParam();
  const PoemCheck check = CheckPoem(QString::fromUtf8(c.poem).split(u'\n'), Table(), nullptr);
  EXPECT_EQ(check.form, QString::fromUtf8(c.form));
  EXPECT_EQ(check.FaultNames().join(u','), QString::fromUtf8(c.faults));
  EXPECT_EQ(Allowed(check), QString::fromUtf8(c.allowed));
}

INSTANTIATE_TEST_SUITE_P(Poems, MetreCaseTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MetreCheckTest, FaultsSitOnTheCharactersTheyConcern) {
  const PoemCheck check = CheckPoem(
      {QStringLiteral("國破山河在，城春草木深。"), QStringLiteral("感時花開淚，恨別鳥驚心。")},
      Table());
  ASSERT_EQ(check.faults.size(), 1);
  EXPECT_EQ(check.faults[0].verse, 2);
  EXPECT_EQ(check.faults[0].positions, QList<int>{3});
  EXPECT_EQ(FindingText(check, check.faults[0]), QStringLiteral("第3句第4字「開」犯律"));
}

TEST(MetreCheckTest, RhymePositionsCarryTheGroupAndTonesFollowThePattern) {
  const PoemCheck check = CheckPoem(
      {QStringLiteral("國破山河在，城春草木深。"), QStringLiteral("白頭搔更短，渾欲不勝簪。")},
      Table());
  EXPECT_EQ(RhymeGroupName(check.rhyme), QStringLiteral("下平十二侵"));
  EXPECT_TRUE(check.verses[1].characters[4].rhymePosition);
  EXPECT_EQ(RhymeGroupName(check.verses[1].characters[4].rhyme), QStringLiteral("下平十二侵"));
  EXPECT_FALSE(check.verses[0].characters[4].rhymePosition);
  // 勝 has both tones; the 4th place of 仄仄仄平平 fixes it 平. 不 at the free 3rd stays 中.
  EXPECT_EQ(check.verses[3].Tones(), QStringLiteral("中仄中平平"));
}

TEST(MetreCheckTest, TitleAndNotesAreLeftOut) {
  const PoemCheck check =
      CheckPoem({QStringLiteral("春望"), QStringLiteral("國破山河在，城春草木深。(一作："),
                 QStringLiteral("城深）"), QStringLiteral("感時花濺淚，恨別鳥驚心。")},
                Table());
  EXPECT_EQ(check.title, QStringLiteral("春望"));
  EXPECT_EQ(check.verses.size(), 4);
  EXPECT_EQ(check.form, QStringLiteral("五言絕句"));
}

TEST(MetreCheckTest, CharacterTheTableLacksTakesItsReadingsTones) {
  CharacterReadings readings;
  readings.Add(U'𠀋', QStringLiteral("tsit8"));
  const PoemCheck check =
      CheckPoem({QStringLiteral("國破山河𠀋，城春草木深。")}, Table(), &readings);
  const MetreCharacter& c = check.verses[0].characters[4];
  EXPECT_EQ(c.Text(), QStringLiteral("𠀋"));
  EXPECT_EQ(c.source, ToneSource::Readings);
  EXPECT_EQ(c.tone, Tone::Oblique);
  EXPECT_EQ(c.reading, QStringLiteral("tsit8"));
  EXPECT_TRUE(MetrePlainText(check, 1).contains(QStringLiteral("平水韻未收「𠀋」")));
}

// The table gives the same answers from its array of the common Han blocks as from its hashes:
// a character of the file, one found through its standard form, one outside the blocks, and one
// added after the files were read (which must not be hidden by the array).
TEST(PingshuiTableTest, FindsCharactersInsideAndOutsideTheHanBlocks) {
  PingshuiTable table = Table();
  table.Add(U'𠀋', {QStringLiteral("入聲四質")});
  table.Add(U'丂', {QStringLiteral("上平一東")});
  struct Lookup {
    char32_t character;
    bool found;
    bool viaVariant;
    bool level;
  };
  for (const Lookup& c : {Lookup{U'丁', true, false, true}, Lookup{U'爲', true, true, true},
                          Lookup{U'𠀋', true, false, false}, Lookup{U'丂', true, false, true},
                          Lookup{U'乄', false, false, false}}) {
    bool viaVariant = false;
    const RhymeGroups* groups = table.FindGroups(c.character, viaVariant);
    EXPECT_EQ(groups != nullptr, c.found) << uint(c.character);
    EXPECT_EQ(viaVariant, c.viaVariant) << uint(c.character);
    if (groups) {
      EXPECT_EQ(groups->HasLevel(), c.level) << uint(c.character);
    }
  }
}

// Prose is said to be no verse, without tone rows to line up; a poem ended where the shape
// changed says so.
TEST(MetreReportTest, ProseAndTheDivisionAreSaid) {
  const QStringList text = {QStringLiteral("國破山河在，城春草木深。"),
                            QStringLiteral("感時花開淚，恨別鳥驚心。"),
                            QStringLiteral("有朋自遠方來，不亦樂乎？")};
  const QList<PoemLines> poems = SplitPoems(text);
  ASSERT_EQ(poems.size(), 2);
  EXPECT_EQ(MetrePlainText(CheckPoem(poems[0], Table()), 1),
            QStringLiteral("第1首　五言絕句　韻：下平十二侵　犯律\n"
                           "下一行體式不同，未隔空行亦另起一首\n"
                           "國破山河在\n仄仄平平仄\n城春草木深\n平平仄仄平　韻 下平十二侵\n"
                           "感時花開淚\n仄平平平仄\n恨別鳥驚心\n仄仄仄平平　韻 下平十二侵\n"
                           "第3句第4字「開」犯律\n"));
  EXPECT_EQ(MetrePlainText(CheckPoem(poems[1], Table()), 2),
            QStringLiteral("第2首　非詩　不論格律\n有朋自遠方來\n不亦樂乎\n"));
}

// The window's view says how the text was divided, and shows prose without tone columns.
TEST(MetreReportTest, HtmlSaysHowTheTextWasDivided) {
  QList<PoemCheck> checks;
  for (const PoemLines& poem : SplitPoems({QStringLiteral("國破山河在，城春草木深。"),
                                           QStringLiteral("感時花開淚，恨別鳥驚心。"),
                                           QStringLiteral("有朋自遠方來，不亦樂乎？")})) {
    checks.append(CheckPoem(poem, Table()));
  }
  const QString html = MetreHtml(checks);
  EXPECT_TRUE(html.contains(QStringLiteral("以空行分首"))) << html.toStdString();
  EXPECT_EQ(html.count(QStringLiteral("下一行體式不同")), 1);
  const QString prose = html.mid(html.indexOf(QStringLiteral("第2首")));
  EXPECT_TRUE(prose.contains(QStringLiteral("非詩"))) << prose.toStdString();
  EXPECT_TRUE(prose.contains(QStringLiteral("有朋自遠方來，不亦樂乎")));
  EXPECT_FALSE(prose.contains(QStringLiteral("<table")));
}

TEST(MetreReadingsTest, ThePlaceChoosesTheReadingOfItsTone) {
  CharacterReadings readings;
  readings.Add(U'看', QStringLiteral("khan3"));  // first, but 仄
  readings.Add(U'看', QStringLiteral("khan1"));
  // 看 rhymes in 寒 at the end of the second 句 (月夜); the poem's other characters have none.
  const QStringList lines = {QStringLiteral("今夜鄜州月，閨中只獨看。"),
                             QStringLiteral("遙憐小兒女，未解憶長安。"), QString(),
                             QStringLiteral("看山，")};
  const QList<QStringList> chosen = MetreReadings(lines, Table(), readings);
  ASSERT_EQ(chosen.size(), 4);
  ASSERT_EQ(chosen[0].size(), 12);
  EXPECT_EQ(chosen[0][10], QStringLiteral("khan1"));
  EXPECT_EQ(chosen[0][5], QString());  // ，
  EXPECT_TRUE(chosen[2].isEmpty());
  // Not a regulated poem: nothing chosen.
  EXPECT_EQ(chosen[3], QStringList(3));
  EXPECT_TRUE(HasMetreReadings(chosen));
}

// The metre reads the whole poem: a place of both tones takes the tone that 粘 and 對, 孤平 and
// the tail need, and a rhyme position the reading that rhymes with the others, whatever reading
// comes first.
TEST(MetreReadingsTest, TheWholePoemChoosesTheReading) {
  CharacterReadings readings;
  for (const auto& [character, spell] : {std::pair{U'看', "khan3"},
                                         {U'看', "khan1"},
                                         {U'思', "su1"},
                                         {U'思', "su3"},
                                         {U'華', "hua5"},
                                         {U'華', "hua3"},
                                         {U'行', "hang5"},  // 陽, first
                                         {U'行', "hing5"},  // 庚
                                         {U'行', "hing7"},
                                         {U'聲', "sing1"},
                                         {U'明', "bing5"},
                                         {U'生', "senn1"},
                                         {U'生', "sing1"},
                                         {U'兵', "ping1"}}) {
    readings.Add(character, QString::fromLatin1(spell));
  }
  struct {
    QStringList lines;
    int line;
    int index;
    const char* reading;
  } cases[] = {
      {{QStringLiteral("風勁角弓鳴，將軍獵渭城。"), QStringLiteral("草枯鷹眼疾，雪盡馬蹄輕。"),
        QStringLiteral("忽過新豐市，還歸細柳營。"), QStringLiteral("回看射雕處，千里暮雲平。")},
       3,
       1,
       "khan1"},
      {{QStringLiteral("錦瑟無端五十弦，一弦一柱思華年。"),
        QStringLiteral("莊生曉夢迷蝴蝶，望帝春心託杜鵑。"),
        QStringLiteral("滄海月明珠有淚，藍田日暖玉生煙。"),
        QStringLiteral("此情可待成追憶，只是當時已惘然。")},
       0,
       12,
       "su3"},
      // 行 rhymes with 聲 明 生 兵 in -ing.
      {{QStringLiteral("戍鼓斷人行，邊秋一雁聲。"), QStringLiteral("露從今夜白，月是故鄉明。"),
        QStringLiteral("有弟皆分散，無家問死生。"), QStringLiteral("寄書長不達，況乃未休兵。")},
       0,
       4,
       "hing5"},
      // 看 heads a 平平仄仄平 core: read 仄 it would leave 孤平.
      {{QStringLiteral("國破山河在，看春草木深。"), QStringLiteral("感時花濺淚，恨別鳥驚心。")},
       0,
       6,
       "khan1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines.join(u'/').toStdString());
    EXPECT_EQ(MetreReadings(c.lines, Table(), readings)[c.line][c.index],
              QString::fromLatin1(c.reading));
    EXPECT_EQ(CheckPoem(c.lines, Table(), &readings).faults.size(), 0);
  }
}

TEST(MetreReportTest, TsvRowsAndPoemLine) {
  CharacterReadings readings;
  readings.Add(U'國', QStringLiteral("kok4"));
  const PoemCheck check = CheckPoem(
      {QStringLiteral("國破山河在，城春草木深。"), QStringLiteral("感時花開淚，恨別鳥驚心。")},
      Table(), &readings);
  const QString tsv = MetreTsv(check, 3);
  EXPECT_TRUE(
      tsv.startsWith(QStringLiteral("3\t1\t國破山河在\t仄仄平平仄\t\tkok4 - - - -\n"
                                    "3\t2\t城春草木深\t平平仄仄平\t下平十二侵\t- - - - -\n")));
  EXPECT_TRUE(tsv.endsWith(QStringLiteral("# poem\t3\t五言絕句\t下平十二侵\t犯律\n")));
  EXPECT_EQ(SplitPoems({QStringLiteral("a"), QStringLiteral(" "), QString(), QStringLiteral("b"),
                        QStringLiteral("c")})
                .size(),
            2);
}

}  // namespace
}  // namespace ravlek::metre
