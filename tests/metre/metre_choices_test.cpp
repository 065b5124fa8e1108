// The readings the metre chooses where the conversion and the handout use them: read only for a
// text that may hold regulated verse, placed by line and character (a surrogate pair one).

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "build_paths.h"
#include "metre/metre_check.h"
#include "metre/metre_choices.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/memory_reading_source.h"
#include "tests/support/qstring_printer.h"

namespace ravlek::metre {
namespace {

using namespace Qt::StringLiterals;

// A few rows held in memory.
test::MemoryReadingSource FewRows() {
  return test::MemoryReadingSource({
      {u"看"_s, u"khan3"_s, u"文"_s},  // first, but 仄
      {u"看"_s, u"khan1"_s, u"文"_s},
      {u"𠀤"_s, u"ping7"_s, u"文"_s},
  });
}

class MetreChoicesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_NO_THROW(test::CopyPingshuiTables(folder_.path()));
  }
  QTemporaryDir folder_;
  test::MemoryReadingSource rows_ = FewRows();
};

// A title, two regulated 五言絕句 (the second with a character outside the BMP before 看), and
// the same 句 alone, which is no regulated poem.
const QStringList kText = {
    u"題山居"_s,                    // 1-3, line end 4
    u"行到水窮處，坐看雲起時。"_s,  // 5-16: 看 12
    u"林泉多野趣，談笑有歸期。"_s,  // 18-29
    u""_s,                          // 31
    u"行到水窮處，𠀤看雲起時。"_s,  // 32-43: 𠀤 38, 看 39
    u"林泉多野趣，談笑有歸期。"_s,  // 45-56
    u""_s,                          // 58
    u"坐看雲起時"_s,                // 59-63: 看 60
};

TEST_F(MetreChoicesTest, ByLineAndCharacter) {
  MetreSources sources(folder_.path(), rows_);
  const QList<QStringList> chosen = ChosenMetreReadings(kText, sources);
  EXPECT_TRUE(sources.Problem().isEmpty());
  ASSERT_EQ(chosen.size(), kText.size());
  EXPECT_TRUE(chosen[0].isEmpty() || chosen[0] == QStringList(3));  // the title
  ASSERT_EQ(chosen[1].size(), 12);
  EXPECT_EQ(chosen[1][7], u"khan1"_s);
  ASSERT_EQ(chosen[4].size(), 12);  // 𠀤 is one character
  EXPECT_EQ(chosen[4][6], u"ping7"_s);
  EXPECT_EQ(chosen[4][7], u"khan1"_s);
  EXPECT_TRUE(chosen[7].isEmpty());
}

TEST_F(MetreChoicesTest, NothingIsReadWithoutTheShapeOfRegulatedVerse) {
  const QStringList prose = {u"坐看雲起時"_s, u""_s, u"天地玄黃，宇宙洪荒，日月盈昃，辰宿列張。"_s};
  MetreSources sources(u"/nonexistent"_s, rows_);
  EXPECT_TRUE(ChosenMetreReadings(prose, sources).isEmpty());
  EXPECT_EQ(rows_.reads, 0);
  EXPECT_TRUE(sources.Problem().isEmpty());
}

// The conversion page keeps what the metre read between presses: the tables of its folder, and
// the readings while the dictionary's content stamp is the same.
TEST_F(MetreChoicesTest, KeptSourcesAreReadAgainOnlyWhenTheDictionaryChanged) {
  KeptMetreSources kept;
  const auto run = [&](const QString& folder) {
    MetreSources sources(folder, rows_, &kept);
    const QList<QStringList> chosen = ChosenMetreReadings(kText, sources);
    EXPECT_TRUE(sources.Problem().isEmpty()) << sources.Problem().toStdString();
    return chosen.value(1).value(7);
  };
  rows_.stamp = u"1"_s;
  EXPECT_EQ(run(folder_.path()), u"khan1"_s);
  const int once = rows_.reads;
  EXPECT_GT(once, 0);
  // The tables are not read again from their folder either.
  QFile::remove(QDir(folder_.path()).filePath(u"pingshui_groups.tsv"_s));
  EXPECT_EQ(run(folder_.path()), u"khan1"_s);
  EXPECT_EQ(rows_.reads, once);
  rows_.stamp = u"2"_s;
  EXPECT_EQ(run(folder_.path()), u"khan1"_s);
  EXPECT_EQ(rows_.reads, 2 * once);
  rows_.stamp.clear();
  run(folder_.path());
  run(folder_.path());
  EXPECT_EQ(rows_.reads, 4 * once);
  // Another folder's tables are its own: here they are missing.
  MetreSources elsewhere(u"/nonexistent"_s, rows_, &kept);
  EXPECT_TRUE(ChosenMetreReadings(kText, elsewhere).isEmpty());
  EXPECT_FALSE(elsewhere.Problem().isEmpty());
}

TEST_F(MetreChoicesTest, MissingTablesLeaveTheReadingsUnchosenAndSaySo) {
  QFile::remove(QDir(folder_.path()).filePath(u"pingshui_groups.tsv"_s));
  MetreSources sources(folder_.path(), rows_);
  EXPECT_TRUE(ChosenMetreReadings(kText, sources).isEmpty());
  EXPECT_TRUE(sources.Problem().contains(u"pingshui_groups.tsv"_s))
      << sources.Problem().toStdString();
}

struct ShapeCase {
  const char* name;
  QStringList lines;
  bool mayStart;
  bool mayBe;
};

class PoemShapeTest : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(PoemShapeTest, DecidedFromTheVersesAlone) {
  EXPECT_EQ(MayStartRegulatedPoem(GetParam().lines), GetParam().mayStart);
  EXPECT_EQ(MayBeRegulatedPoem(GetParam().lines), GetParam().mayBe);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PoemShapeTest,
    ::testing::Values(
        ShapeCase{"one_line_may_be_a_title", {u"靜夜思"_s}, true, false},
        ShapeCase{"title_and_two_lines",
                  {u"題山居"_s, u"行到水窮處，坐看雲起時。"_s, u"林泉多野趣，談笑有歸期。"_s},
                  true,
                  true},
        ShapeCase{"half_a_quatrain", {u"行到水窮處，坐看雲起時。"_s}, true, false},
        ShapeCase{"a_short_verse",
                  {u"行到水窮處，坐看雲起時。"_s, u"林泉多野趣，談笑有歸期，山中。"_s},
                  false,
                  false},
        ShapeCase{"three_verses", {u"行到水窮處，坐看雲起時，林泉多野趣。"_s}, true, false},
        ShapeCase{"six_characters", {u"行到水窮處處，坐看雲起時時。"_s}, false, false},
        ShapeCase{"prose_lines", {u"天"_s, u"天"_s}, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ravlek::metre
