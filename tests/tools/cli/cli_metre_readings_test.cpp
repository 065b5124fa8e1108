// ravlek-cli romanize on a regulated poem: the reading its metre needs (看 in 坐看雲起時 is the 平
// khan1, which the dictionary lists after khan3) is written in the handouts (and comes first in
// the conversion: the golden files); the same 句 outside a regulated poem reads as before, and
// --choose wins.
#include <gtest/gtest.h>
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "build_paths.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "metre/metre_choices.h"
#include "romanize/conversion.h"
#include "romanize/handout_layout.h"
#include "romanize/reading_choice_file.h"
#include "romanize/ruby_html.h"
#include "romanize/ruby_odt.h"
#include "romanize/ruby_text.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureDictionary Dictionary() {
  test::FixtureDictionary dictionary;
  auto row = [](const QString& word, const QString& spell, const QString& ptype) {
    return test::FixtureRow{{u"HanWord"_s, word}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
  };
  dictionary.ravlekRows = {row(u"坐"_s, u"tso7"_s, u"文"_s), row(u"看"_s, u"khan3"_s, u"文"_s),
                           row(u"看"_s, u"khan1"_s, u"文"_s), row(u"看"_s, u"khuann3"_s, u"白"_s)};
  return dictionary;
}

// A title and a regulated 五言絕句 (看 at position 12), then the same 句 alone (看 at 33).
const QString kText =
    u"題山居\n行到水窮處，坐看雲起時。\n林泉多野趣，談笑有歸期。\n\n坐看雲起時\n"_s;

// A member of an OpenDocument file, content.xml unless named.
QString OdtContent(const QByteArray& bytes, const char* member = "content.xml") {
  QByteArray content;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(bytes.constData(), bytes.size(), 0, &error);
  zip_t* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
  if (!archive) {
    zip_source_free(source);
    ADD_FAILURE() << zip_error_strerror(&error);
    return {};
  }
  zip_stat_t stat;
  if (zip_stat(archive, member, 0, &stat) == 0) {
    content.resize(qsizetype(stat.size));
    zip_file_t* file = zip_fopen(archive, member, 0);
    zip_fread(file, content.data(), stat.size);
    zip_fclose(file);
  }
  zip_close(archive);
  return QString::fromUtf8(content);
}

class CliMetreReadingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_THROW(test::CopyPingshuiTables(folder_.Path()));
    folder_.AddShippedPhrases();
  }
  test::CliRun Run(const QStringList& args, const QString& input = kText) {
    const test::CliRun run = test::RunCliProgram(
        QStringList{u"--app-dir"_s, folder_.Path(), u"romanize"_s} + args, input.toUtf8());
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run;
  }
  QString ChoiceFile(const QString& text) {
    QFile file(QDir(folder_.Path()).filePath(u"choices.tsv"_s));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
    return file.fileName();
  }
  test::FixtureAppFolder folder_{Dictionary()};
};

// The conversion with --colloquial, as the golden file has it.
QString Converted() {
  QFile file(QStringLiteral(RAVLEK_SOURCE_DIR
                            "/tests/tools/cli/golden/romanize/regulated_poem_colloquial.ans"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

struct HandoutCase {
  const char* name;
  QStringList args;
  QString choices;  // the --choose file, when not empty
  QString poem;     // the reading above 看 in the poem
  QString alone;    // and in the 句 alone
};

class CliMetreHandoutTest : public CliMetreReadingsTest,
                            public ::testing::WithParamInterface<HandoutCase> {};

TEST_P(CliMetreHandoutTest, ReadingAboveEach看) {
  const HandoutCase& c = GetParam();
  QStringList args = c.args + QStringList{u"--numeric"_s};
  if (!c.choices.isEmpty()) args += QStringList{u"--choose"_s, ChoiceFile(c.choices)};
  const test::CliRun run = Run(args);
  const bool odt = args.contains(u"--odt"_s);
  const QString document = odt ? OdtContent(run.out) : QString::fromUtf8(run.out);
  const auto above = [odt](const QString& reading) {
    return odt ? u"<text:ruby-base>看</text:ruby-base><text:ruby-text "
                 u"text:style-name=\"Reading\">%1</text:ruby-text>"_s.arg(reading)
               : u">看<rt>%1</rt>"_s.arg(reading);
  };
  const QString expected[] = {c.poem, c.alone};
  qsizetype at = 0;
  for (const QString& reading : expected) {
    at = document.indexOf(above(reading), at);
    EXPECT_GE(at, 0) << reading.toStdString() << document.toStdString();
    ++at;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliMetreHandoutTest,
    ::testing::Values(HandoutCase{"HtmlMetre", {u"--html"_s}, {}, u"khan1"_s, u"khan3"_s},
                      HandoutCase{"OdtMetre", {u"--odt"_s}, {}, u"khan1"_s, u"khan3"_s},
                      HandoutCase{"HtmlChoiceWins",
                                  {u"--html"_s},
                                  u"12\t看\tkhan3\n33\t看\tkhan1\n"_s,
                                  u"khan3"_s,
                                  u"khan1"_s},
                      HandoutCase{"OdtChoiceWins",
                                  {u"--odt"_s, u"--colloquial"_s},
                                  u"12\t看\tkhuann3\n"_s,
                                  u"khuann3"_s,
                                  u"khan3"_s}),
    [](const auto& info) { return std::string(info.param.name); });

// kText behind a blank and a whitespace line, then a line longer than a row and one to escape.
const QString kLongText = u"\n  \n"_s + kText + u"坐看雲起時，"_s.repeated(40) + u"\n<&\">\n"_s;

struct StreamCase {
  const char* name;
  QStringList args;
  bool choose = false;  // 看 (its first) chosen as khan3, against the metre's khan1
};

class CliHandoutStreamTest : public CliMetreReadingsTest,
                             public ::testing::WithParamInterface<StreamCase> {};

// A handout written as its lines come is the document the window makes of the whole text: the
// lines before the title wait for the head, positions and the metre's readings run on from line
// to line, a long line breaks into rows.
TEST_P(CliHandoutStreamTest, IsTheDocumentOfTheWholeText) {
  const StreamCase& c = GetParam();
  QStringList args = c.args;
  std::vector<ReadingChoiceLine> choiceLines;
  if (c.choose) {
    const QString choices = u"%1\t看\tkhan3\n"_s.arg(kLongText.indexOf(u'看') + 1);
    QString error;
    ASSERT_TRUE(ParseReadingChoices(choices, choiceLines, error));
    args += QStringList{u"--choose"_s, ChoiceFile(choices)};
  }
  const test::CliRun run = Run(args, kLongText);

  TFDConnection connection;
  ASSERT_TRUE(connection.OpenSqliteFile(folder_.DatabasePath()).ok());
  const QString name = u"FDQuerySQLRavlekTable"_s;
  TFDQuery query(connection, name, DatasetStatement(name));
  DatasetClassReadingSource source(query);
  metre::MetreSources sources(folder_.Path(), source);
  MetreChooser chooser(sources);
  QStringList lines = kLongText.split(u'\n');
  lines.removeLast();
  RubyTextOptions options;
  options.title = args.contains(u"--title"_s);
  options.author = args.contains(u"--author"_s);
  options.conversion.colloquial = args.contains(u"--colloquial"_s);
  const std::vector<RubyLine> text =
      BuildRubyText(lines, options, source, ChoicesOf(choiceLines),
                    PositionChoices(lines, ChooseFirstReadings(lines, {&chooser})));
  HandoutStyle style;
  style.toneMarks = !args.contains(u"--numeric"_s);
  if (const qsizetype size = args.indexOf(u"--character-size"_s); size >= 0) {
    style.characterPt = args[size + 1].toDouble();
  }
  if (args.contains(u"--odt"_s)) {
    const QByteArray whole = RubyOdtDocument(text, style);
    for (const char* member : {"content.xml", "meta.xml", "styles.xml"}) {
      EXPECT_EQ(OdtContent(run.out, member), OdtContent(whole, member)) << member;
    }
    EXPECT_TRUE(OdtContent(run.out, "meta.xml").contains(u"<dc:title>題山居</dc:title>"_s));
  } else {
    EXPECT_EQ(QString::fromUtf8(run.out), RubyHtmlDocument(text, style));
    EXPECT_TRUE(run.out.contains("<title>題山居</title>"));
  }
  // The poem's 看: the metre's reading, unless chosen.
  const bool odt = args.contains(u"--odt"_s);
  const QString document = odt ? OdtContent(run.out) : QString::fromUtf8(run.out);
  const QString before =
      odt ? u"看</text:ruby-base><text:ruby-text text:style-name=\"Reading\">"_s : u"看<rt>"_s;
  const qsizetype at = document.indexOf(before);
  ASSERT_GE(at, 0);
  EXPECT_EQ(document.mid(at + before.size(), 5), c.choose ? u"khan3"_s : u"khan1"_s);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliHandoutStreamTest,
    ::testing::Values(
        StreamCase{"Html", {u"--html"_s, u"--numeric"_s}},
        StreamCase{
            "HtmlHeadingChosen", {u"--html"_s, u"--title"_s, u"--author"_s, u"--numeric"_s}, true},
        StreamCase{"Odt", {u"--odt"_s, u"--numeric"_s, u"--character-size"_s, u"30"_s}},
        StreamCase{"OdtHeadingChosen",
                   {u"--odt"_s, u"--title"_s, u"--author"_s, u"--numeric"_s, u"--colloquial"_s},
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

// A choice that fails on the last line stops the handout before anything is written, though the
// lines before it were ready long before.
TEST_F(CliMetreReadingsTest, AWrongChoiceAtTheEndStopsTheHandoutBeforeAnyOutput) {
  const QString choices = ChoiceFile(u"%1\t<\tsio2\n"_s.arg(kLongText.indexOf(u'<') + 1));
  for (const QString& form : {u"--html"_s, u"--odt"_s}) {
    const test::CliRun run = test::RunCliProgram(
        {u"--app-dir"_s, folder_.Path(), u"romanize"_s, form, u"--choose"_s, choices},
        kLongText.toUtf8());
    EXPECT_EQ(run.exitCode, 1) << form.toStdString();
    EXPECT_TRUE(run.err.contains(u"line 1: < has no reading sio2 (it has: none)"_s))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << form.toStdString();
  }
}

TEST_F(CliMetreReadingsTest, WithoutTheTablesTheConversionIsAsBeforeAndSaysSo) {
  QFile::remove(QDir(folder_.Path()).filePath(u"pingshui_groups.tsv"_s));
  const test::CliRun run = Run({u"--colloquial"_s});
  QString expected = Converted();
  ASSERT_TRUE(expected.contains(u"(文 khan1 khan3)"_s));
  expected.replace(u"(文 khan1 khan3)"_s, u"(文 khan3 khan1)"_s);
  EXPECT_EQ(QString::fromUtf8(run.out), expected);
  EXPECT_TRUE(run.err.contains(u"pingshui_groups.tsv"_s)) << run.err.toStdString();
  EXPECT_TRUE(run.err.endsWith(u"the readings are not chosen by the metre\n"_s))
      << run.err.toStdString();
  // Text without the shape of regulated verse never needs the tables.
  EXPECT_TRUE(Run({}, u"坐看雲起時\n"_s).err.isEmpty());
}

}  // namespace
}  // namespace ravlek
