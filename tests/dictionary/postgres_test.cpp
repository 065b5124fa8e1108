// The dictionary on PostgreSQL (DriverID=PG), on a private server the test starts: the datasets,
// the lookup filters, the conversion and the fanqie extraction give what they give on the same
// dictionary in SQLite; memo edits are written back in place; two users' edits of one field do
// not overwrite each other silently.

#include <gtest/gtest.h>

#include <QProcess>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

#include "base/error.h"
#include "base/text_input.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/dataset_rows.h"
#include "dictionary/datasets.h"
#include "dictionary/fanqie.h"
#include "dictionary/filter.h"
#include "dictionary/filter_sql.h"
#include "dictionary/lookup_filters.h"
#include "romanize/romanizer.h"
#include "romanize/sample_text.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/postgres_server.h"
#include "tests/support/synthetic_dictionary.h"
#include "tests/support/upgrade_scenario.h"

// GoogleTest shows QString values as text.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

using namespace ravlek;
using namespace Qt::StringLiterals;

test::PostgresServer* server = nullptr;
QString skipReason;
QTemporaryDir* shared = nullptr;  // the SQLite dictionary and the application folders

// The synthetic dictionary, plus rows that the fanqie sample and the filter language's special
// characters need, plus a row without a class and nulls.
void MakeSqliteDictionary(const QString& path) {
  test::WriteSyntheticDictionary(path, 3000);
  const QString name = u"ravlek-pg-extra"_s;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    QSqlQuery q(db);
    for (const QString& sql :
         {u"insert into RavlekTable (HanWord, Ptype, HanSpell, Desc) values "
          "('讚','文','zan3','讚：稱美。'),('則','文','zik4',null),('則','白','zit4',''),"
          "('''','通','quote1','O''Neil'),('%','今','pct3',null),('*','古','ast2',null),"
          "('讚','','none',null),(null,'通','nul1',null)"_s,
          u"insert into BaseWords values ('則','tsik4'),('租','tsoo1'),('全','tsuan5'),"
          "('''','q1')"_s,
          u"insert into BaseWordsPlus values ('旰','kan3'),('縣','hian7')"_s}) {
      ASSERT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
    }
  }
  QSqlDatabase::removeDatabase(name);
}

class PostgresEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    server = new test::PostgresServer;
    bool unavailable = false;
    if (!server->Start(skipReason, unavailable)) {
      if (!unavailable) FAIL() << skipReason.toStdString();
      return;
    }
    shared = new QTemporaryDir;
    MakeSqliteDictionary(SqlitePath());
    server->CreateDatabase(u"ravlek"_s);
    QSqlDatabase db = server->Connect(u"ravlek"_s, u"ravlek-pg-load"_s);
    test::CopyDictionaryToPostgres(SqlitePath(), db);
    db.close();
  }
  void TearDown() override {
    for (const QString& name : QSqlDatabase::connectionNames()) QSqlDatabase::removeDatabase(name);
    delete shared;
    delete server;
  }
  static QString SqlitePath() { return shared->filePath(u"Ravlek.db"_s); }
};

[[maybe_unused]] const auto* const environment =
    ::testing::AddGlobalTestEnvironment(new PostgresEnvironment);

// An application folder whose connection definition names the server's database (PG) or the
// SQLite copy.
QString AppFolder(bool postgres) {
  const QString dir = shared->filePath(postgres ? u"pg"_s : u"sqlite"_s);
  QDir().mkpath(dir);
  if (postgres) {
    server->WriteConnectionDefs(dir, u"ravlek"_s);
  } else {
    test::WriteConnectionDefs(dir, PostgresEnvironment::SqlitePath());
  }
  return dir;
}

class PostgresTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!skipReason.isEmpty()) GTEST_SKIP() << skipReason.toStdString();
    Open(pg, true);
    Open(lite, false);
  }
  static void Open(TFDConnection& connection, bool postgres) {
    const auto opened = connection.Open(AppFolder(postgres));
    ASSERT_TRUE(opened.ok()) << opened.message.toStdString();
  }
  static std::unique_ptr<TFDQuery> Dataset(TFDConnection& connection, const QString& name) {
    auto query = std::make_unique<TFDQuery>(connection, name, DatasetStatement(name));
    query->Open();
    return query;
  }
  // Every passing row's values of the SQLite dataset's fields, null marked, in row order.
  static QStringList Rows(const TFDQuery& query, const QStringList& fields) {
    QStringList rows;
    for (int r = 0; r < query.RecordCount(); ++r) {
      QStringList row;
      for (const QString& field : fields) {
        const int index = query.FieldIndex(field);
        row.append(index < 0                ? u"<no field>"_s
                   : query.IsNull(r, index) ? u"<null>"_s
                                            : query.Text(r, index));
      }
      rows.append(row.join(u'|'));
    }
    return rows;
  }

  TFDConnection pg;
  TFDConnection lite;
};

TEST_F(PostgresTest, DatasetsHoldTheSameRowsInTheSameOrderAsOnSqlite) {
  for (const DatasetDefinition& definition : DictionaryDatasets()) {
    SCOPED_TRACE(definition.name.toStdString());
    const auto onLite = Dataset(lite, definition.name);
    const auto onPg = Dataset(pg, definition.name);
    ASSERT_GT(onLite->RecordCount(), 0);
    EXPECT_EQ(Rows(*onPg, onLite->FieldNames()), Rows(*onLite, onLite->FieldNames()));
  }
}

TEST_F(PostgresTest, LookupFiltersSelectTheSameRowsAsOnSqlite) {
  const QString name = u"FDQueryRavlekTable"_s;
  const auto onLite = Dataset(lite, name);
  const auto onPg = Dataset(pg, name);
  const QString filters[] = {CharacterFilter(u"讚"_s),        CharacterFilter(u"'"_s),
                             CharacterFilter(u"%"_s),         SpellFilter(u"tsa"_s, QString()),
                             SpellFilter(u"an1*"_s, u"白"_s), SpellFilter(u"ts"_s, u"文"_s),
                             RhymeFilter(u"上平一東"_s)};
  for (const QString& filter : filters) {
    SCOPED_TRACE(filter.toStdString());
    for (TFDQuery* query : {onLite.get(), onPg.get()}) {
      query->FilterOff();
      query->SetFilter(filter);
      query->FilterOn();
    }
    EXPECT_GT(onLite->RecordCount(), 0);
    EXPECT_EQ(Rows(*onPg, onLite->FieldNames()), Rows(*onLite, onLite->FieldNames()));
  }
}

// Pieces of values and literals: both filter languages' wildcards, LIKE's escape, a quote, letter
// cases, CJK, a character outside the BMP.
const QStringList kPieces = {u"a"_s, u"A"_s, u"ts"_s, u"*"_s,  u"?"_s,  u"["_s, u"%"_s,
                             u"_"_s, u"'"_s, u"\\"_s, u"讚"_s, u"𠀀"_s, u" "_s, u"é"_s};

QString RandomText(QRandomGenerator& random, int most) {
  QString text;
  const int count = random.bounded(most + 1);
  for (int i = 0; i < count; ++i) text += kPieces[random.bounded(kPieces.size())];
  return text;
}

QString RandomCondition(QRandomGenerator& random, int depth) {
  const int shape = random.bounded(depth > 2 ? 4 : 6);
  if (shape >= 4) {
    const QString op = shape == 4 ? u" AND "_s : u" or "_s;
    return u"("_s + RandomCondition(random, depth + 1) + op + RandomCondition(random, depth + 1) +
           u")"_s;
  }
  // n is an integer column, which stays with the held filter.
  static const QStringList fields = {u"Word"_s, u"[spell]"_s, u"NOTE"_s, u"n"_s};
  const QString field = fields[random.bounded(random.bounded(20) == 0 ? 4 : 3)];
  QString literal = RandomText(random, 3);
  if (shape == 0 || shape == 1) {
    if (shape == 1) literal += u'*';
    return field + u" ="_s + QuotedStr(literal);
  }
  if (random.bounded(3) == 0) literal = u"%"_s + literal;
  if (random.bounded(3) == 0) literal += u"%"_s;
  return field + u" like "_s + QuotedStr(literal);
}

// Every value of the passing rows, null apart from empty.
QStringList PassingRows(TFDQuery& dataset) {
  QStringList rows;
  for (int row = 0; row < dataset.RecordCount(); ++row) {
    QString line;
    for (int field = 0; field < dataset.FieldNames().size(); ++field) {
      line += dataset.IsNull(row, field) ? u"<null>"_s : u"«"_s + dataset.Text(row, field) + u"»"_s;
    }
    rows.append(line);
  }
  return rows;
}

TEST_F(PostgresTest, PostgresAnswersFiltersWithTheRowsOfTheHeldFilter) {
  // A table of its own, in an order that is not the key's (the rows' order is the key's), with a
  // collation that orders otherwise than bytes and an index that could serve a prefix.
  QRandomGenerator random(20261211);
  QSqlQuery make(pg.Database());
  ASSERT_TRUE(make.exec(u"CREATE TABLE FilterCases (id integer PRIMARY KEY, Word text COLLATE "
                        "\"en-x-icu\", spell varchar(40), note text, n integer)"_s) ||
              make.exec(u"CREATE TABLE FilterCases (id integer PRIMARY KEY, Word text, "
                        "spell varchar(40), note text, n integer)"_s))
      << make.lastError().text().toStdString();
  ASSERT_TRUE(make.exec(u"CREATE INDEX FilterCases_spell ON FilterCases (spell)"_s));
  const auto value = [&]() -> QVariant {
    return random.bounded(8) == 0 ? QVariant() : QVariant(RandomText(random, 3));
  };
  for (int i = 0; i < 300; ++i) {
    QSqlQuery insert(pg.Database());
    insert.prepare(u"INSERT INTO FilterCases VALUES (?, ?, ?, ?, ?)"_s);
    insert.addBindValue((i * 7919) % 1000);
    insert.addBindValue(value());
    insert.addBindValue(value());
    insert.addBindValue(value());
    insert.addBindValue(random.bounded(3));
    ASSERT_TRUE(insert.exec()) << insert.lastError().text().toStdString();
  }
  const QString statement = u"select * from FilterCases"_s;
  int answeredBySql = 0;
  for (int i = 0; i < 300; ++i) {
    const QString expression = RandomCondition(random, 0);
    TFDQuery held(pg, u"FilterCases"_s, statement);
    held.Open();
    held.SetFilter(expression);
    held.FilterOn();
    TFDQuery sql(pg, u"FilterCases"_s, statement);
    OpenFiltered(sql, expression);
    ASSERT_EQ(PassingRows(sql).join(u'\n').toStdString(),
              PassingRows(held).join(u'\n').toStdString())
        << expression.toStdString() << "\n"
        << sql.SQL().toStdString();
    if (sql.SQL() != statement) ++answeredBySql;
  }
  EXPECT_GT(answeredBySql, 300 / 2);

  // A field of another type or one the table lacks leaves the whole condition to the held filter.
  struct Case {
    const char* expression;
    bool answeredBySql;
  };
  for (const Case& c : {Case{"spell = 'a'", true}, Case{"spell = 'a*' or n = '1'", false},
                        Case{"Word like 'a_%' and Nowhere = 'a'", false}}) {
    TFDQuery sql(pg, u"FilterCases"_s, statement);
    try {
      OpenFiltered(sql, QString::fromUtf8(c.expression));
    } catch (const Error&) {  // the unknown field, reported by the held filter
    }
    EXPECT_EQ(sql.SQL() != statement, c.answeredBySql) << c.expression;
  }
  ASSERT_TRUE(make.exec(u"DROP TABLE FilterCases"_s));
}

TEST_F(PostgresTest, ConversionAndFanqieExtractionGiveWhatTheyGiveOnSqlite) {
  // A text of the dictionary's own characters (one line per 40), the sample text and specials.
  const auto words = Dataset(lite, u"FDQueryBaseWords"_s);
  QStringList lines = SplitTextLines(ConversionSampleText());
  QString line;
  for (int r = 0; r < words->RecordCount(); ++r) {
    line += words->Text(r, words->FieldIndex(u"HanWord"_s));
    if (line.size() >= 40) lines.append(std::exchange(line, QString()));
  }
  lines.append(u"讚'%* 則旰切"_s);
  ConversionOptions all;
  all.ancient = all.colloquial = true;
  for (const ConversionOptions& options : {ConversionOptions(), all}) {
    TFDQuery onLite(lite, u"FDQuerySQLRavlekTable"_s, DatasetStatement(u"FDQuerySQLRavlekTable"_s));
    TFDQuery onPg(pg, u"FDQuerySQLRavlekTable"_s, DatasetStatement(u"FDQuerySQLRavlekTable"_s));
    DatasetClassReadingSource liteSource(onLite);
    DatasetClassReadingSource pgSource(onPg);
    const QStringList expected = RomanizeLines(lines, options, liteSource);
    EXPECT_EQ(RomanizeLines(lines, options, pgSource), expected);
    EXPECT_NE(expected, lines);
  }

  const QString passage = FanqieSamplePassage() + u"\r\n租'切 全縣反 '則反 則旰切"_s;
  const auto fanqie = [&](TFDConnection& connection) {
    const auto baseWords = Dataset(connection, u"FDQueryBaseWords"_s);
    const auto plus = Dataset(connection, u"FDQueryBaseWordsPlus"_s);
    DatasetBaseWordLookup lookup(*baseWords, *plus);
    return ExtractFanqieReadings(passage, lookup);
  };
  const QString expected = fanqie(lite);
  EXPECT_EQ(expected.count(u"\r\n"_s), 7);
  EXPECT_EQ(fanqie(pg), expected);
}

QString StoredDesc(TFDConnection& connection, const QString& hanSpell) {
  QSqlQuery check(connection.Database());
  EXPECT_TRUE(
      check.exec(u"select \"Desc\" from RavlekTable where hanspell = '%1'"_s.arg(hanSpell)));
  EXPECT_TRUE(check.next());
  return check.value(0).toString();
}

TEST_F(PostgresTest, AMemoEditIsWrittenBackAndTheRowKeepsItsPlace) {
  const QString name = u"FDQueryRavlekTable"_s;
  const QStringList fields = {u"HanWord"_s, u"HanSpell"_s, u"Desc"_s};
  QStringList before;
  {
    const auto query = Dataset(pg, name);
    before = Rows(*query, fields);
    query->SetFilter(u"HanSpell ='zik4'"_s);
    query->FilterOn();
    ASSERT_EQ(query->RecordCount(), 1);
    query->Edit(u"Desc"_s, u"則：法則。\n'引號'"_s);
    query->FilterOff();  // leaving the row stores the edit
    EXPECT_FALSE(query->Modified());
  }
  EXPECT_EQ(StoredDesc(pg, u"zik4"_s), u"則：法則。\n'引號'"_s);
  TFDConnection again;
  ASSERT_TRUE(again.Open(AppFolder(true)).ok());
  const auto reopened = Dataset(again, name);
  QStringList after = Rows(*reopened, fields);
  const auto changed = before.indexOf(u"則|zik4|<null>"_s);
  ASSERT_GE(changed, 0);
  before[changed] = u"則|zik4|則：法則。\n'引號'"_s;
  EXPECT_EQ(after, before);  // same rows, same order: the updated row did not move to the end
}

TEST_F(PostgresTest, TwoConnectionsEditingOneFieldDoNotOverwriteEachOther) {
  TFDConnection second;
  ASSERT_TRUE(second.Open(AppFolder(true)).ok());
  const QString name = u"FDQueryRavlekTable"_s;
  const auto mine = Dataset(pg, name);
  const auto theirs = Dataset(second, name);
  for (TFDQuery* query : {mine.get(), theirs.get()}) {
    query->SetFilter(u"HanSpell ='zan3'"_s);
    query->FilterOn();
    ASSERT_EQ(query->RecordCount(), 1);
  }
  theirs->Edit(u"Desc"_s, u"他們的說明"_s);
  theirs->Post();
  mine->Edit(u"Desc"_s, u"我的說明"_s);
  try {
    mine->Post();
    ADD_FAILURE() << "the edit overwrote the other connection's";
  } catch (const Error& error) {
    EXPECT_EQ(error.message(), kEditConflictMessage);
  }
  EXPECT_TRUE(mine->Modified());
  EXPECT_EQ(mine->FieldByName(u"Desc"_s), u"我的說明"_s);
  EXPECT_EQ(StoredDesc(pg, u"zan3"_s), u"他們的說明"_s);

  // The other connection's edit of another field goes through, and after the refusal the typed
  // text is stored on the next attempt.
  theirs->Edit(u"Phone_desc"_s, u"他們的音注"_s);
  theirs->Post();
  mine->Post();
  EXPECT_FALSE(mine->Modified());
  EXPECT_EQ(StoredDesc(pg, u"zan3"_s), u"我的說明"_s);
  QSqlQuery check(pg.Database());
  ASSERT_TRUE(check.exec(u"select phone_desc from RavlekTable where hanspell = 'zan3'"_s));
  ASSERT_TRUE(check.next());
  EXPECT_EQ(check.value(0).toString(), u"他們的音注"_s);
}

// ravlek-cli upgrade on a dictionary that a server holds: the notes typed into it and the new
// release's readings are both there afterwards.
TEST_F(PostgresTest, RavlekCliUpgradesTheDictionaryAndKeepsTheNotes) {
  QTemporaryDir work;
  const QString oldRelease = work.filePath(u"old"_s);
  const QString newRelease = work.filePath(u"new"_s);
  test::WriteOldRelease(oldRelease);
  test::WriteNewRelease(newRelease);
  const QString shipped = work.filePath(u"Ravlek.db"_s);
  test::WriteShippedDatabase(shipped, oldRelease);
  server->CreateDatabase(u"ravlekupgrade"_s);
  QSqlDatabase db = server->Connect(u"ravlekupgrade"_s, u"ravlek-pg-upgrade"_s);
  // Loaded as a class's server gets it: the tables with their key, then the release installed
  // once, which records the shipped notes.
  test::CopyDictionaryToPostgres(shipped, db);
  UpgradeDictionary(db, ReadShippedRelease(oldRelease), work.path());
  test::TypeUserNotes(db);

  const QString app = work.filePath(u"app"_s);
  QDir().mkpath(app);
  server->WriteConnectionDefs(app, u"ravlekupgrade"_s);
  QProcess cli;
  cli.start(QStringLiteral(RAVLEK_CLI_PATH),
            {u"--app-dir"_s, app, u"upgrade"_s, u"--release"_s, newRelease});
  ASSERT_TRUE(cli.waitForFinished(60000));
  const QString output =
      QString::fromUtf8(cli.readAllStandardOutput() + cli.readAllStandardError());
  ASSERT_EQ(cli.exitCode(), 0) << output.toStdString();
  EXPECT_EQ(test::CheckUpgraded(db), QString());
  EXPECT_EQ(test::CheckOrphanedNotes(app, output), QString());
  db.close();
}

// Text and integer columns are read from libpq's result directly; a table with a column of
// another type is read through Qt's driver, which writes a boolean as "true" where libpq has
// "t". Nulls and empty texts stay apart, and a text's leading U+FEFF is kept, as on SQLite (Qt's
// driver drops it).
TEST_F(PostgresTest, HeldRowsHoldEachValueAsTheTableHasIt) {
  server->CreateDatabase(u"ravlekvalues"_s);
  {
    QSqlDatabase db = server->Connect(u"ravlekvalues"_s, u"ravlek-pg-values"_s);
    QSqlQuery setup(db);
    for (const QString& statement :
         {u"CREATE TABLE plain (id integer, big bigint, small smallint, t text, v varchar(20), "
          u"c char(4))"_s,
          u"INSERT INTO plain VALUES (1, 9007199254740993, -3, '讚 tsàn', '𠀀x', 'ab'), "
          u"(2, NULL, 0, '', NULL, NULL), (-7, -1, 5, E'\\uFEFFbom', 'it''s', 'é')"_s,
          u"CREATE TABLE mixed (id integer, flag boolean, t text)"_s,
          u"INSERT INTO mixed VALUES (1, true, 'a'), (2, NULL, NULL), (3, false, '')"_s}) {
      ASSERT_TRUE(setup.exec(statement)) << setup.lastError().text().toStdString();
    }
    const struct {
      QString table;
      QStringList rows;
    } cases[] = {
        {u"plain"_s,
         {u"-7|-1|5|\uFEFFbom|it's|é   "_s, u"1|9007199254740993|-3|讚 tsàn|𠀀x|ab  "_s,
          u"2|<null>|0||<null>|<null>"_s}},
        {u"mixed"_s, {u"1|true|a"_s, u"2|<null>|<null>"_s, u"3|false|"_s}},
    };
    for (const auto& c : cases) {
      SCOPED_TRACE(c.table.toStdString());
      HeldRows rows;
      QString error;
      ASSERT_TRUE(ReadRows(db, u"SELECT * FROM %1 ORDER BY id"_s.arg(c.table), 0, rows, error))
          << error.toStdString();
      QStringList held;
      for (int row = 0; row < rows.rowCount; ++row) {
        QStringList values;
        for (const HeldColumn& column : rows.columns) {
          values.append(column.IsNull(row) ? u"<null>"_s : column.View(row).toString());
        }
        held.append(values.join(u'|'));
      }
      EXPECT_EQ(held, c.rows);
    }
  }
  QSqlDatabase::removeDatabase(u"ravlek-pg-values"_s);
}

}  // namespace
