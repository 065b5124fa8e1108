// ravlek-cli romanize and fanqie on a small dictionary: the exact output, and refused input
// (romanize's outputs for given inputs are the golden files of cli_golden_test.cpp).
#include <gtest/gtest.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "tests/support/dictionary_fixture.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

using CliResult = test::CliRun;

class CliTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    dbPath_ = dir_.filePath(u"cli.db"_s);
    test::FixtureDictionary dictionary;
    auto row = [](const QString& word, const QString& spell, const QString& ptype) {
      return test::FixtureRow{{u"HanWord"_s, word}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
    };
    dictionary.ravlekRows = {row(u"天"_s, u"thian1"_s, u"通"_s), row(u"星"_s, u"sing1"_s, u"文"_s),
                             row(u"星"_s, u"tshenn1"_s, u"白"_s),
                             row(u"𠀤"_s, u"ping7"_s, u"古"_s)};
    dictionary.baseWords = {{u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}};
    dictionary.baseWordsPlus = {{u"租"_s, u"tsoo1"_s}, {u"全"_s, u"tsuan5"_s}};
    test::WriteFixtureDictionary(dbPath_, dictionary);
  }

  // outputFile: where standard output goes instead of a pipe (empty: read back).
  CliResult Run(const QStringList& args, const QByteArray& input,
                const QString& outputFile = QString()) {
    return test::RunCliProgram(QStringList{u"--db"_s, dbPath_} + args, input, outputFile);
  }

  QTemporaryDir dir_;
  QString dbPath_;
};

TEST_F(CliTextTest, RomanizeReadsANamedFile) {
  const QString path = dir_.filePath(u"in.txt"_s);
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(u"天"_s.toUtf8());
  file.close();
  const CliResult result = Run({u"romanize"_s, path}, QByteArray());
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(QString::fromUtf8(result.out), u"天\n通 thian1  。 \n"_s);
}

TEST_F(CliTextTest, ADashReadsStandardInput) {
  for (const QString& command : {u"romanize"_s, u"fanqie"_s, u"metre"_s}) {
    const CliResult named = Run({command, u"-"_s}, u"天"_s.toUtf8());
    const CliResult plain = Run({command}, u"天"_s.toUtf8());
    EXPECT_EQ(named.exitCode, 0) << command.toStdString() << ": " << named.err.toStdString();
    EXPECT_EQ(named.out, plain.out) << command.toStdString();
  }
}

// The conversion writes as it reads: output comes before the input has ended, so memory does not
// grow with the input. A bad byte late in the input ends the run there, with its offset.
TEST_F(CliTextTest, RomanizeStreamsAndStopsAtALateBadByte) {
  QProcess process;
  process.start(QStringLiteral(RAVLEK_CLI_PATH), {u"--db"_s, dbPath_, u"romanize"_s});
  const QByteArray lines = u"天\n"_s.toUtf8().repeated(10000);
  process.write(lines);
  ASSERT_TRUE(process.waitForReadyRead(30000)) << "no output while the input is still open";
  process.write("\xff\n");
  process.closeWriteChannel();
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 1);
  EXPECT_EQ(QString::fromUtf8(process.readAllStandardError()),
            u"ravlek-cli romanize: invalid UTF-8 at byte offset %1\n"_s.arg(lines.size()));
  const QByteArray out = process.readAll() + process.readAllStandardOutput();
  EXPECT_EQ(out.count("\n"), 20000);
}

TEST_F(CliTextTest, FanqieWritesTheOutputTextWithCrLf) {
  const CliResult result = Run({u"fanqie"_s}, u"則旰切\n租全反\n則\n切"_s.toUtf8());
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(QString::fromUtf8(result.out),
            u"則(tsik4)旰(kan3)\r\n租(tsoo1)全(tsuan5)\r\n\r(\r)\n(\n)切\r\n"_s);
}

TEST_F(CliTextTest, InvalidUtf8IsRefusedWithItsOffset) {
  for (const QString& command : {u"romanize"_s, u"fanqie"_s}) {
    const CliResult result = Run({command}, QByteArray("\xe5\xa4\xa9\xff\n"));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.out.isEmpty());
    EXPECT_TRUE(result.err.contains("byte offset 3")) << result.err.toStdString();
  }
}

TEST_F(CliTextTest, UnknownOptionIsAUsageError) {
  const CliResult result = Run({u"romanize"_s, u"--modern"_s}, QByteArray());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(CliTextTest, MissingFileIsAnError) {
  const CliResult result = Run({u"fanqie"_s, dir_.filePath(u"none.txt"_s)}, QByteArray());
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.out.isEmpty());
}

TEST_F(CliTextTest, OutputThatCannotBeWrittenIsAnError) {
  const QStringList commands[] = {{u"rhymes"_s},
                                  {u"romanize"_s},
                                  {u"fanqie"_s},
                                  {u"lookup"_s, u"--char"_s, u"星"_s},
                                  {u"filter"_s, u"--dataset"_s, u"FDQueryBaseWords"_s, u""_s}};
  for (const QStringList& command : commands) {
    const CliResult result = Run(command, u"星\n則旰切\n"_s.toUtf8(), u"/dev/full"_s);
    EXPECT_EQ(result.exitCode, 1) << command.first().toStdString();
    EXPECT_EQ(result.err,
              u"ravlek-cli %1: cannot write the output: No space left on device\n"_s.arg(
                  command.first()));
  }
}

// An index that the engine could scan instead of the table changes no statement's row order.
TEST_F(CliTextTest, RowsComeInTableOrderWhateverIndexesExist) {
  test::FixtureDictionary dictionary;
  auto row = [](const QString& spell, const QString& ptype) {
    return test::FixtureRow{{u"HanWord"_s, u"行"_s}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
  };
  dictionary.ravlekRows = {row(u"hing5"_s, u"文讀"_s), row(u"hang5"_s, u"文"_s),
                           row(u"hang7"_s, u"文讀"_s), row(u"kiann5"_s, u"白"_s)};
  test::WriteFixtureDictionary(dbPath_, dictionary);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"index"_s);
    db.setDatabaseName(dbPath_);
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(QSqlQuery(db).exec(u"CREATE INDEX ip ON RavlekTable(Ptype COLLATE NOCASE)"_s));
  }
  QSqlDatabase::removeDatabase(u"index"_s);

  const CliResult romanized = Run({u"romanize"_s}, u"行"_s.toUtf8());
  EXPECT_EQ(QString::fromUtf8(romanized.out), u"行\n(文 hing5 hang5 hang7)  。 \n"_s);
}

}  // namespace
}  // namespace ravlek
