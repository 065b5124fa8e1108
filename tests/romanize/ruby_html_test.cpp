// The handout: the cells and readings of a text, their layout on A4, the choice file, and the
// HTML and OpenDocument forms, over a small dictionary held in memory.
#include <gtest/gtest.h>
#include <zip.h>

#include <QRegularExpression>

#include "romanize/handout_layout.h"
#include "romanize/reading_choice_file.h"
#include "romanize/ruby_html.h"
#include "romanize/ruby_odt.h"
#include "romanize/ruby_text.h"
#include "tests/support/memory_reading_source.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

using test::MemoryReadingSource;
using test::ReadingRow;

std::vector<ReadingRow> SmallDictionary() {
  return {
      {u"天"_s, "thian1", u"通"_s},   {u"天"_s, "thinn1", u"白"_s},
      {u"地"_s, "te7", u"文"_s},      {u"地"_s, "tue7", u"文讀"_s},
      {u"地"_s, "te7", u"通"_s},      {u"行"_s, "kiann5", u"白"_s},
      {u"行"_s, "hang5", u"古"_s},    {u"行"_s, "hing5", u"今"_s},
      {u"丕"_s, "phi1", u"古"_s},     {u"人"_s, "lang5", u"白"_s},
      {u"空"_s, "", u"通"_s},         {u"空"_s, "khong1", u"文"_s},
      {u"無"_s, "", u"通"_s},         {u"天地"_s, "thian1-te7", u"通"_s},
      {u"𠀤"_s, "ping7", u"通"_s},    {u"<"_s, "sio2", u"通"_s},
      {u"將"_s, "tsiong1", u"文"_s},  {u"將"_s, "tsiong3", u"文"_s},
      {u"將"_s, "tshiong1", u"文"_s}, {u"莊"_s, "tshiunn1", u"白"_s},
  };
}

std::vector<RubyLine> Build(const QStringList& lines, bool ancient = false, bool colloquial = false,
                            const ReadingChoices& choices = {}) {
  MemoryReadingSource source(SmallDictionary());
  RubyTextOptions options;
  options.conversion.ancient = ancient;
  options.conversion.colloquial = colloquial;
  return BuildRubyText(lines, options, source, choices);
}

// "character:reading" of every cell of every line, lines joined by " / ".
QString Cells(const std::vector<RubyLine>& text) {
  QStringList lines;
  for (const RubyLine& line : text) {
    QStringList cells;
    for (const RubyCell& cell : line.cells)
      cells.append(
          QStringLiteral("%1@%2:%3").arg(cell.character).arg(cell.position).arg(cell.reading));
    lines.append(cells.join(u' '));
  }
  return lines.join(u" / "_s);
}

struct PickCase {
  const char* name;
  QStringList lines;
  bool ancient;
  bool colloquial;
  ReadingChoices choices;
  QString cells;
};

class RubyTextTest : public ::testing::TestWithParam<PickCase> {};

TEST_P(RubyTextTest, PicksOneReadingPerCharacter) {
  const PickCase& c = GetParam();
  EXPECT_EQ(Cells(Build(c.lines, c.ancient, c.colloquial, c.choices)), c.cells);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RubyTextTest,
    ::testing::Values(
        PickCase{"SharedBeforeLiterary", {u"地"_s}, false, false, {}, u"地@1:te7"_s},
        PickCase{"ModernBeforeAncientBeforeColloquial", {u"行"_s}, true, true, {}, u"行@1:hing5"_s},
        PickCase{"AncientOnlyWhenAsked", {u"丕"_s}, false, false, {}, u"丕@1:"_s},
        PickCase{"AncientAsked", {u"丕"_s}, true, false, {}, u"丕@1:phi1"_s},
        // An empty reading is no reading; a character without one keeps its cell.
        PickCase{"EmptyReadingsPassedOver", {u"空無"_s}, false, false, {}, u"空@1:khong1 無@2:"_s},
        // Every line end counts as one position; blanks and blank lines keep theirs.
        PickCase{"PositionsCountLineEnds",
                 {u"天 ，"_s, u""_s, u"地"_s},
                 false,
                 false,
                 {},
                 u"天@1:thian1  @2: ，@3: /  / 地@6:te7"_s},
        PickCase{
            "SurrogatePairIsOneCharacter", {u"𠀤地"_s}, false, false, {}, u"𠀤@1:ping7 地@2:te7"_s},
        PickCase{"ChoiceTaken",
                 {u"將將"_s},
                 false,
                 false,
                 {{2, u"tshiong1"_s}},
                 u"將@1:tsiong1 將@2:tshiong1"_s},
        // A reading the character does not have, or a class not consulted, is not taken.
        PickCase{"ChoiceOfAnotherReadingIgnored",
                 {u"天"_s},
                 false,
                 false,
                 {{1, u"thinn1"_s}},
                 u"天@1:thian1"_s}),
    [](const auto& info) { return std::string(info.param.name); });

// The reading a regulated verse's metre needs stands where the user has chosen none; a user's
// choice wins, and a metre reading the character lacks (a class not consulted) is not taken.
struct MetrePickCase {
  const char* name;
  ReadingChoices choices;
  ReadingChoices metre;
  QString cells;
};

class MetrePickTest : public ::testing::TestWithParam<MetrePickCase> {};

TEST_P(MetrePickTest, UserChoiceThenMetreThenFirst) {
  MemoryReadingSource source(SmallDictionary());
  const MetrePickCase& c = GetParam();
  EXPECT_EQ(Cells(BuildRubyText({u"將將天"_s}, {}, source, c.choices, c.metre)), c.cells);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MetrePickTest,
    ::testing::Values(MetrePickCase{"NoMetre", {}, {}, u"將@1:tsiong1 將@2:tsiong1 天@3:thian1"_s},
                      MetrePickCase{"MetreWhereNoChoice",
                                    {},
                                    {{1, u"tsiong3"_s}, {2, u"tsiong3"_s}},
                                    u"將@1:tsiong3 將@2:tsiong3 天@3:thian1"_s},
                      MetrePickCase{"ChoiceOverMetre",
                                    {{2, u"tshiong1"_s}},
                                    {{1, u"tsiong3"_s}, {2, u"tsiong3"_s}},
                                    u"將@1:tsiong3 將@2:tshiong1 天@3:thian1"_s},
                      MetrePickCase{"WrongChoiceFallsToMetre",
                                    {{1, u"thian1"_s}},
                                    {{1, u"tsiong3"_s}},
                                    u"將@1:tsiong3 將@2:tsiong1 天@3:thian1"_s},
                      MetrePickCase{"MetreReadingNotConsulted",
                                    {},
                                    {{3, u"thinn1"_s}},
                                    u"將@1:tsiong1 將@2:tsiong1 天@3:thian1"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(HandoutLayoutTest, CellsOfALineAreEqualAndWideEnoughForTheWidestReading) {
  const HandoutStyle style;
  const std::vector<RubyLine> text = Build({u"天莊天，"_s, u"地地"_s}, false, true);
  const std::vector<HandoutRow> rows = LayOutHandout(text, style);
  ASSERT_EQ(rows.size(), 2u);
  // A character's cell is 1.2 of its size; tshiūnn widens every cell of its line, not the next.
  const double widest = ReadingWidthPt(u"tshiūnn"_s, style.readingPt);
  EXPECT_GT(rows[0].cellPt, widest + style.readingPt * 0.5);
  EXPECT_GT(widest, 1.2 * style.characterPt);
  EXPECT_EQ(rows[1].cellPt, 1.2 * style.characterPt);
  EXPECT_EQ(rows[0].cells.size(), 4u);
}

TEST(HandoutLayoutTest, ALongLineBreaksAfterPunctuationWithinThePage) {
  const HandoutStyle style;
  // 40 cells: 地 (tē) in cells of 24 pt, 21 to a row of 504 pt; a comma at 17 ends the first.
  const QString line = QString(u"地"_s).repeated(16) + u"，"_s + QString(u"地"_s).repeated(23);
  const std::vector<RubyLine> text = Build({line});
  const std::vector<HandoutRow> rows = LayOutHandout(text, style);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].cells.size(), 17u);
  EXPECT_EQ(rows[0].cells.back()->character, u"，"_s);
  EXPECT_EQ(rows[1].cells.size(), 21u);
  EXPECT_EQ(rows[2].cells.size(), 2u);
  for (const HandoutRow& row : rows) EXPECT_LE(row.cellPt * double(row.cells.size()), kTextWidthPt);
}

TEST(HandoutLayoutTest, ReadingWidthIgnoresToneMarks) {
  EXPECT_DOUBLE_EQ(ReadingWidthPt(u"tsa̍t"_s, 10), ReadingWidthPt(u"tsat"_s, 10));
  EXPECT_GT(ReadingWidthPt(u"tsat8"_s, 10), ReadingWidthPt(u"tsat"_s, 10));
}

TEST(RubyHtmlDocumentTest, EveryCharacterInACellWithItsReadingAbove) {
  HandoutStyle style;
  const QString html = RubyHtmlDocument(Build({u"天 <&\">"_s, u""_s, u"地"_s}, false, true), style);
  EXPECT_TRUE(html.startsWith(u"<!DOCTYPE html>\n"_s));
  EXPECT_TRUE(html.contains(u"<title>天 &lt;&amp;&quot;&gt;</title>"_s));
  EXPECT_TRUE(html.contains(u"@page { size: A4;"_s));
  EXPECT_TRUE(html.contains(
      uR"(<div class="row" style="--w: 32.0pt"><span class="c"><ruby title="通 thian; 白 thinn">天<rt>thian</rt></ruby></span><span class="c"> </span><span class="c"><ruby title="通 sió">&lt;<rt>sió</rt></ruby></span><span class="c">&amp;</span><span class="c">&quot;</span><span class="c">&gt;</span></div>
<div class="row blank"></div>
<div class="row" style="--w: 24.0pt"><span class="c"><ruby title="通 tē; 文 tē, tuē">地<rt>tē</rt></ruby></span></div>)"_s))
      << html.toStdString();
  // Nothing is fetched: no link, script or image.
  EXPECT_FALSE(html.contains(QRegularExpression(u"<(link|script|img)"_s)));
}

TEST(RubyHtmlDocumentTest, NumericReadingsSizesAndHeadingOnRequest) {
  HandoutStyle style;
  style.toneMarks = false;
  style.characterPt = 24;
  style.readingPt = 12;
  MemoryReadingSource source(SmallDictionary());
  RubyTextOptions options;
  options.title = true;
  options.author = true;
  const QString html =
      RubyHtmlDocument(BuildRubyText({u"天"_s, u"地"_s, u"人"_s}, options, source, {}), style);
  EXPECT_TRUE(html.contains(u"font-size: 24.0pt"_s));
  EXPECT_TRUE(html.contains(u"font-size: 12.0pt"_s));
  EXPECT_TRUE(html.contains(
      u"<div class=\"row title\" style=\"--w: 45.5pt\"><span class=\"c\"><ruby title=\"通 thian1\">天<rt>thian1</rt>"_s))
      << html.toStdString();
  EXPECT_TRUE(html.contains(u"<div class=\"row author\""_s));
  // 1.2 × 24 pt, to the next half point; a title's characters are larger.
  EXPECT_TRUE(
      html.contains(u"<div class=\"row\" style=\"--w: 29.0pt\"><span class=\"c\">人</span>"_s));
}

TEST(HandoutFileNameTest, TitleElseFirstLineWithoutPunctuation) {
  MemoryReadingSource source(SmallDictionary());
  RubyTextOptions heading;
  heading.title = heading.author = true;
  struct Case {
    const char* name;
    QStringList lines;
    bool heading;
    QString fileName;
  };
  const QString longLine = QString(50, u'天');
  const Case cases[] = {
      {"first line",
       {u"學而時習之，不亦說乎？"_s, u"有朋自遠方來"_s},
       false,
       u"學而時習之不亦說乎"_s},
      {"first line that is not blank",
       {u""_s, u"　"_s, u"無題 (李商隱)"_s},
       false,
       u"無題李商隱"_s},
      {"title line", {u"將進酒"_s, u"李白"_s, u"君不見，黃河之水天上來"_s}, true, u"將進酒"_s},
      {"separators and a leading dot", {u"../a/b\\c"_s}, false, u"abc"_s},
      {"at most 40 characters", {longLine}, false, QString(40, u'天')},
      {"a character outside the BMP", {u"𠀤，天"_s}, false, u"𠀤天"_s},
      {"punctuation only", {u"，。！"_s}, false, u"注音"_s},
      {"nothing", {}, false, u"注音"_s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HandoutFileName(
                  BuildRubyText(c.lines, c.heading ? heading : RubyTextOptions{}, source, {})),
              c.fileName)
        << c.name;
  }
}

struct ChoiceCase {
  const char* name;
  QString file;
  QString fault;  // of parsing, or of checking against 將天 / 地
};

class ReadingChoiceFileTest : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(ReadingChoiceFileTest, ParsesAndChecks) {
  std::vector<ReadingChoiceLine> lines;
  QString fault;
  if (ParseReadingChoices(GetParam().file, lines, fault))
    fault = CheckReadingChoices(Build({u"將天"_s, u"地"_s}), lines);
  EXPECT_EQ(fault, GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadingChoiceFileTest,
    ::testing::Values(
        ChoiceCase{"NumericAndToneMarked", u"# comment\n1\t將\ttshiong1\r\n\n4\t地\ttē\n"_s, {}},
        ChoiceCase{"ToneOneUnmarked", u"1\t將\ttshiong\n"_s, {}},
        ChoiceCase{"TwoFields", u"1\t將\n"_s, u"line 1: not position<TAB>character<TAB>reading"_s},
        ChoiceCase{"PositionNotANumber", u"\n一\t將\ttsiong1\n"_s,
                   u"line 2: the position is not a number from 1"_s},
        ChoiceCase{"TwoCharacters", u"1\t將天\ttsiong1\n"_s,
                   u"line 1: not one character: \"將天\""_s},
        ChoiceCase{"OtherCharacter", u"2\t將\ttsiong1\n"_s, u"line 1: position 2 is 天, not 將"_s},
        ChoiceCase{"LineEndIsNoCharacter", u"3\t將\ttsiong1\n"_s,
                   u"line 1: position 3 is no character of the text"_s},
        ChoiceCase{"ReadingItDoesNotHave", u"1\t將\ttsiong5\n"_s,
                   u"line 1: 將 has no reading tsiong5 (it has: 文 tsiong1, tsiong3, tshiong1)"_s},
        // The text reaches the second line's position first; the file's first fault is told.
        ChoiceCase{"FirstFaultInTheFileOrder", u"2\t將\ttsiong1\n1\t將\ttsiong5\n"_s,
                   u"line 1: position 2 is 天, not 將"_s},
        ChoiceCase{"PositionAfterTheText", u"1\t將\ttsiong1\n9\t地\tte7\n"_s,
                   u"line 2: position 9 is no character of the text"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadingChoiceFileTest, ReadingsAsTyped) {
  EXPECT_EQ(NumericReading(u"tsiòng"_s), u"tsiong3"_s);
  EXPECT_EQ(NumericReading(u"lo̍k"_s), u"lok8"_s);
  EXPECT_EQ(NumericReading(u"kiàn"_s), u"kian3"_s);
  EXPECT_EQ(NumericReading(u"tsit"_s), u"tsit4"_s);
  EXPECT_EQ(NumericReading(u"gak8"_s), u"gak8"_s);
}

// The members of an archive, in order, with whether each is stored uncompressed.
std::vector<std::pair<QString, bool>> Members(const QByteArray& bytes, QByteArray* content) {
  std::vector<std::pair<QString, bool>> members;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.constData(), bytes.size(), 0, &error);
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
  if (!archive) {
    zip_source_free(source);
    ADD_FAILURE() << zip_error_strerror(&error);
    return members;
  }
  for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
    zip_stat_t stat;
    zip_stat_index(archive, zip_uint64_t(i), 0, &stat);
    members.emplace_back(QString::fromUtf8(stat.name), stat.comp_method == ZIP_CM_STORE);
    if (QString::fromUtf8(stat.name) == u"content.xml"_s) {
      content->resize(qsizetype(stat.size));
      zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
      zip_fread(file, content->data(), stat.size);
      zip_fclose(file);
    }
  }
  zip_close(archive);
  return members;
}

TEST(RubyOdtDocumentTest, IsAnOpenDocumentTextWithRealRuby) {
  const QByteArray odt = RubyOdtDocument(Build({u"天 &，"_s, u""_s, u"莊"_s}, false, true), {});
  // The mimetype first and stored, its bytes at the fixed offset readers look at.
  EXPECT_EQ(odt.mid(30, 8), QByteArray("mimetype"));
  EXPECT_EQ(odt.mid(38, 39), QByteArray("application/vnd.oasis.opendocument.text"));
  QByteArray content;
  const auto members = Members(odt, &content);
  ASSERT_EQ(members.size(), 5u);
  EXPECT_EQ(members[0], std::make_pair(u"mimetype"_s, true));
  const QString xml = QString::fromUtf8(content);
  EXPECT_TRUE(xml.contains(
      uR"(<text:tab/><text:ruby text:style-name="Ruby"><text:ruby-base>天</text:ruby-base><text:ruby-text text:style-name="Reading">thian</text:ruby-text></text:ruby><text:tab/><text:s/><text:tab/>&amp;<text:tab/>，</text:p>
<text:p text:style-name="Handout"/>
)"_s)) << xml.toStdString();
  EXPECT_TRUE(xml.contains(
      u"<text:ruby-base>莊</text:ruby-base><text:ruby-text text:style-name=\"Reading\">tshiunn</text:ruby-text>"_s));
  // A centred tab stop in the middle of each cell: four cells of 32 pt (thian and its gaps).
  EXPECT_TRUE(xml.contains(
      uR"(<style:tab-stop style:position="16.00pt" style:type="center"/><style:tab-stop style:position="48.00pt" style:type="center"/><style:tab-stop style:position="80.00pt" style:type="center"/><style:tab-stop style:position="112.00pt" style:type="center"/></style:tab-stops>)"_s))
      << xml.toStdString();
}

}  // namespace
}  // namespace ravlek
