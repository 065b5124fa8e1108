#include "dictionary_snapshot.h"

#include <QFileInfo>
#include <QSqlQuery>
#include <cstdio>

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/datasets.h"
#include "dictionary/reading_classes.h"
#include "romanize/phrase_files.h"

namespace ravlek::server {

namespace {

QString OpenFailure(const TFDConnection::OpenResult& result) {
  switch (result.kind) {
    case TFDConnection::FailureKind::InvalidLogin:
      return QStringLiteral("invalid user name or password: ") + result.message;
    case TFDConnection::FailureKind::ServerGone:
      return QStringLiteral("the connection to the database was lost: ") + result.message;
    default:
      return result.message;
  }
}

// The first row of each character, BaseWords before BaseWordsPlus, as the fanqie page finds it.
void AddBaseWords(const HeldRows& rows, QHash<QString, BaseWordRow>& byCharacter) {
  const int word = rows.FieldIndex(QStringLiteral("HanWord"));
  const int spell = rows.FieldIndex(QStringLiteral("HanSpell"));
  if (word < 0) return;
  for (int i = 0; i < rows.rowCount; ++i) {
    const QString character = rows.columns[size_t(word)].View(i).toString();
    if (byCharacter.contains(character)) continue;
    byCharacter.insert(
        character,
        {character, spell < 0 ? QString() : rows.columns[size_t(spell)].View(i).toString()});
  }
}

}  // namespace

std::shared_ptr<const DictionarySnapshot> LoadSnapshot(const DictionaryLocation& location,
                                                       quint64 generation, QString& error) {
  auto snapshot = std::make_shared<DictionarySnapshot>();
  snapshot->generation = generation;
  snapshot->appDir = location.appDir;
  TFDConnection connection;
  const TFDConnection::OpenResult opened = location.dbFile.isEmpty()
                                               ? connection.Open(location.appDir)
                                               : connection.OpenSqliteFile(location.dbFile);
  if (!opened.ok()) {
    error = QStringLiteral("cannot open the dictionary: ") + OpenFailure(opened);
    return nullptr;
  }
  QSqlDatabase db = connection.Database();
  {
    // Nothing the server does writes: the connection refuses it as well.
    QSqlQuery query(db);
    if (db.driverName() == QLatin1String("QSQLITE")) {
      query.exec(QStringLiteral("PRAGMA query_only = ON"));
      snapshot->watchedFile = QFileInfo(db.databaseName()).absoluteFilePath();
    } else if (db.driverName() == QLatin1String("QPSQL")) {
      query.exec(QStringLiteral("SET SESSION CHARACTERISTICS AS TRANSACTION READ ONLY"));
    }
  }
  QString readError;
  if (!ReadRows(db, DatasetStatement(QStringLiteral("FDQueryRavlekTable")), 0, snapshot->lookupRows,
                readError)) {
    error = QStringLiteral("cannot read the dictionary: ") + readError;
    return nullptr;
  }
  for (const ReadingClass& readingClass : ReadingClasses()) {
    HeldRows rows;
    if (!ReadRows(db, QString::fromUtf8(readingClass.statement), 0, rows, readError)) {
      error = QStringLiteral("cannot read the dictionary: ") + readError;
      return nullptr;
    }
    snapshot->classRows.push_back(std::move(rows));
  }
  for (const char* name : {"FDQueryBaseWords", "FDQueryBaseWordsPlus"}) {
    HeldRows rows;
    if (!ReadRows(db, DatasetStatement(QString::fromLatin1(name)), 0, rows, readError)) {
      snapshot->baseWordsProblem = readError;
      break;
    }
    AddBaseWords(rows, snapshot->baseWords);
  }
  try {
    snapshot->literary = LiteraryReadings::FromTable(connection);
    SnapshotClassSource source(*snapshot);
    metre::MetreSources metre(location.appDir, source, &snapshot->metre);
    if (!metre.Load()) snapshot->metreProblem = metre.Problem();
    const LoadedPhrases phrases = ProcessPhrases(location.appDir);
    snapshot->phrases = phrases.table;
    snapshot->phraseProblems = phrases.problems;
  } catch (const Error& failure) {
    error = QStringLiteral("cannot read the dictionary: ") + failure.message();
    return nullptr;
  }
  return snapshot;
}

void SnapshotClassSource::ReadClass(const ReadingClass& readingClass, const RowFn& row) {
  const auto& classes = ReadingClasses();
  for (size_t i = 0; i < classes.size() && i < snapshot_.classRows.size(); ++i) {
    if (classes[i].character != readingClass.character) continue;
    const HeldRows& rows = snapshot_.classRows[i];
    const int word = rows.FieldIndex(QStringLiteral("HanWord"));
    const int spell = rows.FieldIndex(QStringLiteral("HanSpell"));
    if (word < 0 || spell < 0)
      throw Error(QStringLiteral("field 'HanWord' or 'HanSpell' not found"));
    for (int r = 0; r < rows.rowCount; ++r) {
      row(rows.columns[size_t(word)].View(r), rows.columns[size_t(spell)].View(r));
    }
    return;
  }
}

QString SnapshotClassSource::ContentStamp() const {
  return QStringLiteral("snapshot/%1").arg(snapshot_.generation);
}

std::optional<BaseWordRow> SnapshotBaseWordLookup::Find(const QString& character) {
  const auto found = snapshot_.baseWords.constFind(character);
  if (found == snapshot_.baseWords.constEnd()) return std::nullopt;
  return *found;
}

Dictionary::~Dictionary() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (watcher_.joinable()) watcher_.join();
}

bool Dictionary::Open(QString& error) {
  auto snapshot = LoadSnapshot(location_, ++generation_, error);
  if (!snapshot) return false;
  std::lock_guard lock(mutex_);
  current_ = std::move(snapshot);
  return true;
}

std::shared_ptr<const DictionarySnapshot> Dictionary::Current() const {
  std::lock_guard lock(mutex_);
  return current_;
}

void Dictionary::Reload() {
  // Only a flag: it is called from a signal handler; the watcher sees it within its interval.
  reload_ = true;
}

QString Dictionary::FileState() const {
  const auto snapshot = Current();
  if (!snapshot || snapshot->watchedFile.isEmpty()) return QString();
  QString state;
  // A commit in WAL mode changes only the log until a checkpoint.
  for (const QString& path :
       {snapshot->watchedFile, snapshot->watchedFile + QStringLiteral("-wal")}) {
    const QFileInfo file(path);
    state += QStringLiteral("%1:%2:%3;")
                 .arg(file.exists())
                 .arg(file.size())
                 .arg(file.lastModified().toMSecsSinceEpoch());
  }
  return state;
}

void Dictionary::Watch(int intervalMs) {
  if (watcher_.joinable()) return;
  watcher_ = std::thread([this, intervalMs] { WatchLoop(intervalMs); });
}

void Dictionary::WatchLoop(int intervalMs) {
  QString seen = FileState();
  std::unique_lock lock(mutex_);
  while (!stop_) {
    wake_.wait_for(lock, std::chrono::milliseconds(intervalMs));
    if (stop_) break;
    lock.unlock();
    const QString state = FileState();
    if (reload_.exchange(false) || state != seen) {
      QString error;
      auto snapshot = LoadSnapshot(location_, generation_ + 1, error);
      if (snapshot) {
        ++generation_;
        seen = FileState();
        std::lock_guard swap(mutex_);
        current_ = std::move(snapshot);
      } else {
        // A file in the middle of being replaced: the old reading serves until it changes again.
        seen = state;
        std::fprintf(stderr, "ravlek-server: %s\n", qUtf8Printable(error));
      }
    }
    lock.lock();
  }
}

}  // namespace ravlek::server
