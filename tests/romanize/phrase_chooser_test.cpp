// The phrases' step of the conversion path, beside the metre: which reading comes first, and the
// reasons --explain and the reading menu give.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "build_paths.h"
#include "metre/metre_choices.h"
#include "romanize/conversion.h"
#include "romanize/phrase_chooser.h"
#include "romanize/phrase_files.h"
#include "romanize/reading_explanation.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/memory_reading_source.h"
#include "tests/support/qstring_printer.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// The first reading of each is not the one the phrases name.
test::MemoryReadingSource Rows() {
  return test::MemoryReadingSource({
      {u"樂"_s, u"gak8"_s, u"文"_s},
      {u"樂"_s, u"lok8"_s, u"文"_s},
      {u"看"_s, u"khan3"_s, u"文"_s},
      {u"看"_s, u"khan1"_s, u"文"_s},
      {u"間"_s, u"han5"_s, u"文"_s},  // both 平
      {u"間"_s, u"kan1"_s, u"文"_s},
      {u"行"_s, u"hing5"_s, u"文"_s},  // 庚, the rhyme of 月夜憶舍弟
      {u"行"_s, u"hang5"_s, u"文"_s},  // 陽
  });
}

PhraseTable Phrases() {
  PhraseTable table;
  EXPECT_TRUE(table
                  .AddClassicalTsv(u"詞\t讀音\t依據\n"
                                   u"坐[看]\tkhan3\t廣韻 苦旰切，視也\n"
                                   u"人[行]\thang5\t廣韻 胡郎切，行列\n"_s)
                  .isEmpty());
  EXPECT_TRUE(table
                  .AddTerraTsv(u"詞\t拼音\t讀音\n"
                               u"快樂\tkuai4 le4\t- lok8\n"
                               u"松間\tsong1 jian1\t- kan1\n"_s)
                  .isEmpty());
  return table;
}

const QStringList kWangChuan = {u"空山新雨後，天氣晚來秋。"_s, u"明月松間照，清泉石上流。"_s,
                                u"竹喧歸浣女，蓮動下漁舟。"_s, u"隨意春芳歇，王孫自可留。"_s};
const QStringList kZhongNan = {u"行到水窮處，坐看雲起時。"_s, u"偶然值林叟，談笑無還期。"_s};
const QStringList kYueYe = {u"戍鼓斷人行，邊秋一雁聲。"_s, u"露從今夜白，月是故鄉明。"_s,
                            u"有弟皆分散，無家問死生。"_s, u"寄書長不達，況乃未休兵。"_s};

class PhraseChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_NO_THROW(test::CopyPingshuiTables(folder_.path()));
  }
  // The first readings and their reasons through the conversion path: the metre, then the phrases.
  FirstReadings Choose(const QStringList& lines, FirstReadings* why = nullptr) {
    metre::MetreSources sources(folder_.path(), rows_);
    PhraseChooser phrases(table_, sources);
    MetreChooser metre(sources, &phrases);
    return ChooseFirstReadings(lines, {&metre, &phrases}, why);
  }
  QTemporaryDir folder_;
  test::MemoryReadingSource rows_ = Rows();
  PhraseTable table_ = Phrases();
};

struct FirstCase {
  const char* name;
  QStringList lines;
  int line;
  int index;
  QString first;
};

class PhraseAndMetreTest : public PhraseChooserTest,
                           public ::testing::WithParamInterface<FirstCase> {};

TEST_P(PhraseAndMetreTest, FirstReading) {
  const FirstCase& c = GetParam();
  EXPECT_EQ(Choose(c.lines).value(c.line).value(c.index), c.first);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PhraseAndMetreTest,
    ::testing::Values(
        // Outside verse the phrase decides.
        FirstCase{"ProsePhrase", {u"今日快樂。"_s}, 0, 3, u"lok8"_s},
        // The metre's tone wins over a phrase of the other tone.
        FirstCase{"OtherToneLoses", kZhongNan, 0, 7, u"khan1"_s},
        // Among readings of the needed tone the phrase decides, not the order.
        FirstCase{"SameToneChosenByPhrase", kWangChuan, 1, 3, u"kan1"_s},
        // A rhyme position keeps the reading of the poem's rhyme, though the phrase's has the tone.
        FirstCase{"RhymeKeepsItsReading", kYueYe, 0, 4, u"hing5"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PhraseChooserTest, ReasonsNameThePhraseOrThePlace) {
  FirstReadings why;
  Choose(QStringList{u"快樂"_s, u""_s} + kZhongNan + QStringList{u""_s} + kWangChuan, &why);
  EXPECT_EQ(why.value(0).value(1), u"快樂 → 樂 lè → lo̍k"_s);
  EXPECT_EQ(why.value(2).value(7), u"格律: 第2句第2字須平"_s);
  EXPECT_EQ(why.value(6).value(3), u"松間 → 間 jiān → kan"_s);
  // Characters no chooser decided are not explained.
  EXPECT_TRUE(why.value(2).value(0).isEmpty());
}

TEST_F(PhraseChooserTest, TextNoPhraseTouchesIsAsBefore) {
  const QStringList lines = {u"看樂間行"_s, u""_s, u"行到水窮處"_s};
  metre::MetreSources sources(folder_.path(), rows_);
  MetreChooser metreOnly(sources);
  EXPECT_EQ(Choose(lines), ChooseFirstReadings(lines, {&metreOnly}));
  // Nor are the readings read for it.
  test::MemoryReadingSource fresh = Rows();
  metre::MetreSources freshSources(folder_.path(), fresh);
  PhraseChooser phrases(table_, freshSources);
  ChooseFirstReadings(lines, {&phrases});
  EXPECT_EQ(fresh.reads, 0);
}

struct PinyinCase {
  QString numbered;
  QString marked;
};

TEST(ReadingExplanationTest, PinyinToneMarks) {
  for (const PinyinCase& c : std::vector<PinyinCase>{{u"le4"_s, u"lè"_s},
                                                     {u"jian4"_s, u"jiàn"_s},
                                                     {u"gou3"_s, u"gǒu"_s},
                                                     {u"liu2"_s, u"liú"_s},
                                                     {u"gui4"_s, u"guì"_s},
                                                     {u"lu:4"_s, u"lǜ"_s},
                                                     {u"nv3"_s, u"nǚ"_s},
                                                     {u"er2"_s, u"ér"_s},
                                                     {u"de5"_s, u"de"_s},
                                                     {u"m2"_s, u"m"_s}}) {
    EXPECT_EQ(PinyinWithToneMark(c.numbered), c.marked) << c.numbered.toStdString();
  }
  EXPECT_EQ(FanqieOf(u"廣韻 盧各切，鐸韻"_s), u"盧各切"_s);
  EXPECT_TRUE(FanqieOf(u"反切合成"_s).isEmpty());
}

TEST(PhraseFilesTest, ProblemsNameTheFileAndLineAndTheRestIsRead) {
  QTemporaryDir folder;
  PhraseTable table;
  QStringList problems = LoadShippedPhrases(folder.path(), table);
  ASSERT_EQ(problems.size(), 2);
  EXPECT_TRUE(problems[0].contains(kClassicalPhraseFile)) << problems[0].toStdString();
  EXPECT_TRUE(problems[1].contains(kTerraPhraseFile)) << problems[1].toStdString();

  QFile terra(QDir(folder.path()).filePath(kTerraPhraseFile));
  ASSERT_TRUE(terra.open(QIODevice::WriteOnly));
  terra.write(u"詞\t拼音\t讀音\n快樂\tkuai4 le4\t- lok8\n壞行\tbad\n"_s.toUtf8());
  terra.close();
  problems = LoadShippedPhrases(folder.path(), table);
  ASSERT_EQ(problems.size(), 2);
  EXPECT_TRUE(problems[1].contains(u"第 3 行"_s)) << problems[1].toStdString();
  EXPECT_NE(table.Find(u"快樂"), nullptr);
}

TEST(PhraseFilesTest, ReadOncePerProcess) {
  QTemporaryDir folder;
  for (const QString& file : {kClassicalPhraseFile, kTerraPhraseFile}) {
    QFile out(QDir(folder.path()).filePath(file));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(file == kTerraPhraseFile ? "詞\t拼音\t讀音\n快樂\tkuai4 le4\t- lok8\n"
                                       : "詞\t讀音\t依據\n");
  }
  const LoadedPhrases first = ProcessPhrases(folder.path());
  EXPECT_TRUE(first.problems.isEmpty()) << first.problems.join(u'\n').toStdString();
  QFile::remove(QDir(folder.path()).filePath(kTerraPhraseFile));
  const LoadedPhrases again = ProcessPhrases(folder.path());
  EXPECT_EQ(again.table, first.table);
  EXPECT_NE(again.table->Find(u"快樂"), nullptr);
}

}  // namespace
}  // namespace ravlek
