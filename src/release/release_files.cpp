#include "release/release_files.h"

#include <QFile>
#include <filesystem>

namespace ravlek {
namespace {

std::filesystem::path FsPath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

bool CopyFileReplacing(const QString& from, const QString& to) {
  std::error_code error;
  const auto source = FsPath(from);
  if (!std::filesystem::is_regular_file(source, error)) return false;
  const auto target = FsPath(to);
  auto staging = target;
  staging += ".copying";
  std::filesystem::copy_file(source, staging, std::filesystem::copy_options::overwrite_existing,
                             error);
  // The copy keeps the source's mode (a starter stays executable), never setuid or setgid.
  namespace fs = std::filesystem;
  if (!error) {
    const fs::perms mode = fs::status(source, error).permissions() &
                           ~(fs::perms::set_uid | fs::perms::set_gid | fs::perms::sticky_bit);
    if (!error) fs::permissions(staging, mode, error);
  }
  if (!error) std::filesystem::rename(staging, target, error);
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(staging, ignored);
    return false;
  }
  return true;
}

void DeleteFileQuietly(const QString& path) {
  std::error_code ignored;
  std::filesystem::remove(FsPath(path), ignored);
}

qint64 FileSizeOf(const QString& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(FsPath(path), error);
  return error ? -1 : static_cast<qint64>(size);
}

}  // namespace ravlek
