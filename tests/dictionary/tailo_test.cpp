// Romanisation as books print it turned into numeric Tâi-lô, and numeric Tâi-lô into tone marks.
#include <gtest/gtest.h>

#include "dictionary/tailo.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

struct Case {
  QString input;
  QString expected;
};

class NumericTaiLoTest : public ::testing::TestWithParam<Case> {};

TEST_P(NumericTaiLoTest, GivesNumericTaiLo) {
  EXPECT_EQ(NumericTaiLo(GetParam().input), GetParam().expected) << GetParam().input.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Spellings, NumericTaiLoTest,
    ::testing::Values(
        // Tâi-lô tone marks, precomposed (NFC) and decomposed (NFD).
        Case{u"tsàn"_s, u"tsan3"_s}, Case{u"tsa\u0300n"_s, u"tsan3"_s}, Case{u"tsa̍t"_s, u"tsat8"_s},
        Case{u"tsá"_s, u"tsa2"_s}, Case{u"tsâ"_s, u"tsa5"_s}, Case{u"tsǎ"_s, u"tsa6"_s},
        Case{u"tsā"_s, u"tsa7"_s}, Case{u"tsa̋"_s, u"tsa9"_s}, Case{u"hn̂g"_s, u"hng5"_s},
        Case{u"ḿ"_s, u"m2"_s}, Case{u"Tsàn"_s, u"Tsan3"_s},
        // A digit already typed wins over the mark; wildcards and the final asterisk stay.
        Case{u"tsàn3"_s, u"tsan3"_s}, Case{u"àn*"_s, u"an3*"_s}, Case{u"%àn_"_s, u"%an3_"_s},
        // POJ spellings.
        Case{u"chan3"_s, u"tsan3"_s}, Case{u"chhun"_s, u"tshun"_s}, Case{u"chhun1"_s, u"tshun1"_s},
        Case{u"Chhun"_s, u"Tshun"_s}, Case{u"koa"_s, u"kua"_s}, Case{u"hoe"_s, u"hue"_s},
        Case{u"hoâ"_s, u"hua5"_s}, Case{u"lêng"_s, u"ling5"_s}, Case{u"sek"_s, u"sik"_s},
        Case{u"o͘"_s, u"oo"_s}, Case{u"hó͘"_s, u"hoo2"_s}, Case{u"ho\u0301\u0358"_s, u"hoo2"_s},
        Case{u"sáⁿ"_s, u"sann2"_s}, Case{u"chhiⁿ"_s, u"tshinn"_s},
        // Several syllables are turned one by one.
        Case{u"tsàn-sîng"_s, u"tsan3-sing5"_s}, Case{u"chhun thiⁿ"_s, u"tshun thinn"_s},
        // "eng" and "ek" only as finals.
        Case{u"kengx"_s, u"kengx"_s}));

// Numeric Tâi-lô and anything else without marks or POJ spellings comes back unchanged, code unit
// for code unit, so the filters built from it are those of the typed text.
INSTANTIATE_TEST_SUITE_P(
    Unchanged, NumericTaiLoTest,
    ::testing::Values(Case{u"tsan3"_s, u"tsan3"_s}, Case{u"tsan"_s, u"tsan"_s},
                      Case{u"an1*"_s, u"an1*"_s}, Case{u"tshing5"_s, u"tshing5"_s},
                      Case{u"kue3"_s, u"kue3"_s}, Case{u"tsiunn"_s, u"tsiunn"_s},
                      Case{u"ik8"_s, u"ik8"_s}, Case{u"  hoo5 "_s, u"  hoo5 "_s},
                      Case{u"*"_s, u"*"_s}, Case{u""_s, u""_s}, Case{u"'a"_s, u"'a"_s},
                      Case{u"AN"_s, u"AN"_s}, Case{u"讚\u3000"_s, u"讚\u3000"_s},
                      // A compatibility ideograph and a letter with a diaeresis stay as typed.
                      Case{u"\uF900ö"_s, u"\uF900ö"_s}));

class ToneMarkedTaiLoTest : public ::testing::TestWithParam<Case> {};

TEST_P(ToneMarkedTaiLoTest, WritesToneMarks) {
  EXPECT_EQ(ToneMarkedTaiLo(GetParam().input), GetParam().expected)
      << GetParam().input.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ToneMarkedTaiLoTest,
    ::testing::Values(
        Case{u"tsan1"_s, u"tsan"_s}, Case{u"tsan2"_s, u"tsán"_s}, Case{u"tsan3"_s, u"tsàn"_s},
        Case{u"tsat4"_s, u"tsat"_s}, Case{u"tsan5"_s, u"tsân"_s}, Case{u"tsan6"_s, u"tsǎn"_s},
        Case{u"tsan7"_s, u"tsān"_s}, Case{u"tsat8"_s, u"tsa\u030Dt"_s},
        Case{u"tsan9"_s, u"tsa\u030Bn"_s},
        // The marked vowel: a, then o or e, then the later of i and u, then m or the n of ng.
        Case{u"hiau2"_s, u"hiáu"_s}, Case{u"hoo5"_s, u"hôo"_s}, Case{u"kue3"_s, u"kuè"_s},
        Case{u"kiu2"_s, u"kiú"_s}, Case{u"kui2"_s, u"kuí"_s}, Case{u"hm7"_s, u"hm̄"_s},
        Case{u"hng5"_s, u"hn̂g"_s}, Case{u"tshinn1"_s, u"tshinn"_s},
        // Not a reading: copied.
        Case{u"tsan"_s, u"tsan"_s}, Case{u"讚"_s, u"讚"_s}, Case{u"x0"_s, u"x0"_s},
        Case{u"thian1-te7"_s, u"thian-tē"_s}, Case{u""_s, u""_s}));

// Writing marks and reading them back gives the reading again.
TEST(TaiLoRoundTrip, MarkedReadingsReadBack) {
  for (const QString& reading :
       {u"tsan2"_s, u"tsat8"_s, u"hoo5"_s, u"kue7"_s, u"hng9"_s, u"kiu3"_s, u"tshing6"_s}) {
    EXPECT_EQ(NumericTaiLo(ToneMarkedTaiLo(reading)), reading) << reading.toStdString();
  }
}

}  // namespace
}  // namespace ravlek
