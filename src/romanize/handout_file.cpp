#include "romanize/handout_file.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/error.h"

namespace ravlek {

namespace {

// 0666 less the process's umask, which can only be read by setting it.
QFileDevice::Permissions NewFilePermissions() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  const mode_t mode = 0666 & ~mask;
  QFileDevice::Permissions permissions;
  if (mode & S_IRUSR) permissions |= QFileDevice::ReadOwner | QFileDevice::ReadUser;
  if (mode & S_IWUSR) permissions |= QFileDevice::WriteOwner | QFileDevice::WriteUser;
  if (mode & S_IRGRP) permissions |= QFileDevice::ReadGroup;
  if (mode & S_IWGRP) permissions |= QFileDevice::WriteGroup;
  if (mode & S_IROTH) permissions |= QFileDevice::ReadOther;
  if (mode & S_IWOTH) permissions |= QFileDevice::WriteOther;
  return permissions;
}

}  // namespace

QString BesidePath(const QString& path) {
  const QFileInfo info(path);
  return info.dir().filePath(
      QStringLiteral(".%1.%2.part")
          .arg(info.fileName(), QUuid::createUuid().toString(QUuid::Id128).left(8)));
}

void MoveIntoPlace(const QString& besidePath, const QString& path) {
  QFile beside(besidePath);
  const auto fail = [&](const QString& reason) {
    beside.remove();
    throw CannotCreateFileError(path, reason);
  };
  if (!beside.setPermissions(NewFilePermissions())) fail(beside.errorString());
  // rename(2) replaces an existing file in one step; QFile::rename would refuse it.
  if (::rename(QFile::encodeName(besidePath).constData(), QFile::encodeName(path).constData()) !=
      0) {
    fail(QString::fromLocal8Bit(std::strerror(errno)));
  }
}

void SaveFileAtomically(const QString& path, const QByteArray& bytes) {
  const QString besidePath = BesidePath(path);
  QFile beside(besidePath);
  if (!beside.open(QIODevice::WriteOnly | QIODevice::NewOnly))
    throw CannotCreateFileError(path, beside.errorString());
  if (beside.write(bytes) != bytes.size() || !beside.flush()) {
    const QString reason = beside.errorString();
    beside.close();
    beside.remove();
    throw CannotCreateFileError(path, reason);
  }
  beside.close();
  MoveIntoPlace(besidePath, path);
}

QString SaveFolder(const QString& lastFolder) {
  if (!lastFolder.isEmpty() && QFileInfo(lastFolder).isDir()) return lastFolder;
  const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!documents.isEmpty() && QFileInfo(documents).isDir()) return documents;
  return QDir::homePath();
}

}  // namespace ravlek
