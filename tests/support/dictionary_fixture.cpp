#include "dictionary_fixture.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <atomic>

#include "base/error.h"
#include "base/profile.h"
#include "build_paths.h"
#include "romanize/phrase_files.h"

namespace ravlek::test {
namespace {

QVariant ValueOf(const std::optional<QString>& value) {
  if (!value) return QVariant(QMetaType(QMetaType::QString));
  // A null QString would be bound as NULL; an empty value stays empty text.
  return value->isNull() ? QVariant(QStringLiteral("")) : QVariant(*value);
}

void Run(QSqlQuery& query, const QString& sql) {
  if (!query.exec(sql)) throw Error(QStringLiteral("%1: %2").arg(sql, query.lastError().text()));
}

void InsertBaseWords(QSqlDatabase& db, const QString& table, const std::vector<BaseWordRow>& rows) {
  QSqlQuery query(db);
  if (!query.prepare(
          QStringLiteral("INSERT INTO %1 (HanWord, HanSpell) VALUES (?, ?)").arg(table))) {
    throw Error(query.lastError().text());
  }
  for (const BaseWordRow& row : rows) {
    query.addBindValue(ValueOf(row.first));
    query.addBindValue(ValueOf(row.second));
    if (!query.exec()) throw Error(query.lastError().text());
  }
}

}  // namespace

const QStringList& RavlekTableFields() {
  static const QStringList fields = {
      QStringLiteral("HanWord"),   QStringLiteral("Ptype"),       QStringLiteral("HanSpell"),
      QStringLiteral("Spell_P"),   QStringLiteral("Spell_P_Han"), QStringLiteral("Initial_C_type"),
      QStringLiteral("PoemRhyme"), QStringLiteral("hong5se3"),    QStringLiteral("PoemRhyme2"),
      QStringLiteral("PtypeDesc"), QStringLiteral("Phone_desc"),  QStringLiteral("Desc")};
  return fields;
}

void WriteFixtureDictionary(const QString& path, const FixtureDictionary& dictionary) {
  QFile::remove(path);
  static std::atomic<int> counter{0};
  const QString name = QStringLiteral("ravlek-fixture-%1").arg(++counter);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open()) throw Error(db.lastError().text());
    QSqlQuery query(db);
    QStringList columns;
    for (const QString& field : RavlekTableFields())
      columns.append(field + QStringLiteral(" TEXT"));
    Run(query, QStringLiteral("CREATE TABLE RavlekTable (%1)").arg(columns.join(", ")));
    Run(query, QStringLiteral("CREATE TABLE BaseWords (HanWord TEXT, HanSpell TEXT)"));
    Run(query, QStringLiteral("CREATE TABLE BaseWordsPlus (HanWord TEXT, HanSpell TEXT)"));
    db.transaction();
    QStringList marks;
    for (int i = 0; i < RavlekTableFields().size(); ++i) marks.append(QStringLiteral("?"));
    if (!query.prepare(
            QStringLiteral("INSERT INTO RavlekTable VALUES (%1)").arg(marks.join(",")))) {
      throw Error(query.lastError().text());
    }
    for (const FixtureRow& row : dictionary.ravlekRows) {
      for (const QString& field : RavlekTableFields()) {
        const auto it = row.find(field);
        query.addBindValue(it == row.end() ? ValueOf(std::nullopt) : ValueOf(it->second));
      }
      if (!query.exec()) throw Error(query.lastError().text());
    }
    InsertBaseWords(db, QStringLiteral("BaseWords"), dictionary.baseWords);
    InsertBaseWords(db, QStringLiteral("BaseWordsPlus"), dictionary.baseWordsPlus);
    if (!db.commit()) throw Error(db.lastError().text());
    query = QSqlQuery();
    db.close();
  }
  QSqlDatabase::removeDatabase(name);
}

void WriteConnectionDefs(const QString& appDir, const QString& database, const QString& driverId) {
  const QString ini = QDir(appDir).filePath(QStringLiteral("FDConnectionDefs.ini"));
  if (!WriteProfileString(ini, QStringLiteral("Connect_RavlekDB"), QStringLiteral("DriverID"),
                          driverId) ||
      !WriteProfileString(ini, QStringLiteral("Connect_RavlekDB"), QStringLiteral("Database"),
                          database)) {
    throw Error(QStringLiteral("cannot write %1").arg(ini));
  }
}

FixtureAppFolder::FixtureAppFolder(const FixtureDictionary& dictionary) {
  WriteFixtureDictionary(DatabasePath(), dictionary);
  WriteConnectionDefs(Path(), QStringLiteral("Ravlek.db"));
}

FixtureRow SynthesisRow(const QString& word, const QString& ptype, const QString& spell,
                        const QString& initialType, const QString& rhyme) {
  return {{QStringLiteral("HanWord"), word},
          {QStringLiteral("Ptype"), ptype},
          {QStringLiteral("HanSpell"), spell},
          {QStringLiteral("Initial_C_type"), initialType},
          {QStringLiteral("PoemRhyme"), rhyme}};
}

void CopyPingshuiTables(const QString& folder) {
  for (const QString& table :
       {QStringLiteral("pingshui_groups.tsv"), QStringLiteral("pingshui_variants.tsv")}) {
    const QString to = QDir(folder).filePath(table);
    QFile::remove(to);
    if (!QFile::copy(QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/") + table, to)) {
      throw Error(QStringLiteral("cannot copy %1").arg(table));
    }
  }
}

void FixtureAppFolder::AddShippedPhrases() const {
  for (const QString& file : {kClassicalPhraseFile, kTerraPhraseFile}) {
    const QString to = dir_.filePath(file);
    QFile::remove(to);
    if (!QFile::copy(QStringLiteral(RAVLEK_SOURCE_DIR "/data/open_dictionary/") + file, to)) {
      throw Error(QStringLiteral("cannot copy %1").arg(file));
    }
  }
}

}  // namespace ravlek::test
