#include "dictionary/dictionary_upgrade.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>
#include <optional>

#include "base/error.h"

namespace ravlek {
namespace {

const QString kShippedNotes = QStringLiteral("RavlekShippedNotes");
const QStringList kShippedNotesColumns = {
    QStringLiteral("HanWord"), QStringLiteral("Ptype"), QStringLiteral("HanSpell"),
    QStringLiteral("Phone_desc_sha1"), QStringLiteral("Desc_sha1")};
const QStringList kNoteFields = {QStringLiteral("Phone_desc"), QStringLiteral("Desc")};

struct Key {
  QString han, ptype, spell;
  bool operator==(const Key&) const = default;
};
size_t qHash(const Key& key, size_t seed = 0) {
  return qHashMulti(seed, key.han, key.ptype, key.spell);
}

void Exec(QSqlQuery& query, const QString& sql) {
  if (!query.exec(sql)) {
    throw Error(QStringLiteral("%1: %2").arg(sql.left(60), query.lastError().text()));
  }
}

void ExecPrepared(QSqlQuery& query) {
  if (!query.exec()) throw Error(query.lastError().text());
}

// The table's name as the database has it (PostgreSQL folds unquoted names to lower case), or
// the name itself for a table that does not exist yet.
QString ActualTable(QSqlDatabase& db, const QString& table) {
  for (const QString& name : db.tables())
    if (name.compare(table, Qt::CaseInsensitive) == 0) return name;
  return table;
}

// The table's columns as the database names them (PostgreSQL may have folded their case),
// looked up without regard to case.
class Columns {
 public:
  Columns(QSqlDatabase& db, const QString& table) {
    const QSqlRecord record = db.record(ActualTable(db, table));
    for (int i = 0; i < record.count(); ++i) names_.append(record.fieldName(i));
  }
  bool empty() const { return names_.isEmpty(); }
  std::optional<QString> Find(const QString& name) const {
    for (const QString& n : names_)
      if (n.compare(name, Qt::CaseInsensitive) == 0) return n;
    return std::nullopt;
  }

 private:
  QStringList names_;
};

QString Escaped(QSqlDatabase& db, const QString& name) {
  return db.driver()->escapeIdentifier(name, QSqlDriver::FieldName);
}

QString TableName(QSqlDatabase& db, const QString& table) {
  return db.driver()->escapeIdentifier(ActualTable(db, table), QSqlDriver::TableName);
}

int ColumnOf(const DictionaryTsv& tsv, const QString& name) {
  for (int i = 0; i < tsv.header.size(); ++i)
    if (tsv.header[i].compare(name, Qt::CaseInsensitive) == 0) return i;
  return -1;
}

QString Text(const std::vector<TsvValue>& row, int column) {
  return column >= 0 && row[column] ? *row[column] : QString();
}

// Replaces the rows of `table` with the release's, in their order. A column the release has that
// the table lacks is an error; the table's other columns stay null, except an integer key `id`
// (a PostgreSQL table's primary key), which numbers the rows from 1.
void ReplaceRows(QSqlDatabase& db, const QString& table, const DictionaryTsv& rows) {
  const Columns columns(db, table);
  if (columns.empty()) throw Error(QStringLiteral("the dictionary has no table %1").arg(table));
  QStringList names;
  for (const QString& field : rows.header) {
    const auto found = columns.Find(field);
    if (!found) throw Error(QStringLiteral("the table %1 has no column %2").arg(table, field));
    names.append(Escaped(db, *found));
  }
  const auto id = columns.Find(QStringLiteral("id"));
  if (id && !rows.header.contains(*id, Qt::CaseInsensitive)) names.prepend(Escaped(db, *id));
  QSqlQuery query(db);
  Exec(query, QStringLiteral("DELETE FROM %1").arg(TableName(db, table)));
  QStringList marks(names.size(), QStringLiteral("?"));
  if (!query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(TableName(db, table), names.join(u','), marks.join(u',')))) {
    throw Error(query.lastError().text());
  }
  qsizetype number = 0;
  for (const auto& row : rows.rows) {
    int at = 0;
    if (id && !rows.header.contains(*id, Qt::CaseInsensitive)) query.bindValue(at++, ++number);
    for (const TsvValue& value : row) {
      query.bindValue(at++, value ? QVariant(*value) : QVariant(QMetaType(QMetaType::QString)));
    }
    ExecPrepared(query);
  }
}

struct UserNotes {
  QString values[2];  // Phone_desc, Desc as the user's dictionary has them
  bool changed[2]{};  // whether the user changed them from the shipped text
};

// The hashes of the notes as shipped, per reading; empty where the dictionary has no such table.
QHash<Key, QStringList> ShippedNoteHashes(QSqlDatabase& db) {
  QHash<Key, QStringList> hashes;
  if (Columns(db, kShippedNotes).empty()) return hashes;
  QSqlQuery query(db);
  query.setForwardOnly(true);
  QStringList names;
  for (const QString& c : kShippedNotesColumns) names.append(Escaped(db, c));
  Exec(query,
       QStringLiteral("SELECT %1 FROM %2").arg(names.join(u','), TableName(db, kShippedNotes)));
  while (query.next()) {
    const Key key{query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
    if (!hashes.contains(key))
      hashes.insert(key, {query.value(3).toString(), query.value(4).toString()});
  }
  return hashes;
}

// Each reading's notes in the user's dictionary, in table order, and whether the user changed
// them: against the shipped hashes where the dictionary has them, else against the new text.
std::vector<std::pair<Key, UserNotes>> ReadUserNotes(QSqlDatabase& db,
                                                     const QHash<Key, QStringList>& shipped,
                                                     const QHash<Key, QStringList>& newText) {
  const Columns columns(db, QStringLiteral("RavlekTable"));
  QStringList names;
  for (const QString& c : {QStringLiteral("HanWord"), QStringLiteral("Ptype"),
                           QStringLiteral("HanSpell"), kNoteFields[0], kNoteFields[1]}) {
    const auto found = columns.Find(c);
    if (!found) throw Error(QStringLiteral("the table RavlekTable has no column %1").arg(c));
    names.append(Escaped(db, *found));
  }
  QSqlQuery query(db);
  query.setForwardOnly(true);
  Exec(query, QStringLiteral("SELECT %1 FROM %2")
                  .arg(names.join(u','), TableName(db, QStringLiteral("RavlekTable"))));
  std::vector<std::pair<Key, UserNotes>> notes;
  QSet<Key> seen;
  while (query.next()) {
    const Key key{query.value(0).toString(), query.value(1).toString(), query.value(2).toString()};
    if (seen.contains(key)) continue;
    seen.insert(key);
    UserNotes user;
    for (int f = 0; f < 2; ++f) {
      user.values[f] = query.value(3 + f).toString();
      if (!shipped.isEmpty()) {
        const auto found = shipped.constFind(key);
        // A reading the shipped dictionary never had was typed in by the user.
        user.changed[f] = found == shipped.cend() ? !user.values[f].isEmpty()
                                                  : ShippedNoteHash(user.values[f]) != (*found)[f];
      } else {
        const auto found = newText.constFind(key);
        user.changed[f] =
            found == newText.cend() ? !user.values[f].isEmpty() : user.values[f] != (*found)[f];
      }
    }
    if (user.changed[0] || user.changed[1]) notes.emplace_back(key, user);
  }
  return notes;
}

void ReplaceShippedNotes(QSqlDatabase& db, const DictionaryTsv& ravlek) {
  QSqlQuery query(db);
  if (Columns(db, kShippedNotes).empty()) {
    QStringList definitions;
    for (const QString& c : kShippedNotesColumns) definitions.append(Escaped(db, c) + " TEXT");
    Exec(query, QStringLiteral("CREATE TABLE %1 (%2)")
                    .arg(TableName(db, kShippedNotes), definitions.join(u',')));
  }
  DictionaryTsv notes;
  notes.header = kShippedNotesColumns;
  const int han = ColumnOf(ravlek, QStringLiteral("HanWord"));
  const int ptype = ColumnOf(ravlek, QStringLiteral("Ptype"));
  const int spell = ColumnOf(ravlek, QStringLiteral("HanSpell"));
  const int phone = ColumnOf(ravlek, kNoteFields[0]);
  const int desc = ColumnOf(ravlek, kNoteFields[1]);
  for (const auto& row : ravlek.rows) {
    notes.rows.push_back({Text(row, han), Text(row, ptype), Text(row, spell),
                          ShippedNoteHash(Text(row, phone)), ShippedNoteHash(Text(row, desc))});
  }
  ReplaceRows(db, kShippedNotes, notes);
}

// Writes the notes whose reading is gone, in the import format, durably; returns the path.
QString WriteOrphanedNotes(const QString& folder,
                           const std::vector<std::pair<Key, UserNotes>>& orphaned) {
  const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  QString path = QDir(folder).filePath(QStringLiteral("Ravlek-notes-%1.tsv").arg(stamp));
  for (int n = 2; QFile::exists(path); ++n) {
    path = QDir(folder).filePath(QStringLiteral("Ravlek-notes-%1-%2.tsv").arg(stamp).arg(n));
  }
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) throw CannotOpenFileError(path, file.errorString());
  QByteArray text = "HanWord\tPtype\tHanSpell\tPhone_desc\tDesc\n";
  for (const auto& [key, user] : orphaned) {
    QStringList fields = {key.han, key.ptype, key.spell};
    for (int f = 0; f < 2; ++f) fields.append(user.changed[f] ? user.values[f] : QString());
    for (QString& field : fields) field = EscapeTsvField(field);
    text += fields.join(u'\t').toUtf8() + '\n';
  }
  if (file.write(text) != text.size() || !file.commit()) {
    throw Error(QStringLiteral("%1: %2").arg(path, file.errorString()));
  }
  return path;
}

DictionaryTsv ReadTsvFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw CannotOpenFileError(path, file.errorString());
  return ReadDictionaryTsv(file.readAll(), path);
}

void Append(DictionaryTsv& to, const DictionaryTsv& more, const QString& shownName) {
  if (more.header != to.header) {
    throw Error(QStringLiteral("%1: its columns differ from RavlekTable.tsv's").arg(shownName));
  }
  to.rows.insert(to.rows.end(), more.rows.begin(), more.rows.end());
}

QString UniqueConnectionName(const char* what) {
  static std::atomic<int> counter{0};
  return QStringLiteral("ravlek-upgrade-%1-%2").arg(QLatin1String(what)).arg(++counter);
}

}  // namespace

QString ShippedNoteHash(const QString& note) {
  return QString::fromLatin1(
      QCryptographicHash::hash(note.toUtf8(), QCryptographicHash::Sha1).toHex().left(16));
}

ShippedDictionary ReadShippedRelease(const QString& folder) {
  const QDir dir(folder);
  ShippedDictionary shipped;
  shipped.ravlek = ReadTsvFile(dir.filePath(QStringLiteral("RavlekTable.tsv")));
  for (const QString& name :
       dir.entryList({QStringLiteral("RavlekTable.*.tsv")}, QDir::Files, QDir::Name)) {
    Append(shipped.ravlek, ReadTsvFile(dir.filePath(name)), dir.filePath(name));
  }
  shipped.base = ReadTsvFile(dir.filePath(QStringLiteral("BaseWords.tsv")));
  shipped.plus = ReadTsvFile(dir.filePath(QStringLiteral("BaseWordsPlus.tsv")));
  return shipped;
}

ShippedDictionary ReadShippedDatabase(const QString& sqliteFile) {
  if (!QFileInfo(sqliteFile).isFile()) throw CannotOpenFileError(sqliteFile, "no such file");
  ShippedDictionary shipped;
  const QString name = UniqueConnectionName("read");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(sqliteFile);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) throw Error(QStringLiteral("%1: %2").arg(sqliteFile, db.lastError().text()));
    const auto read = [&](const QString& table, DictionaryTsv& into) {
      QSqlQuery query(db);
      query.setForwardOnly(true);
      if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table))) {
        throw Error(QStringLiteral("%1: %2").arg(sqliteFile, query.lastError().text()));
      }
      const QSqlRecord record = query.record();
      for (int i = 0; i < record.count(); ++i) into.header.append(record.fieldName(i));
      while (query.next()) {
        std::vector<TsvValue> row;
        for (int i = 0; i < record.count(); ++i) {
          const QVariant value = query.value(i);
          row.push_back(value.isNull() ? TsvValue() : TsvValue(value.toString()));
        }
        into.rows.push_back(std::move(row));
      }
    };
    read(QStringLiteral("RavlekTable"), shipped.ravlek);
    read(QStringLiteral("BaseWords"), shipped.base);
    read(QStringLiteral("BaseWordsPlus"), shipped.plus);
  }
  QSqlDatabase::removeDatabase(name);
  return shipped;
}

DictionaryUpgradeReport UpgradeDictionary(QSqlDatabase& db, const ShippedDictionary& shipped,
                                          const QString& notesFolder,
                                          const std::function<void()>& beforeCommit) {
  const int han = ColumnOf(shipped.ravlek, QStringLiteral("HanWord"));
  const int ptype = ColumnOf(shipped.ravlek, QStringLiteral("Ptype"));
  const int spell = ColumnOf(shipped.ravlek, QStringLiteral("HanSpell"));
  const int noteColumns[2] = {ColumnOf(shipped.ravlek, kNoteFields[0]),
                              ColumnOf(shipped.ravlek, kNoteFields[1])};
  if (han < 0 || ptype < 0 || spell < 0 || noteColumns[0] < 0 || noteColumns[1] < 0) {
    throw Error(QStringLiteral(
        "the new RavlekTable lacks one of HanWord, Ptype, HanSpell, Phone_desc, Desc"));
  }
  QHash<Key, QStringList> newText;
  for (const auto& row : shipped.ravlek.rows) {
    const Key key{Text(row, han), Text(row, ptype), Text(row, spell)};
    if (!newText.contains(key))
      newText.insert(key, {Text(row, noteColumns[0]), Text(row, noteColumns[1])});
  }

  DictionaryUpgradeReport report;
  if (!db.transaction()) throw Error(db.lastError().text());
  try {
    const QHash<Key, QStringList> shippedHashes = ShippedNoteHashes(db);
    const auto user = ReadUserNotes(db, shippedHashes, newText);
    QHash<Key, UserNotes> kept;
    std::vector<std::pair<Key, UserNotes>> orphaned;
    for (const auto& [key, notes] : user) {
      if (newText.contains(key)) {
        kept.insert(key, notes);
      } else {
        orphaned.emplace_back(key, notes);
      }
    }
    // The new rows, each reading's changed notes in place of the new text.
    DictionaryTsv rows = shipped.ravlek;
    for (auto& row : rows.rows) {
      const Key key{Text(row, han), Text(row, ptype), Text(row, spell)};
      const auto found = kept.find(key);
      for (int f = 0; f < 2; ++f) {
        if (found != kept.end() && found->changed[f]) {
          if (Text(row, noteColumns[f]) != found->values[f]) ++report.notesKept;
          row[noteColumns[f]] = found->values[f];
        }
      }
      if (found != kept.end()) kept.erase(found);  // a repeated reading takes them once
    }
    // Notes left as shipped that now read otherwise.
    for (auto it = newText.cbegin(); it != newText.cend(); ++it) {
      const auto old = shippedHashes.constFind(it.key());
      if (old == shippedHashes.cend()) continue;
      for (int f = 0; f < 2; ++f)
        if ((*old)[f] != ShippedNoteHash((*it)[f])) ++report.notesRenewed;
    }
    ReplaceRows(db, QStringLiteral("RavlekTable"), rows);
    ReplaceRows(db, QStringLiteral("BaseWords"), shipped.base);
    ReplaceRows(db, QStringLiteral("BaseWordsPlus"), shipped.plus);
    ReplaceShippedNotes(db, shipped.ravlek);
    for (const auto& [key, notes] : orphaned)
      report.notesOrphaned += int(notes.changed[0]) + int(notes.changed[1]);
    if (!orphaned.empty()) report.notesFile = WriteOrphanedNotes(notesFolder, orphaned);
    report.rows = qsizetype(rows.rows.size());
    if (beforeCommit) beforeCommit();
    if (!db.commit()) throw Error(db.lastError().text());
  } catch (...) {
    db.rollback();
    if (!report.notesFile.isEmpty()) QFile::remove(report.notesFile);
    throw;
  }
  report.message = QStringLiteral("字典已更新：%1 筆讀音；保留您修改過的註解 %2 則。")
                       .arg(report.rows)
                       .arg(report.notesKept);
  if (!report.notesFile.isEmpty()) {
    report.message += QStringLiteral("新版字典已沒有 %1 則註解的讀音，這些註解存在 %2。")
                          .arg(report.notesOrphaned)
                          .arg(QDir::toNativeSeparators(report.notesFile));
  }
  return report;
}

DictionaryUpgradeReport UpgradeDictionaryFile(const QString& current, const QString& fresh) {
  if (!QFileInfo(current).isFile() || !QFileInfo(fresh).isFile()) return {};
  const ShippedDictionary shipped = ReadShippedDatabase(fresh);
  // A consistent copy of the user's dictionary (its journal included) in the fresh file's place.
  const QString copy = fresh + QStringLiteral(".user");
  QFile::remove(copy);
  const QString reader = UniqueConnectionName("copy");
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), reader);
    db.setDatabaseName(current);
    if (!db.open()) throw Error(QStringLiteral("%1: %2").arg(current, db.lastError().text()));
    QSqlQuery query(db);
    query.prepare(QStringLiteral("VACUUM INTO ?"));
    query.addBindValue(copy);
    if (!query.exec()) {
      throw Error(QStringLiteral("%1: %2").arg(current, query.lastError().text()));
    }
  }
  QSqlDatabase::removeDatabase(reader);
  DictionaryUpgradeReport report;
  const QString writer = UniqueConnectionName("write");
  try {
    {
      QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), writer);
      db.setDatabaseName(copy);
      if (!db.open()) throw Error(QStringLiteral("%1: %2").arg(copy, db.lastError().text()));
      report = UpgradeDictionary(db, shipped, QFileInfo(current).absolutePath());
    }
    QSqlDatabase::removeDatabase(writer);
  } catch (...) {
    QSqlDatabase::removeDatabase(writer);
    QFile::remove(copy);
    throw;
  }
  QFile::remove(fresh);
  if (!QFile::rename(copy, fresh)) {
    throw Error(QStringLiteral("Cannot move \"%1\" into place").arg(fresh));
  }
  return report;
}

}  // namespace ravlek
