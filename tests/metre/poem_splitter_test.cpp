// The one poem splitter: poems end at empty lines and, without one, where a regulated shape is
// followed by a line that does not fit it; a conversion gets the lines of a poem that cannot be
// regulated at once.

#include <gtest/gtest.h>

#include "metre/poem_splitter.h"
#include "tests/support/qstring_printer.h"

namespace ravlek::metre {
namespace {

using namespace Qt::StringLiterals;

struct SplitCase {
  const char* name;
  QStringList lines;
  bool wholePoems;
  // Each part as kind (B blank, P poem, L loose), first line, line count, end (e empty line,
  // s shape change, t text end) and r when it has the regulated shape; joined by blanks.
  const char* parts;
};

QString Parts(const QStringList& lines, bool wholePoems) {
  QStringList parts;
  int next = 0;
  PoemSplitter splitter(
      [&](PoemSplitter::Kind kind, PoemLines&& part) {
        EXPECT_EQ(part.firstLine, next) << "every line once, in order";
        next += static_cast<int>(part.lines.size());
        const char* kinds = "BPL";
        const char* ends = "est";
        parts.append(QStringLiteral("%1%2+%3%4%5")
                         .arg(QChar(kinds[static_cast<int>(kind)]))
                         .arg(part.firstLine)
                         .arg(part.lines.size())
                         .arg(QChar(ends[static_cast<int>(part.end)]))
                         .arg(part.regularShape ? u"r"_s : QString()));
      },
      wholePoems);
  for (const QString& line : lines) splitter.AddLine(line);
  splitter.Finish();
  EXPECT_EQ(next, lines.size());
  return parts.join(u' ');
}

const QString kSpringA = u"國破山河在，城春草木深。"_s;
const QString kSpringB = u"感時花濺淚，恨別鳥驚心。"_s;
const QString kHeightsA = u"風急天高猿嘯哀，渚清沙白鳥飛迴。"_s;
const QString kHeightsB = u"無邊落木蕭蕭下，不盡長江滾滾來。"_s;
const QString kAnalects = u"有朋自遠方來，不亦樂乎？"_s;

const SplitCase kCases[] = {
    {"empty_lines_divide",
     {kSpringA, kSpringB, u""_s, u"　"_s, kHeightsA, kHeightsB},
     true,
     "P0+2er B2+1e B3+1e P4+2tr"},
    {"prose_after_a_poem", {kSpringA, kSpringB, kAnalects}, true, "P0+2sr P2+1t"},
    {"title_after_a_poem",
     {kSpringA, kSpringB, u"登高"_s, kHeightsA, kHeightsB},
     true,
     "P0+2sr P2+3tr"},
    {"other_length_after_a_poem",
     {kSpringA, kSpringB, kHeightsA, kHeightsB},
     true,
     "P0+2sr P2+2tr"},
    {"no_end_before_the_shape_is_whole", {u"國破山河在，"_s, kAnalects}, true, "P0+2t"},
    {"irregular_verse_stays_whole", {kAnalects, kSpringA, kSpringB}, true, "P0+3t"},
    {"title_line_starts_a_poem", {u"春望"_s, kSpringA, kSpringB}, true, "P0+3tr"},
    {"loose_lines_go_at_once",
     {kAnalects, kSpringA, u""_s, kSpringA, kSpringB},
     false,
     "L0+1t L1+1t B2+1e P3+2tr"},
    {"loose_after_a_waiting_start", {u"春望"_s, kAnalects, kSpringA}, false, "L0+2t L2+1t"},
    {"a_poem_then_prose_in_a_conversion",
     {kSpringA, kSpringB, kAnalects, kSpringA},
     false,
     "P0+2sr L2+1t L3+1t"},
};

class PoemSplitterTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PoemSplitterTest, Parts) {
  EXPECT_EQ(Parts(GetParam().lines, GetParam().wholePoems), QString::fromUtf8(GetParam().parts));
}

INSTANTIATE_TEST_SUITE_P(Texts, PoemSplitterTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PoemSplitterTest, SplitPoemsKeepsTheirPlaces) {
  const QList<PoemLines> poems = SplitPoems({u"a"_s, u" "_s, u""_s, u"b"_s, u"c"_s});
  ASSERT_EQ(poems.size(), 2);
  EXPECT_EQ(poems[1].firstLine, 3);
  EXPECT_EQ(poems[1].lines, (QStringList{u"b"_s, u"c"_s}));
}

}  // namespace
}  // namespace ravlek::metre
