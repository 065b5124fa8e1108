#include "release/release_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/error.h"

namespace ravlek {
namespace {

std::filesystem::path FsPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

namespace fs = std::filesystem;

// Copies `from` beside `to`, gives the copy `mode` and renames it over `to`.
bool CopyWithMode(const QString& from, const QString& to, std::optional<fs::perms> mode) {
  std::error_code error;
  const auto source = FsPath(from);
  if (!std::filesystem::is_regular_file(source, error)) return false;
  const auto target = FsPath(to);
  auto staging = target;
  staging += ".copying";
  std::filesystem::copy_file(source, staging, std::filesystem::copy_options::overwrite_existing,
                             error);
  if (!error) SyncToDisk(QFile::decodeName(staging.c_str()));
  // Without a mode the copy keeps the source's, never setuid or setgid.
  if (!error && !mode) {
    mode = fs::status(source, error).permissions() &
           ~(fs::perms::set_uid | fs::perms::set_gid | fs::perms::sticky_bit);
  }
  if (!error) fs::permissions(staging, *mode, error);
  if (!error) std::filesystem::rename(staging, target, error);
  if (!error) SyncToDisk(QFileInfo(to).absolutePath());
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(staging, ignored);
    return false;
  }
  return true;
}

}  // namespace

bool CopyFileReplacing(const QString& from, const QString& to) {
  return CopyWithMode(from, to, std::nullopt);
}

unsigned ExecutableModeFor(const QString& target) {
  struct stat now;
  if (::stat(QFile::encodeName(target).constData(), &now) != 0 || !S_ISREG(now.st_mode))
    return 0755;
  return (now.st_mode & 0777) | S_IXUSR;
}

bool CopyExecutableReplacing(const QString& from, const QString& to) {
  return CopyWithMode(from, to, static_cast<fs::perms>(ExecutableModeFor(to)));
}

void DeleteFileQuietly(const QString& path) {
  std::error_code ignored;
  std::filesystem::remove(FsPath(path), ignored);
}

bool SyncToDisk(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  errno = error;
  return synced;
}

bool WriteFileDurably(const QString& path, const QByteArray& bytes) {
  const QString partial = path + QStringLiteral(".part");
  const QByteArray name = QFile::encodeName(partial);
  const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  qsizetype done = 0;
  while (done < bytes.size()) {
    const ssize_t wrote =
        ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) break;
    done += wrote;
  }
  bool ok = done == bytes.size() && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && RenameDurably(partial, path)) return true;
  if (ok) error = errno;
  ::unlink(name.constData());
  errno = error;
  return false;
}

bool RenameDurably(const QString& from, const QString& to) {
  if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
    return false;
  SyncToDisk(QFileInfo(to).absolutePath());
  return true;
}

qint64 FileSizeOf(const QString& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(FsPath(path), error);
  return error ? -1 : static_cast<qint64>(size);
}

}  // namespace ravlek

namespace ravlek {

int MakeFolderPath(const QString& path) {
  const QFileInfo info(path);
  if (info.isDir()) return 0;
  const QString parent = QFileInfo(info.absoluteFilePath()).path();
  if (parent != info.absoluteFilePath()) {
    if (const int error = MakeFolderPath(parent)) return error;
  }
  if (::mkdir(QFile::encodeName(path).constData(), 0777) == 0) return 0;
  const int error = errno;
  if (error == EEXIST) return QFileInfo(path).isDir() ? 0 : ENOTDIR;
  return error;
}

void ThrowFileSystemError(const QString& what, int error) {
  const QString message =
      what + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
  if (error == ENOSPC || error == EDQUOT) throw DiskFullError(message);
  throw Error(message);
}

}  // namespace ravlek
