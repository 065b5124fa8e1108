// The ruby-annotated HTML document over a small dictionary held in memory.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "memory_reading_source.h"
#include "romanize/ruby_html.h"
#include "romanize/tone_marked_readings.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

using test::MemoryReadingSource;
using test::ReadingRow;

std::vector<ReadingRow> SmallDictionary() {
  return {
      {u"天"_s, "thian1", u"通"_s}, {u"天"_s, "thinn1", u"白"_s},
      {u"地"_s, "te7", u"文"_s},    {u"地"_s, "tue7", u"文讀"_s},
      {u"地"_s, "te7", u"通"_s},    {u"行"_s, "kiann5", u"白"_s},
      {u"行"_s, "hang5", u"古"_s},  {u"行"_s, "hing5", u"今"_s},
      {u"丕"_s, "phi1", u"古"_s},   {u"人"_s, "lang5", u"白"_s},
      {u"空"_s, "", u"通"_s},       {u"空"_s, "khong1", u"文"_s},
      {u"無"_s, "", u"通"_s},       {u"天地"_s, "thian1-te7", u"通"_s},
      {u"𠀤"_s, "ping7", u"通"_s},  {u"<"_s, "sio2", u"通"_s},
  };
}

// The lines of the document's body.
QStringList BodyLines(const QString& html) {
  const qsizetype begin = html.indexOf(u"<body>\n"_s) + 7;
  const qsizetype end = html.indexOf(u"</body>"_s);
  QStringList lines = html.mid(begin, end - begin).split(u'\n');
  lines.removeLast();
  return lines;
}

struct Case {
  const char* name;
  QStringList lines;
  bool ancient;
  bool colloquial;
  QStringList body;
};

class RubyHtmlTest : public ::testing::TestWithParam<Case> {};

TEST_P(RubyHtmlTest, WritesEveryLine) {
  MemoryReadingSource source(SmallDictionary());
  ConversionOptions options;
  options.ancient = GetParam().ancient;
  options.colloquial = GetParam().colloquial;
  EXPECT_EQ(BodyLines(RubyHtmlDocument(GetParam().lines, options, source)), GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RubyHtmlTest,
    ::testing::Values(
        Case{
            "SharedBeforeLiterary",
            {u"地"_s},
            false,
            false,
            {uR"(<div class="line"><ruby title="通 te7; 文 te7, tue7">地<rt>te7</rt></ruby></div>)"_s}},
        Case{
            "ModernBeforeAncientBeforeColloquial",
            {u"行"_s},
            true,
            true,
            {uR"(<div class="line"><ruby title="今 hing5; 古 hang5; 白 kiann5">行<rt>hing5</rt></ruby></div>)"_s}},
        Case{"AncientOnlyWhenAsked",
             {u"丕行"_s},
             false,
             false,
             {uR"(<div class="line">丕<ruby title="今 hing5">行<rt>hing5</rt></ruby></div>)"_s}},
        Case{"AncientAsked",
             {u"丕"_s},
             true,
             false,
             {uR"(<div class="line"><ruby title="古 phi1">丕<rt>phi1</rt></ruby></div>)"_s}},
        Case{
            "ColloquialAsked",
            {u"人天"_s},
            false,
            true,
            {uR"(<div class="line"><ruby title="白 lang5">人<rt>lang5</rt></ruby><ruby title="通 thian1; 白 thinn1">天<rt>thian1</rt></ruby></div>)"_s}},
        // An empty reading is no reading: the next class gives the ruby, or the character
        // stands bare.
        Case{"EmptyReadingsPassedOver",
             {u"空無"_s},
             false,
             false,
             {uR"(<div class="line"><ruby title="文 khong1">空<rt>khong1</rt></ruby>無</div>)"_s}},
        Case{"LinesBlankLinesAndBlanksKept",
             {u"天 ，"_s, u""_s, u"  "_s},
             false,
             false,
             {uR"(<div class="line"><ruby title="通 thian1">天<rt>thian1</rt></ruby> ，</div>)"_s,
              uR"(<div class="line"></div>)"_s, uR"(<div class="line">  </div>)"_s}},
        Case{"SurrogatePairIsOneCharacter",
             {u"𠀤"_s},
             false,
             false,
             {uR"(<div class="line"><ruby title="通 ping7">𠀤<rt>ping7</rt></ruby></div>)"_s}},
        Case{
            "MarkupEscaped",
            {u"<&\">"_s},
            false,
            false,
            {uR"(<div class="line"><ruby title="通 sio2">&lt;<rt>sio2</rt></ruby>&amp;&quot;&gt;</div>)"_s}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RubyHtmlDocumentTest, IsStandaloneWithPrintStylesAndTitle) {
  MemoryReadingSource source(SmallDictionary());
  const QString html = RubyHtmlDocument({u""_s, u"  天地 <b>"_s, u"地"_s}, {}, source);
  EXPECT_TRUE(html.startsWith(u"<!DOCTYPE html>\n"_s));
  EXPECT_TRUE(html.contains(u"<meta charset=\"utf-8\">"_s));
  EXPECT_TRUE(html.contains(u"<title>天地 &lt;b&gt;</title>"_s));
  EXPECT_TRUE(html.contains(u"@page { size: A4;"_s));
  EXPECT_TRUE(html.contains(u"@media print"_s));
  EXPECT_TRUE(html.endsWith(u"</html>\n"_s));
  // Nothing is fetched: no link, script or image.
  EXPECT_FALSE(html.contains(QRegularExpression(u"<(link|script|img)"_s)));
  // The classes are read once each.
  EXPECT_EQ(source.reads, 3);
}

TEST(RubyHtmlDocumentTest, ToneMarkedReadings) {
  MemoryReadingSource rows(SmallDictionary());
  ToneMarkedReadingSource source(rows);
  const QStringList body = BodyLines(RubyHtmlDocument({u"地"_s}, {}, source));
  EXPECT_EQ(
      body,
      QStringList{
          uR"(<div class="line"><ruby title="通 tē; 文 tē, tuē">地<rt>tē</rt></ruby></div>)"_s});
}

}  // namespace
}  // namespace ravlek
