// The readings chosen by the phrases a character stands in.
#include <gtest/gtest.h>

#include <QSet>
#include <thread>

#include "romanize/phrase_readings.h"
#include "romanize/romanizer.h"
#include "tests/support/memory_reading_source.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// Our file first, then terra-pinyin's, as the program reads them.
PhraseTable SmallTable() {
  PhraseTable table;
  const QStringList problems = table.AddClassicalTsv(
      u"詞\t讀音\t依據\n"
      u"不亦[說]乎\tuat8\t廣韻 弋雪切，同悅\n"
      u"[好]色\thonn3\t廣韻 呼到切，愛好\n"
      u"[好]學\thonn3\t廣韻 呼到切，愛好\n"
      u"[知]者\tti3\t廣韻 知義切，同智\n"
      u"知者[樂]水\tngau7\t廣韻 五教切，愛好\n"
      u"𠀤[行]\thing7\t\n"_s);
  EXPECT_TRUE(problems.isEmpty()) << problems.join(u'\n').toStdString();
  const QStringList terra = table.AddTerraTsv(
      u"詞\t拼音\t讀音\n"
      u"好學\thao3 xue2\thonn2 -\n"                  // loses to our phrase of the same length
      u"好色之徒\thao4 se4 zhi1 tu2\thonn2 - - -\n"  // longer: wins
      u"好人家\thao3 ren2 jia1\tnone9 - -\n"         // a reading 好 lacks: not taken
      u"快樂\tkuai4 le4\t- lok8\n"_s);
  EXPECT_TRUE(terra.isEmpty()) << terra.join(u'\n').toStdString();
  return table;
}

bool HasReading(char32_t character, const QString& reading) {
  static const QSet<QString> known = {u"說 uat8"_s,  u"好 honn3"_s, u"好 honn2"_s, u"知 ti3"_s,
                                      u"樂 ngau7"_s, u"樂 lok8"_s,  u"行 hing7"_s};
  return known.contains(QString::fromUcs4(&character, 1) + u' ' + reading);
}

struct ChoiceCase {
  const char* name;
  QString line;
  QStringList expected;  // one per character
  QStringList user = {};
};

class PhraseChoiceTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(PhraseChoiceTest, ReadingPerCharacter) {
  const ChoiceCase& c = GetParam();
  const PhraseTable table = SmallTable();
  EXPECT_EQ(PhraseFirstReadings(ChoosePhraseReadings(c.line, table, HasReading, c.user)),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Phrases, PhraseChoiceTest,
    ::testing::Values(
        ChoiceCase{
            "OursInAText", u"學而時習之不亦說乎"_s, {{}, {}, {}, {}, {}, {}, {}, u"uat8"_s, {}}},
        ChoiceCase{"NoPhraseTouchesIt", u"天地人"_s, {{}, {}, {}}},
        ChoiceCase{"OneCharacterIsNoPhrase", u"說"_s, {{}}},
        ChoiceCase{"LongerPhraseWins", u"好色之徒"_s, {u"honn2"_s, {}, {}, {}}},
        ChoiceCase{"ShorterWhereTheLongerIsAbsent", u"好色"_s, {u"honn3"_s, {}}},
        ChoiceCase{"OursWinsOnEqualLength", u"好學"_s, {u"honn3"_s, {}}},
        ChoiceCase{"AReadingTheCharacterLacksIsPassedOver", u"好人家"_s, {{}, {}, {}}},
        // 知者樂水 names 樂 only: 知 takes the shorter 知者's reading.
        ChoiceCase{
            "EachCharacterItsLongestNamingPhrase", u"知者樂水"_s, {u"ti3"_s, {}, u"ngau7"_s, {}}},
        ChoiceCase{"PhrasesOverlap", u"快樂水"_s, {{}, u"lok8"_s, {}}},
        ChoiceCase{
            "TheUserWins", u"好色之徒"_s, {u"honn3"_s, {}, u"x"_s, {}}, {u"honn3"_s, {}, u"x"_s}},
        ChoiceCase{"ASurrogatePairIsOneCharacter", u"a𠀤行"_s, {{}, {}, u"hing7"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PhraseTableTest, ReportsLinesItCannotRead) {
  PhraseTable table;
  const QStringList problems = table.AddClassicalTsv(
      u"詞\t讀音\t依據\n"
      u"不亦說乎\tuat8\n"   // no character in brackets
      u"[好]色\n"           // no reading
      u"[好][色]\thonn3\n"  // two in brackets
      u"\n"
      u"[好]學\thonn3\n"_s);
  EXPECT_EQ(problems, QStringList({u"line 2: expected 詞 (the character in brackets), reading"_s,
                                   u"line 3: expected 詞 (the character in brackets), reading"_s,
                                   u"line 4: one character in brackets only"_s}));
  EXPECT_EQ(table.size(), 1);
  EXPECT_EQ(table.AddTerraTsv(u"詞\t拼音\t讀音\n好學\thao3 xue2\thonn2\n"_s),
            QStringList({u"line 2: expected 詞, 拼音, one reading per character"_s}));
}

TEST(PhraseTableTest, TheChosenReadingLeadsItsGroupAndAnUntouchedLineIsUnchanged) {
  test::MemoryReadingSource source({{u"說"_s, "suat4", u"文"_s},
                                    {u"說"_s, "uat8", u"文"_s},
                                    {u"乎"_s, "hoo5", u"通"_s},
                                    {u"天"_s, "thian1", u"通"_s}});
  Romanizer romanizer(source, ConversionOptions{});
  const PhraseTable table = SmallTable();
  const QString line = u"不亦說乎"_s;
  EXPECT_EQ(
      romanizer
          .RomanizeLine(line, PhraseFirstReadings(ChoosePhraseReadings(line, table, HasReading)))
          .toStdString(),
      u"不 。 亦 。 (文 uat8 suat4)  。 通 hoo5  。 "_s.toStdString());
  const QString plain = u"天說乎"_s;
  EXPECT_EQ(romanizer.RomanizeLine(
                plain, PhraseFirstReadings(ChoosePhraseReadings(plain, table, HasReading))),
            romanizer.RomanizeLine(plain));
}

// terra-pinyin's lines are read when a look-up first reaches them; the phrase they make must be the
// one reading them at once makes, whatever was added before, between or after.
TEST(PhraseTableTest, PhrasesReadWhenReachedMergeAsIfReadAtOnce) {
  const QString classical = u"詞\t讀音\t依據\n[好]學\thonn3\t愛好\n"_s;
  const QString terra =
      u"詞\t拼音\t讀音\n好學\thao3 xue2\thonn2 -\n好學\thao4 xue2\thonn9 hak8\n"_s;
  struct Order {
    const char* name;
    bool classicalFirst;
    bool findBetween;
  };
  for (const Order& order :
       {Order{"classical first", true, false}, Order{"terra first", false, false},
        Order{"terra first, looked up before the rest", false, true}}) {
    SCOPED_TRACE(order.name);
    PhraseTable table;
    if (order.classicalFirst) table.AddClassicalTsv(classical);
    EXPECT_TRUE(table.AddTerraTsv(terra).isEmpty());
    if (order.findBetween) {
      ASSERT_NE(table.Find(u"好學"), nullptr);
      EXPECT_EQ(table.Find(u"好學")->readings, QStringList({u"honn2"_s, u"hak8"_s}));
    }
    if (!order.classicalFirst) table.AddClassicalTsv(classical);
    const Phrase* phrase = table.Find(u"好學");
    ASSERT_NE(phrase, nullptr);
    // Ours names 好; terra-pinyin's first line has no reading of 學, its second gives one.
    EXPECT_EQ(phrase->readings, QStringList({u"honn3"_s, u"hak8"_s}));
    EXPECT_EQ(phrase->source, PhraseSource::Classical);
    EXPECT_EQ(table.size(), 1);
  }
}

// The server's requests share one table, whose phrases are read by whichever look-up comes first.
TEST(PhraseTableTest, LookUpsFromSeveralThreadsFindTheSamePhrases) {
  QString terra = u"詞\t拼音\t讀音\n"_s;
  QStringList words;
  for (char16_t first = 0x4E00; first < 0x4E00 + 40; ++first) {
    for (char16_t second = 0x5000; second < 0x5000 + 40; ++second) {
      const QString word = QString(QChar(first)) + QChar(second) + QChar(0x6C34);
      words.append(word);
      terra += word + u"\tx\t- r1 -\n"_s;
    }
  }
  PhraseTable table;
  ASSERT_TRUE(table.AddTerraTsv(terra).isEmpty());
  std::vector<std::vector<const Phrase*>> found(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < found.size(); ++t) {
    threads.emplace_back([&, t] {
      for (qsizetype i = 0; i < words.size(); ++i) {
        // Each thread in its own order, so that they meet on unread phrases.
        const qsizetype k = (i * qsizetype(2 * t + 1)) % words.size();
        found[t].push_back(table.Find(words[k]));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (size_t t = 0; t < found.size(); ++t) {
    for (qsizetype i = 0; i < words.size(); ++i) {
      const qsizetype k = (i * qsizetype(2 * t + 1)) % words.size();
      const Phrase* phrase = found[t][size_t(i)];
      ASSERT_NE(phrase, nullptr);
      EXPECT_EQ(phrase, table.Find(words[k]));
      EXPECT_EQ(phrase->text, words[k]);
    }
  }
}

}  // namespace
}  // namespace ravlek
