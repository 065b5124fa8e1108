// Splitting Tâi-lô syllables and synthesising fanqie notations, without a window or a database.
#include <gtest/gtest.h>

#include "dictionary/fanqie.h"
#include "dictionary/fanqie_synthesis.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/literary_readings.h"
#include "dictionary/tailo_syllable.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

struct SplitCase {
  const char* name;
  QString text;
  std::optional<TailoSyllable> expected;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, Parts) {
  const auto split = SplitTailoSyllable(GetParam().text);
  ASSERT_EQ(split.has_value(), GetParam().expected.has_value());
  if (!split) return;
  EXPECT_EQ(split->initial, GetParam().expected->initial);
  EXPECT_EQ(split->final, GetParam().expected->final);
  EXPECT_EQ(split->tone, GetParam().expected->tone);
  EXPECT_EQ(split->Text(), GetParam().text);
}

TailoSyllable S(const QString& initial, const QString& final, int tone) {
  return {initial, final, tone};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTest,
    ::testing::Values(SplitCase{"plain", u"tsan3"_s, S(u"ts"_s, u"an"_s, 3)},
                      SplitCase{"aspirated_affricate", u"tshiong1"_s, S(u"tsh"_s, u"iong"_s, 1)},
                      SplitCase{"aspirated_stop", u"phiau3"_s, S(u"ph"_s, u"iau"_s, 3)},
                      SplitCase{"zero_initial", u"an3"_s, S(u""_s, u"an"_s, 3)},
                      SplitCase{"zero_initial_oo", u"oo5"_s, S(u""_s, u"oo"_s, 5)},
                      SplitCase{"zero_initial_medial", u"uan5"_s, S(u""_s, u"uan"_s, 5)},
                      SplitCase{"velar_nasal_initial", u"ngoo2"_s, S(u"ng"_s, u"oo"_s, 2)},
                      SplitCase{"nasal_coda_m", u"sim1"_s, S(u"s"_s, u"im"_s, 1)},
                      SplitCase{"nasal_coda_ng", u"hong5"_s, S(u"h"_s, u"ong"_s, 5)},
                      SplitCase{"nasal_vowel", u"kiann5"_s, S(u"k"_s, u"iann"_s, 5)},
                      SplitCase{"nasal_vowel_glottal", u"sannh4"_s, S(u"s"_s, u"annh"_s, 4)},
                      SplitCase{"glottal_stop", u"tsioh4"_s, S(u"ts"_s, u"ioh"_s, 4)},
                      SplitCase{"stop_k", u"tsik4"_s, S(u"ts"_s, u"ik"_s, 4)},
                      SplitCase{"stop_p", u"liap8"_s, S(u"l"_s, u"iap"_s, 8)},
                      SplitCase{"syllabic_m", u"m7"_s, S(u""_s, u"m"_s, 7)},
                      SplitCase{"syllabic_ng", u"ng5"_s, S(u""_s, u"ng"_s, 5)},
                      SplitCase{"h_syllabic_m", u"hmh4"_s, S(u"h"_s, u"mh"_s, 4)},
                      SplitCase{"m_syllabic_ng", u"mng5"_s, S(u"m"_s, u"ng"_s, 5)},
                      SplitCase{"tsh_syllabic_ng", u"tshng1"_s, S(u"tsh"_s, u"ng"_s, 1)},
                      SplitCase{"j_initial", u"jin5"_s, S(u"j"_s, u"in"_s, 5)},
                      SplitCase{"no_tone", u"tsan"_s, std::nullopt},
                      SplitCase{"tone_zero", u"tsan0"_s, std::nullopt},
                      SplitCase{"no_final", u"ts3"_s, std::nullopt},
                      SplitCase{"nasal_vowel_with_coda", u"annk4"_s, std::nullopt},
                      SplitCase{"capitals", u"Tsan3"_s, std::nullopt},
                      SplitCase{"empty", QString(), std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// A reading with the Middle-Chinese facts the open dictionary gives it.
LiteraryReading R(const QString& spell, const QString& initialType = QString(),
                  const QString& rhyme = QString(), const QString& division = QString()) {
  return {spell, initialType, rhyme, division};
}

struct NotationCase {
  const char* name;
  QString upper;
  QList<LiteraryReading> upperReadings;
  QString lower;
  QList<LiteraryReading> lowerReadings;
  QString first;  // the expected first candidate
};

class NotationTest : public ::testing::TestWithParam<NotationCase> {};

TEST_P(NotationTest, FirstCandidate) {
  const NotationCase& c = GetParam();
  const auto candidates = SynthesizeFanqie(c.upper, c.upperReadings, c.lower, c.lowerReadings);
  ASSERT_FALSE(candidates.isEmpty());
  EXPECT_EQ(candidates.front().reading, c.first) << candidates.front().steps.toStdString();
  EXPECT_TRUE(candidates.front().steps.endsWith(u"⇒ "_s + c.first));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotationTest,
    ::testing::Values(
        // 陰平, 陽平
        NotationCase{"dong_de_hong",
                     u"德"_s,
                     {R(u"tik4"_s, u"全清"_s, u"入聲十三職"_s)},
                     u"紅"_s,
                     {R(u"hong5"_s, u"全濁"_s, u"上平一東"_s)},
                     u"tong1"_s},
        NotationCase{"gong_gu_hong",
                     u"古"_s,
                     {R(u"koo2"_s, u"全清"_s, u"上聲七麌"_s)},
                     u"紅"_s,
                     {R(u"hong5"_s, u"全濁"_s, u"上平一東"_s)},
                     u"kong1"_s},
        NotationCase{"kong_ku_hong",
                     u"苦"_s,
                     {R(u"khoo2"_s, u"次清"_s, u"上聲七麌"_s)},
                     u"紅"_s,
                     {R(u"hong5"_s, u"全濁"_s, u"上平一東"_s)},
                     u"khong1"_s},
        NotationCase{"tong_tu_hong",
                     u"徒"_s,
                     {R(u"too5"_s, u"全濁"_s, u"上平七虞"_s)},
                     u"紅"_s,
                     {R(u"hong5"_s, u"全濁"_s, u"上平一東"_s)},
                     u"tong5"_s},
        NotationCase{"meng_mo_hong",
                     u"莫"_s,
                     {R(u"bok8"_s, u"次濁"_s, u"入聲十藥"_s)},
                     u"紅"_s,
                     {R(u"hong5"_s, u"全濁"_s, u"上平一東"_s)},
                     u"bong5"_s},
        // 上: voiceless and sonorant stay 2, fully voiced goes to 陽去 7; the category from the
        // lower's rhyme although its own tone is 7
        NotationCase{"dong_duo_dong",
                     u"多"_s,
                     {R(u"to1"_s, u"全清"_s, u"下平五歌"_s)},
                     u"動"_s,
                     {R(u"tong7"_s, u"全濁"_s, u"上聲一董"_s)},
                     u"tong2"_s},
        NotationCase{"dong_tu_zong",
                     u"徒"_s,
                     {R(u"too5"_s, u"全濁"_s, u"上平七虞"_s)},
                     u"摠"_s,
                     {R(u"tsong2"_s, u"全清"_s, u"上聲一董"_s)},
                     u"tong7"_s},
        NotationCase{"lu_li_zhu",
                     u"力"_s,
                     {R(u"lik8"_s, u"次濁"_s, u"入聲十三職"_s)},
                     u"主"_s,
                     {R(u"tsu2"_s, u"全清"_s, u"上聲七麌"_s)},
                     u"lu2"_s},
        // 陰去, 陽去
        NotationCase{"zan_ze_gan",
                     u"則"_s,
                     {R(u"tsik4"_s, u"全清"_s, u"入聲十三職"_s)},
                     u"旰"_s,
                     {R(u"kan3"_s, u"全清"_s, u"去聲十五翰"_s)},
                     u"tsan3"_s},
        NotationCase{"dong_tu_nong",
                     u"徒"_s,
                     {R(u"too5"_s, u"全濁"_s, u"上平七虞"_s)},
                     u"弄"_s,
                     {R(u"long7"_s, u"次濁"_s, u"去聲一送"_s)},
                     u"tong7"_s},
        // 陰入, 陽入
        NotationCase{"de_duo_ze",
                     u"多"_s,
                     {R(u"to1"_s, u"全清"_s, u"下平五歌"_s)},
                     u"則"_s,
                     {R(u"tsik4"_s, u"全清"_s, u"入聲十三職"_s)},
                     u"tik4"_s},
        NotationCase{"te_tu_de",
                     u"徒"_s,
                     {R(u"too5"_s, u"全濁"_s, u"上平七虞"_s)},
                     u"得"_s,
                     {R(u"tik4"_s, u"全清"_s, u"入聲十三職"_s)},
                     u"tik8"_s},
        // Without the dictionary's facts the register comes from the upper's own tone, the
        // category from the lower's tone digit.
        NotationCase{"bare_yin", u"則"_s, {R(u"tsik4"_s)}, u"旰"_s, {R(u"kan3"_s)}, u"tsan3"_s},
        NotationCase{"bare_yang", u"徒"_s, {R(u"too5"_s)}, u"紅"_s, {R(u"hong5"_s)}, u"tong5"_s},
        NotationCase{
            "bare_rising_sonorant", u"呂"_s, {R(u"lu2"_s)}, u"紅"_s, {R(u"hong5"_s)}, u"long5"_s},
        // A stop final is entering whatever the lower's rhyme says.
        NotationCase{"stop_forces_entering",
                     u"則"_s,
                     {R(u"tsik4"_s, u"全清"_s)},
                     u"六"_s,
                     {R(u"liok8"_s, u"次濁"_s, u"去聲一送"_s)},
                     u"tsiok4"_s},
        // Aspiration follows the upper's class, not its reading.
        NotationCase{"quanqing_unaspirated",
                     u"側"_s,
                     {R(u"tshik4"_s, u"全清"_s)},
                     u"羊"_s,
                     {R(u"iong5"_s, u"次濁"_s)},
                     u"tsiong1"_s},
        NotationCase{"ciqing_aspirated",
                     u"匹"_s,
                     {R(u"pit4"_s, u"次清"_s)},
                     u"賓"_s,
                     {R(u"pin1"_s, u"全清"_s)},
                     u"phin1"_s},
        // Nasal vowels after b/l/g make m/n/ng; a coda after m/n/ng makes b/l/g.
        NotationCase{"oral_to_nasal",
                     u"莫"_s,
                     {R(u"bok8"_s, u"次濁"_s)},
                     u"晏"_s,
                     {R(u"ann3"_s, u"全清"_s)},
                     u"ma7"_s},
        NotationCase{"nasal_to_oral",
                     u"五"_s,
                     {R(u"ngoo2"_s, u"次濁"_s)},
                     u"安"_s,
                     {R(u"an1"_s, u"全清"_s)},
                     u"gan5"_s},
        // Labiodentals: h- without the medial, and the same upper for a bilabial before i.
        NotationCase{"labiodental_h",
                     u"府"_s,
                     {R(u"hu2"_s, u"全清"_s, u"上聲七麌"_s, u"三"_s)},
                     u"良"_s,
                     {R(u"liong5"_s, u"次濁"_s, u"下平七陽"_s, u"三"_s)},
                     u"hong1"_s},
        NotationCase{"labiodental_upper_bilabial",
                     u"府"_s,
                     {R(u"hu2"_s, u"全清"_s, u"上聲七麌"_s, u"三"_s)},
                     u"移"_s,
                     {R(u"i5"_s, u"次濁"_s, u"上平四支"_s, u"三"_s)},
                     u"pi1"_s},
        NotationCase{"velar_h_keeps_medial",
                     u"許"_s,
                     {R(u"hu2"_s, u"全清"_s, u"上聲六語"_s, u"三"_s)},
                     u"良"_s,
                     {R(u"liong5"_s, u"次濁"_s, u"下平七陽"_s, u"三"_s)},
                     u"hiong1"_s},
        NotationCase{"labiodental_wei_rhyme",
                     u"甫"_s,
                     {R(u"hu2"_s, u"全清"_s, u"上聲七麌"_s, u"三"_s)},
                     u"微"_s,
                     {R(u"bi5"_s, u"次濁"_s, u"上平五微"_s, u"三"_s)},
                     u"hui1"_s},
        // The coda follows the lower's rhyme: -m read in a -n rhyme gives -n.
        NotationCase{"coda_from_rhyme",
                     u"章"_s,
                     {R(u"tsiong1"_s, u"全清"_s)},
                     u"忍"_s,
                     {R(u"jim2"_s, u"次濁"_s, u"上聲十一軫"_s)},
                     u"tsin2"_s},
        // 通 rhymes have a rounded vowel whatever the lower's own reading.
        NotationCase{"tong_rhymes_rounded",
                     u"古"_s,
                     {R(u"koo2"_s, u"全清"_s)},
                     u"沃"_s,
                     {R(u"ak4"_s, u"全清"_s, u"入聲二沃"_s)},
                     u"kok4"_s},
        // A third-division lower read after a labiodental gives its medial back.
        NotationCase{"medial_restored",
                     u"餘"_s,
                     {R(u"u5"_s, u"次濁"_s)},
                     u"封"_s,
                     {R(u"hong1"_s, u"全清"_s, u"上平二冬"_s, u"三"_s)},
                     u"iong5"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SynthesisTest, ExplainsEachStep) {
  const auto candidates = SynthesizeFanqie(u"則"_s, {R(u"tsik4"_s, u"全清"_s, u"入聲十三職"_s)},
                                           u"旰"_s, {R(u"kan3"_s, u"全清"_s, u"去聲十五翰"_s)});
  ASSERT_EQ(candidates.size(), 1);
  EXPECT_EQ(candidates.front().steps, u"則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3"_s);
}

TEST(SynthesisTest, EveryDistinctCandidateInReadingOrder) {
  // 縣 has two literary readings here; the candidate from the first comes first, and a reading
  // that gives the same candidate twice is listed once.
  const auto candidates = SynthesizeFanqie(
      u"則"_s, {R(u"tsik4"_s, u"全清"_s), R(u"tsik4"_s, u"全清"_s)}, u"縣"_s,
      {R(u"hian7"_s, u"全濁"_s, u"去聲十七霰"_s), R(u"kuan7"_s, u"全濁"_s, u"去聲十七霰"_s)});
  QStringList readings;
  for (const auto& c : candidates) readings << c.reading;
  EXPECT_EQ(readings, (QStringList{u"tsian3"_s, u"tsuan3"_s}));
}

TEST(SynthesisTest, RuleVariantsComeAfterTheRegularOutcome) {
  auto readings = [](const QList<FanqieCandidate>& candidates) {
    QStringList list;
    for (const auto& c : candidates) list << c.reading;
    return list;
  };
  // A fully voiced 上 goes to 陽去, the literary layer's kept rising tone after it; a fully voiced
  // stop is unaspirated first, aspirated second.
  EXPECT_EQ(readings(SynthesizeFanqie(u"徒"_s, {R(u"too5"_s, u"全濁"_s)}, u"摠"_s,
                                      {R(u"tsong2"_s, u"全清"_s, u"上聲一董"_s)})),
            (QStringList{u"tong7"_s, u"thong7"_s, u"tong2"_s, u"thong2"_s}));
  // 止 rhymes after a dental sibilant read -u when the upper itself reads so; else -i first.
  EXPECT_EQ(readings(SynthesizeFanqie(u"子"_s, {R(u"tsu2"_s, u"全清"_s, u"上聲四紙"_s)}, u"夷"_s,
                                      {R(u"i5"_s, u"次濁"_s, u"上平四支"_s)})),
            (QStringList{u"tsu1"_s, u"tsi1"_s}));
  EXPECT_EQ(readings(SynthesizeFanqie(u"章"_s, {R(u"tsiong1"_s, u"全清"_s, u"下平七陽"_s)}, u"移"_s,
                                      {R(u"i5"_s, u"次濁"_s, u"上平四支"_s)})),
            (QStringList{u"tsi1"_s, u"tsu1"_s}));
  // Third-division retroflex stops keep t-, some palatalised to ts-.
  EXPECT_EQ(readings(SynthesizeFanqie(u"陟"_s, {R(u"tik4"_s, u"全清"_s)}, u"弓"_s,
                                      {R(u"kiong1"_s, u"全清"_s, u"上平一東"_s, u"三等細"_s)})),
            (QStringList{u"tiong1"_s, u"tsiong1"_s}));
}

TEST(SynthesisTest, NoCandidateWithoutAReadableReading) {
  EXPECT_TRUE(SynthesizeFanqie(u"則"_s, {}, u"旰"_s, {R(u"kan3"_s)}).isEmpty());
  EXPECT_TRUE(SynthesizeFanqie(u"則"_s, {R(u"tsik"_s)}, u"旰"_s, {R(u"kan3"_s)}).isEmpty());
}

TEST(SynthesisTextTest, OneLinePerNotationWithinTheLimit) {
  LiteraryReadings readings;
  readings.Add(u"則"_s, u"文"_s, R(u"tsik4"_s, u"全清"_s));
  readings.Add(u"則"_s, u"白"_s, R(u"tsiah4"_s));  // colloquial: not used
  readings.Add(u"旰"_s, u"通"_s, R(u"kan3"_s, u"全清"_s, u"去聲十五翰"_s));
  readings.Add(u"全"_s, u"文"_s, R(u"tsuan5"_s, u"全濁"_s, u"下平一先"_s));
  EXPECT_EQ(SynthesizeFanqieText(u"則旰切，某全反。"_s, readings),
            u"則旰切\ttsan3\t則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3\r\n"
            u"某全反\t\t某 無文讀音\r\n"_s);
  QString many;
  for (int i = 0; i < 30; ++i) many += u"則旰切"_s;
  EXPECT_EQ(SynthesizeFanqieText(many, readings).count(u"\r\n"_s), kMaxFanqieNotations);
}

// The character a notation follows (past blanks and punctuation) is the entry it spells: of two
// candidates, the entry's own reading comes first.
TEST(SynthesisTextTest, TheEntrysOwnReadingComesFirst) {
  LiteraryReadings readings;
  readings.Add(u"都"_s, u"文"_s, R(u"too1"_s, u"全清"_s, u"上平七虞"_s));
  readings.Add(u"籠"_s, u"文"_s, R(u"long2"_s, u"次濁"_s, u"上聲一董"_s));
  readings.Add(u"籠"_s, u"文"_s, R(u"long5"_s, u"次濁"_s, u"上平一東"_s));
  readings.Add(u"東"_s, u"文"_s, R(u"tong1"_s, u"全清"_s, u"上平一東"_s));
  readings.Add(u"董"_s, u"文"_s, R(u"tong2"_s, u"全清"_s, u"上聲一董"_s));
  struct Case {
    QString text;
    QString predicted;
  };
  const Case cases[] = {
      {u"都籠切"_s, u"tong2/tong1"_s},
      {u"東 都籠切"_s, u"tong1/tong2"_s},
      {u"東：都籠切"_s, u"tong1/tong2"_s},
      {u"東 【集韻】【韻會】　都籠切"_s, u"tong1/tong2"_s},  // past the sources' names
      {u"董，都籠切"_s, u"tong2/tong1"_s},
      {u"天都籠切"_s, u"tong2/tong1"_s},  // a character without either reading
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SynthesizeFanqieText(c.text, readings).split(u'\t').value(1), c.predicted)
        << c.text.toStdString();
  }
}

// Each step of a synthesis line told in words, for the hint over the synthesis field.
TEST(SynthesisTextTest, ExplainsTheStepsInWords) {
  struct Case {
    QString line;
    QString words;
  };
  const Case cases[] = {
      {u"則旰切\ttsan3\t則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3"_s,
       u"則旰切：上字「則」取聲母 ts-；下字「旰」取韻母 -an，聲調屬去聲；上字聲母屬全清 → "
       u"陰去（第 3 調）；拼得 tsan3。"_s},
      // Without the initial's class the upper reading's tone gives the register; rules add steps;
      // each candidate has its own line.
      {u"烏旰切\tuan3/an3\t烏 ∅- · 旰 -an 去 · 烏 oo1 陰 → 陰去 3 · 合口 -u- ⇒ uan3; "
       u"烏 ∅- · 旰 -an 去 · 烏 oo1 陰 → 陰去 3 ⇒ an3"_s,
       u"烏旰切：上字「烏」無聲母；下字「旰」取韻母 -an，聲調屬去聲；上字讀 oo1，歸陰調 → "
       u"陰去（第 3 調）；再依規則：合口 -u-；拼得 uan3。\n"
       u"上字「烏」無聲母；下字「旰」取韻母 -an，聲調屬去聲；上字讀 oo1，歸陰調 → "
       u"陰去（第 3 調）；拼得 an3。"_s},
      {u"徒摠切\ttong2\t徒 t- · 摠 -ong 上 · 徒 全濁 → 全濁上讀上聲 2 ⇒ tong2"_s,
       u"徒摠切：上字「徒」取聲母 t-；下字「摠」取韻母 -ong，聲調屬上聲；上字聲母屬全濁 → "
       u"全濁上讀上聲（第 2 調）；拼得 tong2。"_s},
      // A line without a candidate already says why.
      {u"某全反\t\t某 無文讀音"_s, u"某全反：某 無文讀音"_s},
      {u"not a synthesis line"_s, u"not a synthesis line"_s},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ExplainFanqieSynthesisLine(c.line), c.words) << c.line.toStdString();
  EXPECT_TRUE(FanqieStepsLegend().contains(u"⇒"_s));
}

}  // namespace
}  // namespace ravlek
