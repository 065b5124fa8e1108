// The one conversion path: poems cut by the metre's splitter, the metre's reading first in its
// group, further choosers only where the ones before chose nothing, and the handout's positions.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "build_paths.h"
#include "metre/metre_choices.h"
#include "romanize/conversion.h"
#include "romanize/romanizer.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/memory_reading_source.h"
#include "tests/support/qstring_printer.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// 看 rhymes in 寒 at the end of 月夜's second 句: the metre wants the 平 khan1, the second row.
test::MemoryReadingSource Rows() {
  return test::MemoryReadingSource({
      {u"看"_s, u"khan3"_s, u"文"_s},
      {u"看"_s, u"khan1"_s, u"文"_s},
      {u"𠀤"_s, u"ping7"_s, u"文"_s},
  });
}

// Puts one reading first for one character wherever it stands: a stand-in for a word-context
// step.
class OneCharacterChooser : public ReadingChooser {
 public:
  OneCharacterChooser(QChar character, QString reading)
      : character_(character), reading_(std::move(reading)) {}
  void Choose(metre::PoemSplitter::Kind, const metre::PoemLines& part,
              FirstReadings& first) override {
    for (qsizetype i = 0; i < part.lines.size(); ++i) {
      const QString& line = part.lines[i];
      for (qsizetype k = 0; k < line.size(); ++k) {
        if (line[k] != character_) continue;
        if (first[i].size() <= k) first[i].resize(line.size());
        if (first[i][k].isEmpty()) first[i][k] = reading_;
      }
    }
  }

 private:
  QChar character_;
  QString reading_;
};

class ConversionPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    ASSERT_NO_THROW(test::CopyPingshuiTables(folder_.path()));
  }
  // Each line and its romanised line, as the conversion page and ravlek-cli romanize write them.
  QStringList Convert(const QStringList& lines, const std::vector<ReadingChooser*>& choosers) {
    Romanizer romanizer(rows_, ConversionOptions{false, false, true, false});
    QStringList out;
    RomanizeStream stream(
        romanizer, choosers,
        [&out](const QString& line, const QString& romanised) { out << line << romanised; });
    for (const QString& line : lines) stream.AddLine(line);
    stream.Finish();
    return out;
  }
  QTemporaryDir folder_;
  test::MemoryReadingSource rows_ = Rows();
};

const QString kMoonA = u"今夜鄜州月，閨中只獨看。"_s;
const QString kMoonB = u"遙憐小兒女，未解憶長安。"_s;

TEST_F(ConversionPathTest, MetreReadingFirstAlsoWhenProseFollowsWithoutAnEmptyLine) {
  metre::MetreSources sources(folder_.path(), rows_);
  MetreChooser metre(sources);
  const QStringList out = Convert({kMoonA, kMoonB, u"看書，不亦樂乎？"_s}, {&metre});
  ASSERT_EQ(out.size(), 6);
  EXPECT_EQ(out[1], u"今夜鄜州月，閨中只獨(文 khan1 khan3) 。"_s);
  // The prose line is no regulated verse: the dictionary's order.
  EXPECT_EQ(out[5], u"(文 khan3 khan1) 書，不亦樂乎？"_s);
  EXPECT_TRUE(sources.Problem().isEmpty());
}

TEST_F(ConversionPathTest, ALaterChooserFillsOnlyWhatTheEarlierLeft) {
  metre::MetreSources sources(folder_.path(), rows_);
  MetreChooser metre(sources);
  OneCharacterChooser words(u'看', u"khan3"_s);
  const QStringList lines = {kMoonA, kMoonB, u""_s, u"看山，"_s};
  const QStringList metreFirst = Convert(lines, {&metre, &words});
  EXPECT_EQ(metreFirst[1], u"今夜鄜州月，閨中只獨(文 khan1 khan3) 。"_s);
  const QStringList wordsFirst = Convert(lines, {&words, &metre});
  EXPECT_EQ(wordsFirst[1], u"今夜鄜州月，閨中只獨(文 khan3 khan1) 。"_s);
}

TEST_F(ConversionPathTest, NothingIsReadForTextWithoutTheRegulatedShape) {
  metre::MetreSources sources(u"/nonexistent"_s, rows_);
  MetreChooser metre(sources);
  const QStringList lines = {u"看山"_s, u""_s, u"天地玄黃，宇宙洪荒，日月盈昃，辰宿列張。"_s};
  const FirstReadings first = ChooseFirstReadings(lines, {&metre});
  EXPECT_EQ(first, FirstReadings(3));
  EXPECT_EQ(rows_.reads, 0);
  EXPECT_TRUE(sources.Problem().isEmpty());
  EXPECT_TRUE(PositionChoices(lines, first).isEmpty());
}

// Positions count characters from 1, a surrogate pair as one and every line end as one.
TEST_F(ConversionPathTest, PositionChoicesForTheHandout) {
  metre::MetreSources sources(folder_.path(), rows_);
  MetreChooser metre(sources);
  const QStringList lines = {
      u"題山居"_s,                    // 1-3, line end 4
      u"行到水窮處，坐看雲起時。"_s,  // 5-16: 看 12
      u"林泉多野趣，談笑有歸期。"_s,  // 18-29
      u""_s,                          // 31
      u"行到水窮處，𠀤看雲起時。"_s,  // 32-43: 𠀤 38, 看 39
      u"林泉多野趣，談笑有歸期。"_s,  // 45-56
  };
  const ReadingChoices expected = {{12, u"khan1"_s}, {38, u"ping7"_s}, {39, u"khan1"_s}};
  EXPECT_EQ(PositionChoices(lines, ChooseFirstReadings(lines, {&metre})), expected);
}

}  // namespace
}  // namespace ravlek
