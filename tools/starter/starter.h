#pragma once
// The starter's work, apart from its entry point so that it can be tested.

#include <QString>
#include <QStringList>

#include "base/app_folder.h"

namespace ravlek {

// The staged archives, unpacked in this order (a later one's files win).
inline const QStringList kStagedArchives = {kSystemArchiveName, kDatabaseArchiveName};

struct StarterReport {
  QStringList installed;  // archives installed and removed
  QStringList failures;   // one line per archive refused (moved aside into upgrade_zip/refused)
};

// Installs the archives staged in <appDir>/upgrade_zip, all or nothing. Only archives whose ready
// mark matches (the program verified them) are installed. Every archive is unpacked into a
// folder of its own inside appDir; only when all members are out are the files moved into place,
// each renamed over its old copy, and any failure puts the old copies back. A new starter among
// the files is left as upgrade_zip/Ravlek_Start for the program to install, never written over
// the running one. When anything is refused or fails, nothing installed changes: the archives
// are moved aside into upgrade_zip/refused, with a note the program shows at its next start.
StarterReport InstallStagedArchives(const QString& appDir);

// The starter's lock on the application folder (flock on kStarterLockFile), held while it lives.
// Only one starter at a time installs and starts the program; the lock is not passed on to the
// program it starts.
class StarterLock {
 public:
  explicit StarterLock(const QString& appDir);
  ~StarterLock();
  StarterLock(const StarterLock&) = delete;
  StarterLock& operator=(const StarterLock&) = delete;
  // False when another starter holds the lock (or it cannot be taken at all).
  bool held() const { return held_; }

 private:
  int fd_ = -1;
  bool held_ = false;
};

// What a second starter tells the user before it ends, starting nothing.
inline const QString kAlreadyStartingText = QStringLiteral(
    "台語Ostrel輔助系統正在啟動中（另一個 Ravlek_Start "
    "正在安裝更新或啟動程式），這次不再重複啟動。");

// Creates the marker file __sys_Ravlek.ini in appDir, new and empty (one left by an earlier run
// is replaced). False when it cannot be created, the system's reason in `reason` when given.
bool CreateStartMarker(const QString& appDir, QString* reason = nullptr);

// Starts the program detached, with appDir as its current directory and no arguments. False when
// it cannot be started, the reason in `reason` when given.
bool StartProgram(const QString& program, const QString& appDir, QString* reason = nullptr);

}  // namespace ravlek
