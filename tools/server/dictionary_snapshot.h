#pragma once
// The dictionary as the server reads it: every row it needs read once into memory, shared by all
// requests without a lock, and read again in the background when the dictionary file changes.

#include <QHash>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "dictionary/class_readings.h"
#include "dictionary/dataset_rows.h"
#include "dictionary/fanqie.h"
#include "dictionary/literary_readings.h"
#include "metre/metre_choices.h"
#include "romanize/phrase_readings.h"

namespace ravlek::server {

// Where the dictionary is: a SQLite file (--db), else the connection definition of an
// application folder. The folder also holds the Pingshui tables.
struct DictionaryLocation {
  QString appDir;
  QString dbFile;
};

// One reading of the whole dictionary. Never changed after Load: any number of threads read it.
struct DictionarySnapshot {
  quint64 generation = 0;
  QString appDir;
  HeldRows lookupRows;              // FDQueryRavlekTable's rows, as the lookup page holds them
  std::vector<HeldRows> classRows;  // per ReadingClasses() entry: that class's statement's rows
  QHash<QString, BaseWordRow> baseWords;  // first row per character, BaseWords before BaseWordsPlus
  QString baseWordsProblem;               // why the fanqie extraction cannot run, or empty
  LiteraryReadings literary;
  metre::KeptMetreSources metre;               // the Pingshui tables and every reading, read once
  QString metreProblem;                        // why the metre cannot run, or empty
  std::shared_ptr<const PhraseTable> phrases;  // read once per process (phrase_files.h)
  QStringList phraseProblems;                  // what could not be read of the phrase files
  QString watchedFile;  // the SQLite file whose changes mean a new reading; or empty
};

// Reads the dictionary; nullptr with `error` set when it cannot be opened or read.
std::shared_ptr<const DictionarySnapshot> LoadSnapshot(const DictionaryLocation& location,
                                                       quint64 generation, QString& error);

// The conversion's rows from a snapshot; the stamp is the snapshot's generation, so that kept
// indexes are dropped when the dictionary is read again.
class SnapshotClassSource : public ClassReadingSource {
 public:
  explicit SnapshotClassSource(const DictionarySnapshot& snapshot) : snapshot_(snapshot) {}
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override;
  QString ContentStamp() const override;

 private:
  const DictionarySnapshot& snapshot_;
};

class SnapshotBaseWordLookup : public BaseWordLookup {
 public:
  explicit SnapshotBaseWordLookup(const DictionarySnapshot& snapshot) : snapshot_(snapshot) {}
  std::optional<BaseWordRow> Find(const QString& character) override;

 private:
  const DictionarySnapshot& snapshot_;
};

// The current snapshot, and a thread that reads the dictionary again when its file changes (a
// SQLite file: its size or time, or its write-ahead log's) or when Reload() asks for it.
class Dictionary {
 public:
  explicit Dictionary(DictionaryLocation location) : location_(std::move(location)) {}
  ~Dictionary();
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  // The first reading; false with `error` when it fails.
  bool Open(QString& error);
  // Starts watching the file (checked every `intervalMs`).
  void Watch(int intervalMs = 1000);
  // Asks the watcher to read the dictionary again now (SIGHUP).
  void Reload();
  std::shared_ptr<const DictionarySnapshot> Current() const;

 private:
  QString FileState() const;
  void WatchLoop(int intervalMs);

  DictionaryLocation location_;
  mutable std::mutex mutex_;
  std::shared_ptr<const DictionarySnapshot> current_;
  quint64 generation_ = 0;
  std::thread watcher_;
  std::condition_variable wake_;
  bool stop_ = false;
  std::atomic<bool> reload_{false};
};

}  // namespace ravlek::server
