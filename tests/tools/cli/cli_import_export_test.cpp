// ravlek-cli import and export, run as a program.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "build_paths.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/run_cli.h"

namespace {

using namespace ravlek;
using namespace Qt::StringLiterals;

using test::CliRun;
const auto Cli = [](const QStringList& args) { return test::RunCliProgram(args); };

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Exports each table of `database`, imports it into a new file, exports that again, and expects
// the same bytes.
void ExpectRoundTrip(const QString& database, const QTemporaryDir& dir) {
  const QString copy = dir.filePath(u"copy.db"_s);
  QFile::remove(copy);
  for (const QString& table : {u"RavlekTable"_s, u"BaseWords"_s, u"BaseWordsPlus"_s}) {
    const CliRun first = Cli({"export", "--table", table, "--db", database});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    const QString tsv = dir.filePath(table + u".tsv"_s);
    WriteBytes(tsv, first.out);
    const CliRun imported = Cli({"import", "--table", table, "--tsv", tsv, "--to", copy});
    ASSERT_EQ(imported.exitCode, 0) << imported.err.toStdString();
    const CliRun second = Cli({"--db", copy, "export", "--table", table});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(second.out == first.out) << table.toStdString() << " differs after a round trip";
  }
}

TEST(CliImportExportTest, ExportImportExportGivesTheSameBytes) {
  QTemporaryDir dir;
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {
      {{u"HanWord"_s, u"讚"_s},
       {u"Ptype"_s, u"通"_s},
       {u"HanSpell"_s, u"tsan3"_s},
       {u"Phone_desc"_s, u"line one\r\nline two\ttab \\ backslash"_s},
       {u"Desc"_s, u"\\N"_s}},
      {{u"HanWord"_s, u"𠀤"_s}, {u"Ptype"_s, u""_s}, {u"HanSpell"_s, std::nullopt}}};
  dictionary.baseWords = {{u"則"_s, u"tsik4"_s}, {std::nullopt, u""_s}};
  const QString database = dir.filePath(u"fixture.db"_s);
  test::WriteFixtureDictionary(database, dictionary);
  ExpectRoundTrip(database, dir);

  const CliRun exported = Cli({"export", "--table", "RavlekTable", "--db", database});
  EXPECT_EQ(exported.out,
            "HanWord\tPtype\tHanSpell\tSpell_P\tSpell_P_Han\tInitial_C_type\tPoemRhyme\thong5se3\t"
            "PoemRhyme2\tPtypeDesc\tPhone_desc\tDesc\n"
            "讚\t通\ttsan3\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t"
            "line one\\r\\nline two\\ttab \\\\ backslash\t\\\\N\n"
            "𠀤\t\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\n");
}

TEST(CliImportExportTest, TheOpenDictionaryRoundTrips) {
  const QString built = QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek.db");
  if (!QFile::exists(built)) GTEST_SKIP() << built.toStdString() << " has not been built";
  QTemporaryDir dir;
  ExpectRoundTrip(built, dir);
  // The export gives the committed source files back; RavlekTable's rows of the second source
  // (RavlekTable.koktai.tsv, under its own licence) and the derived rows
  // (RavlekTable.synthesis.tsv) follow those of the book.
  const QString folder = QStringLiteral(RAVLEK_SOURCE_DIR "/data/open_dictionary/");
  for (const QString& table : {u"RavlekTable"_s, u"BaseWords"_s, u"BaseWordsPlus"_s}) {
    QByteArray expected = FileBytes(folder + table + u".tsv"_s);
    if (table == u"RavlekTable"_s) {
      for (const QString& more : {u"RavlekTable.koktai.tsv"_s, u"RavlekTable.synthesis.tsv"_s}) {
        const QByteArray rows = FileBytes(folder + more);
        expected += rows.mid(rows.indexOf('\n') + 1);
      }
    }
    const CliRun exported = Cli({"export", "--table", table, "--db", built});
    EXPECT_TRUE(exported.out == expected) << table.toStdString();
  }
}

TEST(CliImportExportTest, AnErrorNamesFileAndLineAndChangesNothing) {
  QTemporaryDir dir;
  const QString database = dir.filePath(u"d.db"_s);
  test::FixtureDictionary dictionary;
  dictionary.baseWords = {{u"東"_s, u"tong1"_s}};
  test::WriteFixtureDictionary(database, dictionary);
  const QByteArray before = FileBytes(database);
  const QString tsv = dir.filePath(u"bad.tsv"_s);
  WriteBytes(tsv, "HanWord\tHanSpell\n則\ttsik4\n旰\n");

  const CliRun run =
      Cli({"import", "--table", "BaseWords", "--tsv", tsv, "--to", database, "--replace"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, u"ravlek-cli import: "_s + tsv + u":3: 1 fields, the header names 2\n"_s);
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_EQ(FileBytes(database), before);
}

// The database is named one way for every command (--db, before or after the command name);
// import's --to stays as another name for it.
TEST(CliImportExportTest, EveryNameOfTheDatabaseImportsTheSame) {
  QTemporaryDir dir;
  const QString tsv = dir.filePath(u"in.tsv"_s);
  WriteBytes(tsv, "HanWord\tHanSpell\n\xe5\x89\x87\ttsik4\n");
  const QStringList import = {"import", "--table", "BaseWords", "--tsv", tsv};
  const auto file = [&dir](const char* name) { return dir.filePath(QString::fromUtf8(name)); };
  const std::pair<QString, QStringList> ways[] = {
      {file("before.db"), QStringList{"--db", file("before.db")} + import},
      {file("after.db"), import + QStringList{"--db", file("after.db")}},
      {file("to.db"), import + QStringList{"--to", file("to.db")}},
  };
  QByteArray first;
  for (const auto& [database, args] : ways) {
    const CliRun run = Cli(args);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const CliRun exported = Cli({"export", "--table", "BaseWords", "--db", database});
    ASSERT_EQ(exported.exitCode, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.out.contains("tsik4")) << exported.out.toStdString();
    if (first.isEmpty()) first = exported.out;
    EXPECT_EQ(exported.out, first) << database.toStdString();
  }
}

TEST(CliImportExportTest, UsageErrors) {
  struct Case {
    QStringList args;
    const char* message;
  };
  const Case cases[] = {
      {{"import", "--table", "BaseWords", "--tsv", "x.tsv"},
       "--table, --tsv and --db (or --to) are needed"},
      {{"import", "--table", "Other", "--tsv", "x.tsv", "--to", "d.db"}, "unknown table Other"},
      {{"import", "--table", "BaseWords", "--tsv", "x.tsv", "--to", "d.db", "--tsv", "y"},
       "--tsv given twice"},
      {{"--db", "d.db", "import", "--table", "BaseWords", "--tsv", "x", "--to", "d.db"},
       "--db given twice"},
      {{"--app-dir", "a", "import", "--table", "BaseWords", "--tsv", "x"},
       "give the SQLite file to write with --db FILE"},
      {{"export", "--table", "BaseWords", "--db", "a", "--db", "b"}, "--db given twice"},
      {{"export"}, "--table is missing"},
      {{"export", "--table", "Other"}, "unknown table Other"},
      {{"export", "--table", "BaseWords", "--db", "a", "--app-dir", "b"}, "not both"},
  };
  for (const Case& c : cases) {
    const CliRun run = Cli(c.args);
    EXPECT_EQ(run.exitCode, 2) << c.message;
    EXPECT_TRUE(run.err.split('\n').first().contains(QString::fromUtf8(c.message)))
        << run.err.toStdString();
  }
}

}  // namespace
