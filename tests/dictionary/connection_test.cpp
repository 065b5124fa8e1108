#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QTemporaryDir>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/lookup_filters.h"
#include "tests/support/dictionary_fixture.h"

namespace {

using namespace ravlek;
using Kind = TFDConnection::FailureKind;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(ConnectionTest, FailuresAreEngineErrorsWithAClearMessage) {
  QTemporaryDir dir;
  TFDConnection connection;
  const QString ini = dir.filePath("FDConnectionDefs.ini");
  struct Case {
    const char* iniText;  // nullptr: no file
    const char* message;
  };
  const Case cases[] = {
      {nullptr, "Connection definition file not found"},
      {"[Connect_RavlekXML]\nA=1\n", "Connection definition [Connect_RavlekDB] not found"},
      {"[Connect_RavlekDB]\nDriverID=Oracle\nDatabase=x\n", "Unknown DriverID 'Oracle'"},
      {"[Connect_RavlekDB]\nDatabase=\n", "No Database given"},
      {"[Connect_RavlekDB]\nDatabase=Missing.db\n", "Database file not found"},
      {"[Connect_RavlekDB]\nDatabase=NotADatabase.db\n", "file is not a database"},
  };
  WriteFile(dir.filePath("NotADatabase.db"), QByteArray(4096, 'x'));
  for (const Case& c : cases) {
    QFile::remove(ini);
    if (c.iniText) WriteFile(ini, c.iniText);
    const auto result = connection.Open(dir.path());
    EXPECT_EQ(result.kind, Kind::EngineError) << c.message;
    EXPECT_TRUE(result.message.contains(QLatin1String(c.message))) << result.message.toStdString();
    EXPECT_FALSE(connection.Connected());
  }
  // A missing SQLite file is never created as an empty database.
  EXPECT_FALSE(QFile::exists(dir.filePath("Missing.db")));
}

TEST(ConnectionTest, AnUnreadableDefinitionFileIsAnError) {
  // A folder in the place of the file cannot be read (unlike a file without read permission,
  // which root reads anyway).
  QTemporaryDir dir;
  ASSERT_TRUE(QDir(dir.path()).mkdir("FDConnectionDefs.ini"));
  TFDConnection connection;
  const auto result = connection.Open(dir.path());
  EXPECT_EQ(result.kind, Kind::EngineError);
  EXPECT_TRUE(result.message.contains("Cannot read")) << result.message.toStdString();
}

TEST(ConnectionTest, EngineErrorsAreClassified) {
  struct Case {
    QSqlError error;
    Kind kind;
  };
  const Case cases[] = {
      {QSqlError("FATAL:  password authentication failed for user \"x\"", "",
                 QSqlError::ConnectionError, "28P01"),
       Kind::InvalidLogin},
      {QSqlError("[unixODBC]Invalid authorization specification", "", QSqlError::ConnectionError,
                 "28000"),
       Kind::InvalidLogin},
      {QSqlError("server closed the connection unexpectedly", "", QSqlError::ConnectionError),
       Kind::ServerGone},
      {QSqlError("Communication link failure", "", QSqlError::ConnectionError, "08S01"),
       Kind::ServerGone},
      {QSqlError("canceling statement due to user request", "", QSqlError::StatementError, "57014"),
       Kind::Cancelled},
      {QSqlError("", "unable to open database file", QSqlError::ConnectionError),
       Kind::EngineError},
  };
  for (const Case& c : cases) {
    const auto result = TFDConnection::Classify(c.error);
    EXPECT_EQ(result.kind, c.kind) << c.error.text().toStdString();
    if (c.kind == Kind::Cancelled) {
      EXPECT_TRUE(result.message.isEmpty());
    }
    if (c.kind == Kind::EngineError) {
      EXPECT_EQ(result.message, "unable to open database file");
    }
  }
}

bool OdbcDriverRegistered(const char* name) {
  QFile file("/etc/odbcinst.ini");
  return file.open(QIODevice::ReadOnly) &&
         file.readAll().contains(QByteArray("[") + name + QByteArray("]"));
}

TEST(ConnectionTest, OdbcOpensReadsAndWritesBack) {
  if (!OdbcDriverRegistered("SQLite3")) GTEST_SKIP() << "the SQLite3 ODBC driver is not registered";
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {
      {{"HanWord", QStringLiteral("讚")},
       {"Ptype", QStringLiteral("文")},
       {"HanSpell", QStringLiteral("tsan3")}},
      {{"HanWord", QStringLiteral("字")},
       {"Ptype", QStringLiteral("文")},
       {"HanSpell", QStringLiteral("ji7")},
       {"Desc", QString()}},
  };
  test::FixtureAppFolder folder(dictionary);
  test::WriteConnectionDefs(folder.Path(), "DRIVER=SQLite3;Database=" + folder.DatabasePath(),
                            "ODBC");
  {
    TFDConnection connection;
    const auto opened = connection.Open(folder.Path());
    ASSERT_TRUE(opened.ok()) << opened.message.toStdString();
    EXPECT_EQ(connection.Database().driverName(), "QODBC");
    TFDQuery query(connection, "FDQueryRavlekTable", DatasetStatement("FDQueryRavlekTable"));
    query.Open();
    ASSERT_EQ(query.RecordCount(), 2);
    EXPECT_TRUE(query.IsNull(0, query.FieldIndex("Desc")));
    EXPECT_FALSE(query.IsNull(1, query.FieldIndex("Desc")));
    query.SetFilter(CharacterFilter("字"));
    query.FilterOn();
    EXPECT_EQ(query.FieldByName("HanSpell"), "ji7");
    query.Edit("Phone_desc", "經 ODBC 寫入");
    query.Post();
  }
  TFDConnection sqlite;
  ASSERT_TRUE(sqlite.OpenSqliteFile(folder.DatabasePath()).ok());
  TFDQuery check(sqlite, "check", "select * from RavlekTable");
  check.Open();
  EXPECT_EQ(check.Text(1, check.FieldIndex("Phone_desc")), "經 ODBC 寫入");
  EXPECT_EQ(check.Text(0, check.FieldIndex("Phone_desc")), "");
}

}  // namespace
