#include "starter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDebug>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <cerrno>
#include <cstdio>
#include <vector>

#include "base/app_folder.h"
#include "base/error.h"
#include "dictionary/dictionary_upgrade.h"
#include "release/release_files.h"
#include "release/staged_archive.h"
#include "release/unzip.h"

namespace ravlek {
namespace {

bool Rename(const QString& from, const QString& to) {
  return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

// Makes the folder that will hold `file`; a failure raises Error (DiskFullError when no room or
// no inode is left).
void MakeFolderFor(const QString& file) {
  const QString folder = QFileInfo(file).path();
  if (const int error = MakeFolderPath(folder)) {
    ThrowFileSystemError(
        QStringLiteral("Cannot create folder \"%1\"").arg(QDir::toNativeSeparators(folder)), error);
  }
}

// Moves every file unpacked under `unpacked` to its place under appDir, each old copy first
// moved into `backup`. On a failure everything moved so far goes back and Error is raised.
void MoveIntoPlace(const QString& unpacked, const QString& backup, const QString& appDir) {
  struct Moved {
    QString target;
    QString old;  // empty when there was no old copy
  };
  std::vector<Moved> moved;
  const auto rollBack = [&moved] {
    for (auto it = moved.rbegin(); it != moved.rend(); ++it) {
      QFile::remove(it->target);
      if (!it->old.isEmpty()) Rename(it->old, it->target);
    }
  };
  const QDir from(unpacked);
  QDirIterator files(unpacked, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString source = files.next();
    const QString relative = from.relativeFilePath(source);
    // The running starter is never written over: the program installs the new one.
    const QString target = relative == kStarterFileName
                               ? QDir(appDir).filePath(kUpgradeFolder + u'/' + relative)
                               : QDir(appDir).filePath(relative);
    Moved step{target, QString()};
    try {
      MakeFolderFor(target);
    } catch (const Error&) {
      rollBack();
      throw;
    }
    // The programs stay executable whatever the archive says (packed 0644, or without Unix
    // attributes): the two named ones always, and every file that replaces one the installed
    // release has executable, with the mode of the one it replaces (the running starter for a
    // new starter), or 0755.
    const QString replaced = QDir(appDir).filePath(relative);
    if (relative == kStarterFileName || relative == kProgramFileName ||
        (QFileInfo(replaced).isFile() && QFileInfo(replaced).isExecutable())) {
      ::chmod(QFile::encodeName(source).constData(), ExecutableModeFor(replaced));
    }
    if (QFileInfo(target).isFile()) {
      // The old copy's place mirrors the target's, so that it can always be put back.
      step.old = QDir(backup).filePath(QDir(appDir).relativeFilePath(target));
      try {
        MakeFolderFor(step.old);
      } catch (const Error&) {
        rollBack();
        throw;
      }
      if (!Rename(target, step.old)) {
        const int error = errno;
        rollBack();
        ThrowFileSystemError(
            QStringLiteral("Cannot move \"%1\" aside").arg(QDir::toNativeSeparators(target)),
            error);
      }
    }
    if (!Rename(source, target)) {
      const int error = errno;
      if (!step.old.isEmpty()) Rename(step.old, target);
      rollBack();
      ThrowFileSystemError(
          QStringLiteral("Cannot move \"%1\" into place").arg(QDir::toNativeSeparators(target)),
          error);
    }
    moved.push_back(step);
  }
}

// Whether a folder holds no file at any depth.
bool HoldsNoFile(const QString& folder) {
  QDirIterator files(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  return !files.hasNext();
}

// Flushes every folder that a move into place touched, so that the renames survive a crash.
void SyncFoldersUnder(const QString& root, const QString& appDir) {
  QDirIterator folders(root, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                       QDirIterator::Subdirectories);
  while (folders.hasNext()) {
    const QString folder = folders.next();
    SyncToDisk(folder);
    SyncToDisk(QDir(appDir).filePath(QDir(root).relativeFilePath(folder)));
  }
  SyncToDisk(root);
  SyncToDisk(appDir);
}

// Puts back every old copy that an install cut off midway moved aside, then drops the folder.
// False when one could not be put back: the folder then stays for the next try.
bool PutBackOldCopies(const QString& backup, const QString& appDir) {
  const QDir from(backup);
  QStringList olds;
  QDirIterator files(backup, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
  while (files.hasNext()) olds.append(files.next());
  bool all = true;
  for (const QString& old : olds) {
    const QString target = QDir(appDir).filePath(from.relativeFilePath(old));
    QDir().mkpath(QFileInfo(target).path());
    all = Rename(old, target) && all;
  }
  SyncFoldersUnder(backup, appDir);
  if (all) QDir(backup).removeRecursively();
  return all;
}

// Deletes the archives and their marks when the disk was full: kept, they would keep it full.
void DropForSpace(const QDir& app, const QStringList& archives, const QStringList& reasons) {
  for (const QString& archive : archives) {
    QFile::remove(archive);
    QFile::remove(ReadyMarkPath(archive));
  }
  QFile note(app.filePath(kNoSpaceNote));
  if (note.open(QIODevice::WriteOnly | QIODevice::Append))
    note.write((reasons.join(u'\n') + u'\n').toUtf8());
}

// Moves the archives and their marks out of the way and leaves the note for the program.
void SetAside(const QDir& app, const QStringList& archives, const QStringList& reasons) {
  app.mkpath(kRefusedUpdateFolder);
  for (const QString& archive : archives) {
    const QString name = QFileInfo(archive).fileName();
    const QString aside = app.filePath(kRefusedUpdateFolder + u'/' + name);
    QFile::remove(aside);
    Rename(archive, aside);
    QFile::remove(ReadyMarkPath(archive));
  }
  QFile note(app.filePath(kRefusedUpdateNote));
  if (note.open(QIODevice::WriteOnly | QIODevice::Append))
    note.write((reasons.join(u'\n') + u'\n').toUtf8());
}

}  // namespace

StarterReport InstallStagedArchives(const QString& appDir) {
  StarterReport report;
  const QDir app(appDir);
  QStringList archives;
  for (const QString& name : kStagedArchives) {
    const QString archive = app.filePath(kUpgradeFolder + u'/' + name);
    if (QFile::exists(archive)) archives.append(archive);
  }
  if (archives.isEmpty()) return report;

  const QString unpacked = app.filePath(kUnpackFolder);
  const QString backup = app.filePath(kUnpackBackupFolder);
  const QString done = app.filePath(kUnpackDoneFolder);
  // What an interrupted earlier run left. The old copies of a completed install go; those of an
  // install cut off midway are put back before anything else, never deleted first.
  QDir(done).removeRecursively();
  if (QFileInfo(backup).isDir() && !PutBackOldCopies(backup, appDir)) {
    report.failures.append(QStringLiteral("the old copies in %1 could not be put back")
                               .arg(QDir::toNativeSeparators(backup)));
    return report;
  }
  QDir(unpacked).removeRecursively();
  QStringList reasons;
  bool diskFull = false;
  try {
    for (const QString& archive : archives) {
      const QString name = QFileInfo(archive).fileName();
      QFile file(archive);
      if (!file.open(QIODevice::ReadOnly)) throw Error(name + QStringLiteral(": cannot be read"));
      const QByteArray bytes = file.readAll();
      if (!ReadyMarkMatches(archive, bytes)) {
        throw Error(name + QStringLiteral(": not verified by the program (incomplete or changed)"));
      }
      try {
        UnzipBytesToFolder(bytes, name, unpacked);
      } catch (const DiskFullError& error) {
        throw DiskFullError(name + QStringLiteral(": ") + error.message());
      } catch (const Error& error) {
        throw Error(name + QStringLiteral(": ") + error.message());
      }
    }
    // A new dictionary takes the notes the user typed into the old one (a failure refuses it).
    if (const DictionaryUpgradeReport upgraded =
            UpgradeDictionaryFile(app.filePath(QStringLiteral("Ravlek.db")),
                                  QDir(unpacked).filePath(QStringLiteral("Ravlek.db")));
        !upgraded.message.isEmpty()) {
      qInfo().noquote() << upgraded.message;
    }
    MoveIntoPlace(unpacked, backup, appDir);
    SyncFoldersUnder(unpacked, appDir);
    SyncFoldersUnder(backup, appDir);
    SyncToDisk(app.filePath(kUpgradeFolder));
  } catch (const DiskFullError& error) {
    reasons.append(error.message());
    diskFull = true;
  } catch (const Error& error) {
    reasons.append(error.message());
  }
  QDir(unpacked).removeRecursively();
  if (!reasons.isEmpty()) {
    // Everything was put back (or never moved): the old copies' folder is empty then. One that
    // still holds a copy stays, for the next start to put back.
    if (HoldsNoFile(backup)) QDir(backup).removeRecursively();
    if (diskFull) {
      DropForSpace(app, archives, reasons);
    } else {
      SetAside(app, archives, reasons);
    }
    report.failures = reasons;
    return report;
  }
  // The install is complete once its new files are on disk and the old copies' folder has its
  // other name; only then do they and the archives go.
  if (QFileInfo(backup).isDir()) {
    Rename(backup, done);
    SyncToDisk(appDir);
  }
  QDir(done).removeRecursively();
  for (const QString& archive : archives) {
    QFile::remove(archive);
    QFile::remove(ReadyMarkPath(archive));
    report.installed.append(QFileInfo(archive).fileName());
  }
  return report;
}

StarterLock::StarterLock(const QString& appDir) {
  const QByteArray path = QFile::encodeName(QDir(appDir).filePath(kStarterLockFile));
  fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

StarterLock::~StarterLock() {
  if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
}

bool CreateStartMarker(const QString& appDir, QString* reason) {
  // Always a new, empty marker: one left behind by a run that did not end normally still holds
  // that run's settings (the editor counted as started), which must not carry over.
  QFile marker(QDir(appDir).filePath(kStartMarkerFile));
  if (marker.open(QIODevice::WriteOnly | QIODevice::Truncate)) return true;
  if (reason) *reason = marker.errorString();
  return false;
}

bool StartProgram(const QString& program, const QString& appDir, QString* reason) {
  QProcess process;
  process.setProgram(program);
  process.setWorkingDirectory(appDir);
  if (process.startDetached()) return true;
  if (reason) *reason = process.errorString();
  return false;
}

}  // namespace ravlek
