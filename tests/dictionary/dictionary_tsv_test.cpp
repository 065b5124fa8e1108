// Dictionary tables as tab-separated text: reading the format, importing into SQLite in one
// transaction, and writing a dataset back out.

#include "dictionary/dictionary_tsv.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "tests/support/dictionary_fixture.h"

namespace {

using namespace ravlek;
using namespace Qt::StringLiterals;

QByteArray FileBytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error.message();
  }
  return QString();
}

QByteArray Export(const QString& database, const QString& table) {
  TFDConnection connection;
  EXPECT_TRUE(connection.OpenSqliteFile(database).ok());
  TFDQuery dataset(connection, table, QStringLiteral("select * from ") + table);
  dataset.Open();
  QByteArray out;
  WriteDatasetTsv(dataset, [&out](const QByteArray& bytes) { out += bytes; });
  return out;
}

TEST(DictionaryTsvTest, ReadsValuesNullsEscapesAndLineEnds) {
  const QByteArray bytes =
      "\xEF\xBB\xBFHanWord\tHanSpell\r\n"  // byte-order mark, CR LF
      "讚\ttsan3\r\n"
      "a\\tb\\\\c\\r\\nd\t\\N\n"  // escapes; null
      "\t\\\\N\n"                 // empty; the text \N
      "𠀤\tping7";                // no line end at the end
  const DictionaryTsv tsv = ReadDictionaryTsv(bytes, QStringLiteral("t.tsv"));
  EXPECT_EQ(tsv.header, (QStringList{"HanWord", "HanSpell"}));
  ASSERT_EQ(tsv.rows.size(), 4u);
  EXPECT_EQ(tsv.rows[0], (std::vector<TsvValue>{u"讚"_s, u"tsan3"_s}));
  EXPECT_EQ(tsv.rows[1], (std::vector<TsvValue>{u"a\tb\\c\r\nd"_s, std::nullopt}));
  EXPECT_EQ(tsv.rows[2], (std::vector<TsvValue>{u""_s, u"\\N"_s}));
  EXPECT_EQ(tsv.rows[3], (std::vector<TsvValue>{u"𠀤"_s, u"ping7"_s}));
  for (const auto& row : tsv.rows) {
    for (const TsvValue& value : row) {
      const DictionaryTsv again = ReadDictionaryTsv(
          "HanWord\n" + EscapeTsvField(value).toUtf8() + "\n", QStringLiteral("again.tsv"));
      EXPECT_EQ(again.rows.at(0).at(0), value);
    }
  }
}

TEST(DictionaryTsvTest, BadFilesAreRefusedNamingFileAndLine) {
  struct Case {
    QByteArray bytes;
    const char* message;
  };
  const Case cases[] = {
      {"HanWord\tHanSpell\n讚\ttsan3\nx\xff\ty\n", "f.tsv:3: not UTF-8 text"},
      {"HanWord\tHanSpell\n讚\ttsan3\n讚\n", "f.tsv:3: 1 fields, the header names 2"},
      {"HanWord\tHanSpell\n讚\ttsan3\tx\n", "f.tsv:2: 3 fields, the header names 2"},
      {"HanWord\tHanSpell\n讚\tts\\an3\n", "f.tsv:2: unknown escape \\a"},
      {"HanWord\tHanSpell\n讚\ttsan3\\\n", "f.tsv:2: a value ends with a backslash"},
      {"HanWord\tHanSpell\n讚\tts\ran3\n", "f.tsv:2: a carriage return inside a value"},
      {"HanWord\t\n", "f.tsv:1: a column without a name"},
      {"HanWord\thanword\n", "f.tsv:1: column hanword appears twice"},
      {"", "f.tsv: no header line"},
  };
  for (const Case& c : cases) {
    const QString message = ErrorOf([&] { ReadDictionaryTsv(c.bytes, QStringLiteral("f.tsv")); });
    EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.message))) << message.toStdString();
  }
}

class ImportTest : public ::testing::Test {
 protected:
  QString Path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
  static DictionaryTsv Tsv(const char* text) {
    return ReadDictionaryTsv(QByteArray(text), QStringLiteral("in.tsv"));
  }
  QTemporaryDir dir;
};

TEST_F(ImportTest, ANewFileGetsEveryTableAndTheRowsInTheirOrder) {
  const QString db = Path("new.db");
  EXPECT_EQ(ImportDictionaryTsv(Tsv("HanSpell\tPtype\tHanWord\ntsan3\t通\t讚\ntsik4\t文\t則\n"
                                    "a2\t白\t子\n"),
                                QStringLiteral("in.tsv"), QStringLiteral("RavlekTable"), db, false),
            3);
  // The file's columns come first in the new table, the other fields after them, null.
  EXPECT_EQ(Export(db, QStringLiteral("RavlekTable")),
            "HanSpell\tPtype\tHanWord\tSpell_P\tSpell_P_Han\tInitial_C_type\tPoemRhyme\thong5se3\t"
            "PoemRhyme2\tPtypeDesc\tPhone_desc\tDesc\n"
            "tsan3\t通\t讚\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\n"
            "tsik4\t文\t則\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\n"
            "a2\t白\t子\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\n");
  EXPECT_EQ(Export(db, QStringLiteral("BaseWords")), "HanWord\tHanSpell\n");
  EXPECT_EQ(Export(db, QStringLiteral("BaseWordsPlus")), "HanWord\tHanSpell\n");
}

TEST_F(ImportTest, RowsAreAddedAfterTheTablesRowsOrInTheirPlace) {
  const QString db = Path("d.db");
  test::FixtureDictionary dictionary;
  dictionary.baseWords = {{u"東"_s, u"tong1"_s}};
  test::WriteFixtureDictionary(db, dictionary);
  const DictionaryTsv tsv = Tsv("HanWord\tHanSpell\n則\ttsik4\n");
  ImportDictionaryTsv(tsv, QStringLiteral("in.tsv"), QStringLiteral("BaseWords"), db, false);
  EXPECT_EQ(Export(db, QStringLiteral("BaseWords")), "HanWord\tHanSpell\n東\ttong1\n則\ttsik4\n");
  ImportDictionaryTsv(tsv, QStringLiteral("in.tsv"), QStringLiteral("BaseWords"), db, true);
  EXPECT_EQ(Export(db, QStringLiteral("BaseWords")), "HanWord\tHanSpell\n則\ttsik4\n");
}

TEST_F(ImportTest, AFailureLeavesTheDatabaseAsItWas) {
  const QString db = Path("d.db");
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {{{u"HanWord"_s, u"讚"_s}, {u"Ptype"_s, u"通"_s}}};
  test::WriteFixtureDictionary(db, dictionary);
  // A database whose RavlekTable lacks Desc, and has no BaseWordsPlus: the import creates
  // BaseWordsPlus, deletes the rows, and only then finds the missing column.
  {
    QSqlDatabase handle = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"prepare"_s);
    handle.setDatabaseName(Path("narrow.db"));
    ASSERT_TRUE(handle.open());
    QSqlQuery query(handle);
    ASSERT_TRUE(query.exec(u"CREATE TABLE RavlekTable (HanWord TEXT, Ptype TEXT)"_s));
    ASSERT_TRUE(query.exec(u"INSERT INTO RavlekTable VALUES ('讚', '通')"_s));
    ASSERT_TRUE(query.exec(u"CREATE TABLE BaseWords (HanWord TEXT, HanSpell TEXT)"_s));
    query = QSqlQuery();
    handle.close();
  }
  QSqlDatabase::removeDatabase(u"prepare"_s);
  struct Case {
    const char* database;
    const char* tsv;
    const char* message;
  };
  const Case cases[] = {
      {"d.db", "HanWord\tNope\n讚\tx\n", "in.tsv:1: unknown column Nope; RavlekTable has HanWord"},
      {"narrow.db", "HanWord\tDesc\n讚\tx\n",
       "in.tsv:1: unknown column Desc; RavlekTable has "
       "HanWord, Ptype"},
  };
  for (const Case& c : cases) {
    const QString path = Path(c.database);
    const QByteArray before = FileBytes(path);
    const QString message = ErrorOf(
        [&] { ImportDictionaryTsv(Tsv(c.tsv), u"in.tsv"_s, u"RavlekTable"_s, path, true); });
    EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.message))) << message.toStdString();
    EXPECT_EQ(FileBytes(path), before) << c.database;
    EXPECT_FALSE(QFile::exists(path + u"-journal"_s));
  }
  // A file that did not exist is not left behind.
  const QString fresh = Path("fresh.db");
  EXPECT_FALSE(ErrorOf([&] {
                 ImportDictionaryTsv(Tsv("Nope\nx\n"), u"in.tsv"_s, u"BaseWords"_s, fresh, false);
               }).isEmpty());
  EXPECT_FALSE(QFile::exists(fresh));
}

TEST_F(ImportTest, AFileThatIsNoDatabaseIsAnErrorAndStaysAsItWas) {
  const QString path = Path("text.db");
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(4096, 'x'));
  file.close();
  const QString message = ErrorOf(
      [&] { ImportDictionaryTsv(Tsv("HanWord\n讚\n"), u"in.tsv"_s, u"BaseWords"_s, path, false); });
  EXPECT_TRUE(message.startsWith(path + u": "_s)) << message.toStdString();
  EXPECT_EQ(FileBytes(path), QByteArray(4096, 'x'));
}

TEST_F(ImportTest, AStreamedImportWritesAndRefusesAsReadingTheWholeFileFirst) {
  // Into a dictionary with one BaseWords row and a RavlekTable without Desc.
  const auto prepare = [](const QString& path) {
    test::FixtureDictionary dictionary;
    dictionary.baseWords = {{u"東"_s, u"tong1"_s}};
    test::WriteFixtureDictionary(path, dictionary);
    QSqlDatabase handle = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"narrow"_s);
    handle.setDatabaseName(path);
    EXPECT_TRUE(handle.open());
    EXPECT_TRUE(QSqlQuery(handle).exec(u"ALTER TABLE RavlekTable DROP COLUMN Desc"_s));
    handle.close();
    handle = QSqlDatabase();
    QSqlDatabase::removeDatabase(u"narrow"_s);
  };
  struct Case {
    const char* table;
    QByteArray bytes;
  };
  const Case cases[] = {
      {"BaseWords",
       "\xEF\xBB\xBFHanWord\tHanSpell\r\n讚\ttsan3\r\na\\tb\\\\c\\r\\nd\t\\N\n\t\\\\N\n"
       "𠀤\tping7"},
      {"BaseWords", "HanSpell\n\nx\n\n"},  // empty values, the last line feed ends the file
      {"BaseWords", "HanWord\tHanSpell\n"},
      {"BaseWords", ""},
      {"BaseWords", "\n"},
      {"BaseWords", "HanWord\tHanSpell\n讚\ttsan3\nx\xff\ty\n"},
      {"BaseWords", "HanWord\tHanSpell\n讚\n讚\ttsan3\tx\n"},
      {"BaseWords", "HanWord\tHanSpell\n讚\ttsan3\\\n讚\tts\\an3\n"},
      {"BaseWords", "HanWord\tHanSpell\n讚\tts\ran3\n"},
      {"BaseWords", "HanWord\tHanSpell\n讚\tts\\é\n"},
      {"BaseWords", "HanWord\thanword\n讚\n"},
      {"BaseWords", "HanWord\t\n\xfe\n"},
      // A fault of a line, or text that is not UTF-8, is reported before the database's refusal.
      {"RavlekTable", "HanWord\tDesc\n讚\tx\n"},
      {"RavlekTable", "HanWord\tDesc\n讚\tx\n讚\n"},
      {"RavlekTable", "HanWord\tDesc\n讚\n讚\tx\n\xc3\n"},
      {"Nowhere", "HanWord\n"},
  };
  int round = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.toStdString());
    const QString table = QString::fromLatin1(c.table);
    const QString whole = Path("whole.db") + QString::number(round);
    const QString streamed = Path("streamed.db") + QString::number(round++);
    prepare(whole);
    prepare(streamed);
    qsizetype wholeCount = -1;
    qsizetype streamedCount = -1;
    const QString expected = ErrorOf([&] {
      wholeCount = ImportDictionaryTsv(ReadDictionaryTsv(c.bytes, u"in.tsv"_s), u"in.tsv"_s, table,
                                       whole, true);
    });
    QBuffer input;
    input.setData(c.bytes);
    ASSERT_TRUE(input.open(QIODevice::ReadOnly));
    QString actual = ErrorOf([&] {
      streamedCount = ImportDictionaryTsvStream(input, u"in.tsv"_s, table, streamed, true);
    });
    EXPECT_EQ(actual.replace(u"streamed.db"_s, u"whole.db"_s).toStdString(),
              expected.toStdString());
    EXPECT_EQ(streamedCount, wholeCount);
    for (const QString& name : DictionaryTables()) {
      EXPECT_EQ(Export(streamed, name), Export(whole, name)) << name.toStdString();
    }
  }
  // A database that did not exist is not left behind.
  const QString fresh = Path("fresh.db");
  QBuffer input;
  input.setData("HanWord\n讚\nx\ty\n");
  ASSERT_TRUE(input.open(QIODevice::ReadOnly));
  EXPECT_FALSE(ErrorOf([&] {
                 ImportDictionaryTsvStream(input, u"in.tsv"_s, u"BaseWords"_s, fresh, false);
               }).isEmpty());
  EXPECT_FALSE(QFile::exists(fresh));
}

}  // namespace
