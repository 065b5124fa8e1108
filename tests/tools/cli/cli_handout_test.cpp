// Handouts written by ravlek-cli romanize --odt and --html on the open dictionary: the readings a
// script chooses, and the OpenDocument file printed by LibreOffice, checked from the PDF's text
// boxes (each test skips, saying so, when LibreOffice or poppler is not installed).

#include <gtest/gtest.h>

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
#include "romanize/phrase_chooser.h"
#include "romanize/phrase_files.h"
#include "romanize/ruby_text.h"
#include "tests/support/corpus_texts.h"
#include "tests/support/ruby_pdf_geometry.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

const QString kDictionary = test::BuiltOpenDictionary();

const QString kPoem =
    u"將進酒\n李白\n君不見，黃河之水天上來，奔流到海不復回。\n\n"
    u"鐘鼓饌玉不足貴，但願長醉不復醒。古來聖賢皆寂寞，惟有飲者留其名。陳王昔時宴平樂，斗酒十千恣讙謔。\n"_s;

// 將 (1) tshiong, 見 (10) hiān (not the first, kian3), the 樂 of 平樂 (68) lo̍k.
const QString kChoices = u"1\t將\ttshiong1\n10\t見\thiān\n# 平樂\n68\t樂\tlo̍k\n"_s;

QString WriteFile(const QTemporaryDir& dir, const QString& name, const QString& text) {
  QFile file(dir.filePath(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(text.toUtf8());
  return file.fileName();
}

// The cells the handout of `lines` should show, read from the same dictionary.
std::vector<test::ExpectedRuby> Expected(const QStringList& lines, const ReadingChoices& choices,
                                         bool heading = false) {
  TFDConnection connection;
  EXPECT_TRUE(connection.OpenSqliteFile(kDictionary).ok());
  const QString name = u"FDQuerySQLRavlekTable"_s;
  TFDQuery query(connection, name, DatasetStatement(name));
  DatasetClassReadingSource source(query);
  RubyTextOptions options;
  options.title = options.author = heading;
  // Where a regulated poem needs another reading than the first, the metre's; elsewhere the
  // phrases'.
  metre::MetreSources sources(QStringLiteral(RAVLEK_DEFAULT_APP_DIR), source);
  PhraseChooser phrases(*ProcessPhrases(QStringLiteral(RAVLEK_DEFAULT_APP_DIR)).table, sources);
  MetreChooser chooser(sources, &phrases);
  const ReadingChoices metre =
      PositionChoices(lines, ChooseFirstReadings(lines, {&chooser, &phrases}));
  std::vector<test::ExpectedRuby> expected;
  for (const RubyLine& line : BuildRubyText(lines, options, source, choices, metre)) {
    for (const RubyCell& cell : line.cells)
      expected.push_back({cell.character, ShownReading(cell.reading, HandoutStyle())});
  }
  return expected;
}

class CliHandoutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFile::exists(kDictionary)) GTEST_SKIP() << "the open dictionary is not built";
  }
  QTemporaryDir dir;
};

TEST_F(CliHandoutTest, ChosenReadingsAreWrittenAndWrongChoicesRefused) {
  const QString poem = WriteFile(dir, u"poem.txt"_s, kPoem);
  const QString choices = WriteFile(dir, u"choices.tsv"_s, kChoices);
  const test::CliTextRun html = test::RunCli(
      {u"--db"_s, kDictionary, u"romanize"_s, u"--html"_s, u"--choose"_s, choices, poem});
  ASSERT_EQ(html.exitCode, 0) << html.err.toStdString();
  EXPECT_TRUE(html.out.contains(u">將<rt>tshiong</rt>"_s));
  EXPECT_TRUE(html.out.contains(u">見<rt>hiān</rt>"_s));
  EXPECT_TRUE(html.out.contains(u">樂<rt>lo̍k</rt>"_s)) << html.out.toStdString();
  // Without a choice, the first reading (見: the common kian3 first, in the order of use).
  const test::CliTextRun plain =
      test::RunCli({u"--db"_s, kDictionary, u"romanize"_s, u"--html"_s, u"--numeric"_s, poem});
  EXPECT_TRUE(plain.out.contains(u">將<rt>tsiong1</rt>"_s));
  EXPECT_TRUE(plain.out.contains(u">見<rt>kian3</rt>"_s));

  struct Wrong {
    QString line;
    QString error;
  };
  const Wrong wrongs[] = {
      {u"10\t將\ttshiong1\n"_s, u"choices.tsv: line 1: position 10 is 見, not 將"_s},
      {u"1\t將\tkiàn\n"_s, u"choices.tsv: line 1: 將 has no reading kian3"_s},
      {u"1 將 tshiong1\n"_s, u"choices.tsv: line 1: not position<TAB>character<TAB>reading"_s},
  };
  for (const Wrong& wrong : wrongs) {
    WriteFile(dir, u"choices.tsv"_s, wrong.line);
    const test::CliTextRun run = test::RunCli(
        {u"--db"_s, kDictionary, u"romanize"_s, u"--odt"_s, u"--choose"_s, choices, poem});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(wrong.error)) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
  }
  EXPECT_EQ(
      test::RunCli({u"--db"_s, kDictionary, u"romanize"_s, u"--html"_s, u"--choose"_s}).exitCode,
      2);
  EXPECT_EQ(
      test::RunCli({u"--db"_s, kDictionary, u"romanize"_s, u"--odt"_s, u"--reading-size"_s, u"2"_s})
          .exitCode,
      2);
}

// Runs `lines` through --odt, prints the file with LibreOffice and checks the PDF.
void ExpectOdtPrintsReadingsAbove(const QTemporaryDir& dir, const QString& name,
                                  const QStringList& lines, const QStringList& extra,
                                  const ReadingChoices& choices, bool heading) {
  const QString input = WriteFile(dir, name + u".txt"_s, lines.join(u'\n') + u'\n');
  const QString odt = dir.filePath(name + u".odt"_s);
  const test::CliRun run = test::RunCliProgram(
      QStringList{u"--db"_s, kDictionary, u"romanize"_s, u"--odt"_s} + extra + QStringList{input},
      {}, odt);
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  QString error;
  const QString pdf = test::OdtToPdf(odt, error);
  ASSERT_TRUE(error.isEmpty()) << error.toStdString();
  const QString faults = test::RubyGeometryFaults(pdf, Expected(lines, choices, heading));
  EXPECT_TRUE(faults.isEmpty()) << faults.toStdString();
}

TEST_F(CliHandoutTest, OpenDocumentPrintsEachReadingAboveItsCharacter) {
  for (const auto& [program, package] : {std::pair{u"soffice"_s, u"libreoffice-writer-nogui"_s},
                                         std::pair{u"pdftotext"_s, u"poppler-utils"_s}}) {
    if (const QString why = test::MissingProgram(program, package); !why.isEmpty())
      GTEST_SKIP() << why.toStdString();
  }
  const QString choices = WriteFile(dir, u"choices.tsv"_s, kChoices);
  QStringList lines = kPoem.split(u'\n');
  lines.removeLast();
  ExpectOdtPrintsReadingsAbove(dir, u"poem"_s, lines,
                               {u"--title"_s, u"--author"_s, u"--choose"_s, choices},
                               {{1, u"tshiong1"_s}, {10, u"hian7"_s}, {68, u"lok8"_s}}, true);
}

TEST_F(CliHandoutTest, AnthologiesPrintEachReadingAboveItsCharacter) {
  SKIP_WITHOUT_CORPUS();
  for (const auto& [program, package] : {std::pair{u"soffice"_s, u"libreoffice-writer-nogui"_s},
                                         std::pair{u"pdftotext"_s, u"poppler-utils"_s}}) {
    if (const QString why = test::MissingProgram(program, package); !why.isEmpty())
      GTEST_SKIP() << why.toStdString();
  }
  ExpectOdtPrintsReadingsAbove(dir, u"tangshi"_s, test::TangShiSanBaiShouLines(), {}, {}, false);
  // The longest piece of 古文觀止 that a paragraph of its own holds.
  const QStringList guwen = test::GuWenGuanZhiLines();
  QString longest;
  for (const QString& line : guwen) {
    if (line.size() > longest.size()) longest = line;
  }
  ExpectOdtPrintsReadingsAbove(dir, u"guwen"_s, {longest}, {}, {}, false);
}

}  // namespace
}  // namespace ravlek
