// The conversion of lines into romanised lines over a small dictionary.
#include <gtest/gtest.h>

#include "romanize/conversion_status.h"
#include "romanize/romanizer.h"
#include "tests/support/memory_reading_source.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

using test::MemoryReadingSource;
using test::ReadingRow;

std::vector<ReadingRow> SmallDictionary() {
  return {
      {u"天"_s, "thian1", u"通"_s},
      {u"天地"_s, "thian1-te7", u"通"_s},  // a word never matches a single character
      {u"地"_s, "te7", u"通"_s},
      {u"地"_s, "te7", u"文"_s},
      {u"地"_s, "tue7", u"文讀"_s},
      {u"人"_s, "jin5", u"文"_s},
      {u"人"_s, "lang5", u"白"_s},
      {u"丕"_s, "phi1", u"古"_s},
      {u"空"_s, "", u"文"_s},
      {u"空"_s, "khong1", u"文"_s},
      {u"重"_s, "tiong5", u"通"_s},
      {u"重"_s, "tiong5", u"通"_s},
      {u"'"_s, "khau2", u"通"_s},
      {u"𠀤"_s, "ping7", u"通"_s},
      // Rows of every class, delivered out of the consultation order.
      {u"行"_s, "kiann5", u"白"_s},
      {u"行"_s, "hang5", u"古"_s},
      {u"行"_s, "hing5", u"今"_s},
      {u"行"_s, "hing5", u"文"_s},
      {u"行"_s, "hang5", u"通"_s},
  };
}

struct ConversionCase {
  const char* name;
  ConversionOptions options;
  QString line;
  QString expected;
};

constexpr ConversionOptions kDefault{};
constexpr ConversionOptions kNoMarks{false, false, false, true};
constexpr ConversionOptions kBare{false, false, false, false};
constexpr ConversionOptions kAncient{true, false, true, true};
constexpr ConversionOptions kColloquial{false, true, true, true};
constexpr ConversionOptions kAllClasses{true, true, true, true};
constexpr ConversionOptions kAllClassesNoMarks{true, true, false, true};

class ConversionTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConversionTest, RomanisedLine) {
  const ConversionCase& c = GetParam();
  MemoryReadingSource source(SmallDictionary());
  Romanizer romanizer(source, c.options);
  EXPECT_EQ(romanizer.RomanizeLine(c.line).toStdU16String(), c.expected.toStdU16String());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConversionTest,
    ::testing::Values(
        ConversionCase{"one_tong", kDefault, u"天"_s, u"通 thian1  。 "_s},
        ConversionCase{"tong_and_two_wen", kDefault, u"地"_s, u"通 te7 (文 te7 tue7)  。 "_s},
        ConversionCase{"without_marks", kNoMarks, u"地"_s, u" te7 ( te7 tue7)  。 "_s},
        ConversionCase{"bare_tong", kBare, u"天"_s, u" thian1 "_s},
        ConversionCase{"bare_without_rows", kBare, u"x"_s, u"x"_s},
        ConversionCase{"blank_dropped", kDefault, u"天 地"_s,
                       u"通 thian1  。 通 te7 (文 te7 tue7)  。 "_s},
        ConversionCase{"ideographic_space_kept", kDefault, u"天　"_s, u"通 thian1  。 　 。 "_s},
        ConversionCase{"without_rows_copied", kDefault, u"，x"_s, u"， 。 x 。 "_s},
        ConversionCase{"ancient_only_unchecked", kDefault, u"丕"_s, u"丕 。 "_s},
        ConversionCase{"ancient_only_checked", kAncient, u"丕"_s, u"[古 phi1]  。 "_s},
        ConversionCase{"colloquial_checked", kColloquial, u"人"_s, u"(文 jin5) <白 lang5>  。 "_s},
        ConversionCase{"colloquial_unchecked", kDefault, u"人"_s, u"(文 jin5)  。 "_s},
        ConversionCase{"empty_reading", kDefault, u"空"_s, u"(文  khong1)  。 "_s},
        ConversionCase{"repeated_reading", kDefault, u"重"_s, u"通 tiong5 tiong5  。 "_s},
        ConversionCase{"quote", kDefault, u"'"_s, u"通 khau2  。 "_s},
        ConversionCase{"asterisk_is_a_character", kAllClasses, u"*"_s, u"* 。 "_s},
        ConversionCase{"outside_bmp_found", kDefault, u"𠀤"_s, u"通 ping7  。 "_s},
        ConversionCase{"outside_bmp_copied_whole", kDefault, u"𠀀天"_s, u"𠀀 。 通 thian1  。 "_s},
        ConversionCase{"lone_surrogate", kDefault, QString(QChar(0xD840)) + u"天"_s,
                       QString(QChar(0xD840)) + u" 。 通 thian1  。 "_s},
        ConversionCase{"empty_line", kDefault, QString(), QString()},
        ConversionCase{"blanks_only", kDefault, u"   "_s, QString()},
        ConversionCase{"default_classes_in_order", kDefault, u"行"_s,
                       u"通 hang5 (文 hing5) {今 hing5}  。 "_s},
        ConversionCase{"all_classes_in_order", kAllClasses, u"行"_s,
                       u"通 hang5 (文 hing5) {今 hing5} [古 hang5] <白 kiann5>  。 "_s},
        ConversionCase{"all_classes_without_marks", kAllClassesNoMarks, u"行"_s,
                       u" hang5 ( hing5) { hing5} [ hang5] < kiann5>  。 "_s}),
    [](const auto& info) { return std::string(info.param.name); });

// The metre's reading of a character moves to the front of each group that holds it; nothing is
// dropped, and a reading no group holds changes nothing. Entries count characters, not units.
struct FirstReadingCase {
  const char* name;
  ConversionOptions options;
  QString line;
  QStringList first;
  QString expected;
};

class FirstReadingTest : public ::testing::TestWithParam<FirstReadingCase> {};

TEST_P(FirstReadingTest, RomanisedLine) {
  const FirstReadingCase& c = GetParam();
  MemoryReadingSource source(SmallDictionary());
  Romanizer romanizer(source, c.options);
  EXPECT_EQ(romanizer.RomanizeLine(c.line, c.first), c.expected);
  // The pieces kept for the next characters are the usual ones.
  EXPECT_EQ(romanizer.RomanizeLine(c.line), Romanizer(source, c.options).RomanizeLine(c.line));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstReadingTest,
    ::testing::Values(
        FirstReadingCase{
            "MovedInEachGroup", kDefault, u"地"_s, {u"tue7"_s}, u"通 te7 (文 tue7 te7)  。 "_s},
        FirstReadingCase{
            "AlreadyFirst", kDefault, u"地"_s, {u"te7"_s}, u"通 te7 (文 te7 tue7)  。 "_s},
        FirstReadingCase{"NotConsulted", kDefault, u"人"_s, {u"lang5"_s}, u"(文 jin5)  。 "_s},
        FirstReadingCase{"AfterAPairAndABlank",
                         kDefault,
                         u"𠀤 地"_s,
                         {{}, {}, u"tue7"_s},
                         u"通 ping7  。 通 te7 (文 tue7 te7)  。 "_s},
        FirstReadingCase{"EmptyReadingKept",
                         kDefault,
                         u"空空"_s,
                         {{}, u"khong1"_s},
                         u"(文  khong1)  。 (文 khong1 )  。 "_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RomanizerTest, EveryLineGetsItsOwnRomanisedLine) {
  MemoryReadingSource source(SmallDictionary());
  const QStringList lines = {u"天"_s, QString(), u"  "_s, u"x"_s};
  const QStringList expected = {u"通 thian1  。 "_s, QString(), QString(), u"x 。 "_s};
  EXPECT_EQ(RomanizeLines(lines, kDefault, source), expected);
}

TEST(RomanizerTest, ReadsEachConsultedClassOncePerRunAndOnlyWhenNeeded) {
  MemoryReadingSource source(SmallDictionary());
  Romanizer romanizer(source, kColloquial);
  romanizer.RomanizeLine(u"   "_s);
  EXPECT_EQ(source.reads, 0);
  romanizer.RomanizeLines({u"天地人"_s, u"天地人"_s});
  EXPECT_EQ(source.reads, 4);
}

TEST(RomanizerTest, ReportsProgressPerCharacter) {
  MemoryReadingSource source(SmallDictionary());
  Romanizer romanizer(source, kDefault);
  std::vector<qsizetype> reported;
  romanizer.RomanizeLine(u"天 𠀤"_s, [&](qsizetype done) { reported.push_back(done); });
  EXPECT_EQ(reported, (std::vector<qsizetype>{1, 2, 3}));
}

// A class box whose class the dictionary has no rows of is named after the conversion, and
// only such a class.
TEST(RomanizerTest, NamesTheConsultedClassesWithoutRows) {
  struct Case {
    const char* name;
    std::vector<ReadingRow> rows;
    ConversionOptions options;
    QString emptyClasses;
    QString status;
  };
  const std::vector<ReadingRow> noAncientNoModern = {
      {u"天"_s, "thian1", u"通"_s}, {u"人"_s, "jin5", u"文"_s}, {u"人"_s, "lang5", u"白"_s}};
  const Case cases[] = {
      {"every class has rows", SmallDictionary(), kAllClasses, QString(), QString()},
      // Only a class the user asked for is named: 今 is consulted always and may well be missing.
      {"ancient box without rows", noAncientNoModern, kAncient, u"今古"_s,
       u"字典中沒有「古」類讀音，「轉古音」沒有作用。"_s},
      {"colloquial box with rows", noAncientNoModern, kColloquial, u"今"_s, QString()},
      {"both boxes without rows",
       {{u"天"_s, "thian1", u"通"_s}},
       kAllClasses,
       u"文今古白"_s,
       u"字典中沒有「古」類讀音，「轉古音」沒有作用；字典中沒有「白」類讀音，「轉白話音」沒有作用。"_s},
      // Rows of words only still count as rows of the class.
      {"words only", {{u"天地"_s, "thian1-te7", u"古"_s}}, kAncient, u"通文今"_s, QString()},
  };
  for (const Case& c : cases) {
    MemoryReadingSource source(c.rows);
    Romanizer romanizer(source, c.options);
    EXPECT_EQ(romanizer.EmptyClasses(), QString()) << c.name;
    romanizer.RomanizeLine(u"天人"_s);
    EXPECT_EQ(romanizer.EmptyClasses(), c.emptyClasses) << c.name;
    EXPECT_EQ(EmptyClassesStatus(romanizer.EmptyClasses()), c.status) << c.name;
  }
}

}  // namespace
}  // namespace ravlek
