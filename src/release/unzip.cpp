#include "release/unzip.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "base/error.h"
#include "release/release_files.h"

namespace ravlek {
namespace {

constexpr size_t kChunkSize = 1 << 20;  // members are streamed, never held whole

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
  void operator()(zip_file_t* member) const { zip_fclose(member); }
};

QString Native(const QString& path) {
  return QDir::toNativeSeparators(path);
}

bool IsDiskFull(int error) {
  return error == ENOSPC || error == EDQUOT;
}

QString SystemReason() {
  return QString::fromLocal8Bit(std::strerror(errno));
}

// A member may only land inside the destination: no absolute name, no drive, no "..".
bool IsUnsafeMemberName(const QString& name) {
  if (name.startsWith(u'/') || name.startsWith(u'\\')) return true;
  static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
  if (drive.match(name).hasMatch()) return true;
  static const QRegularExpression separators(QStringLiteral("[/\\\\]"));
  for (const QString& part : name.split(separators)) {
    if (part == QStringLiteral("..")) return true;
  }
  return false;
}

QString MemberName(zip_t* archive, zip_uint64_t index) {
  const char* raw = zip_get_name(archive, index, ZIP_FL_ENC_RAW);
  return raw ? QString::fromUtf8(raw) : QString();
}

// The Unix mode of a member, 0 when the archive was not made on Unix.
mode_t UnixMode(zip_t* archive, zip_uint64_t index) {
  zip_uint8_t system = 0;
  zip_uint32_t attributes = 0;
  if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0) return 0;
  return system == ZIP_OPSYS_UNIX ? static_cast<mode_t>(attributes >> 16) : 0;
}

zip_stat_t StatMember(zip_t* archive, zip_uint64_t index, const QString& name) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive, index, 0, &stat) != 0) {
    throw Error(QStringLiteral("Cannot read the ZIP member \"%1\": %2")
                    .arg(name, QString::fromUtf8(zip_strerror(archive))));
  }
  return stat;
}

Error BeyondLimits(const QString& archive, const QString& name) {
  return Error(
      QStringLiteral("The ZIP archive \"%1\" unpacks to more than it may: %2").arg(archive, name));
}

// What the archive's own sizes tell before anything is written.
void CheckDeclaredSizes(const zip_stat_t& stat, const UnzipLimits& limits, std::uint64_t& total,
                        const QString& archive, const QString& name) {
  if (!(stat.valid & ZIP_STAT_SIZE)) return;
  total += stat.size;
  const bool memberTooBig = limits.memberBytes && stat.size > limits.memberBytes;
  const bool allTooBig = limits.totalBytes && total > limits.totalBytes;
  const bool ratioTooHigh = limits.ratio && (stat.valid & ZIP_STAT_COMP_SIZE) &&
                            stat.size > limits.ratio * std::max<std::uint64_t>(stat.comp_size, 1);
  if (memberTooBig || allTooBig || ratioTooHigh) throw BeyondLimits(archive, name);
}

// Writes one member beside its target and renames it over the target.
void ExtractMember(zip_t* archive, zip_uint64_t index, const QString& name, const QString& target,
                   bool executable, const UnzipLimits& limits, std::uint64_t& written,
                   const QString& shownArchive, std::vector<char>& buffer) {
  const zip_stat_t stat = StatMember(archive, index, name);
  if ((stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method != ZIP_CM_STORE &&
      stat.comp_method != ZIP_CM_DEFLATE) {
    throw Error(QStringLiteral("Unsupported compression method %1 of the ZIP member \"%2\"")
                    .arg(stat.comp_method)
                    .arg(name));
  }
  if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE) {
    throw Error(QStringLiteral("The ZIP member \"%1\" is encrypted").arg(name));
  }
  std::unique_ptr<zip_file_t, MemberCloser> member(zip_fopen_index(archive, index, 0));
  if (!member) {
    throw Error(QStringLiteral("Cannot read the ZIP member \"%1\": %2")
                    .arg(name, QString::fromUtf8(zip_strerror(archive))));
  }
  if (QFileInfo(target).isDir()) {
    throw CannotCreateFileError(Native(target), QStringLiteral("It is a folder"));
  }
  const QString fresh = target + QStringLiteral(".unzip-new");
  const QByteArray freshName = QFile::encodeName(fresh);
  // Always a new file, so that its mode is the one asked for here less the umask, whatever an
  // earlier, interrupted run left under this name.
  ::unlink(freshName.constData());
  const int out = ::open(freshName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                         executable ? 0777 : 0666);
  if (out < 0 && IsDiskFull(errno))
    throw DiskFullError(CannotCreateFileError(Native(target), SystemReason()).message());
  if (out < 0) throw CannotCreateFileError(Native(target), SystemReason());
  struct Cleanup {
    int fd;
    const QByteArray& name;
    bool done = false;
    ~Cleanup() {
      if (fd >= 0) ::close(fd);
      if (!done) ::unlink(name.constData());
    }
  } cleanup{out, freshName};

  const auto writeFailed = [&]() -> Error {
    const QString message =
        QStringLiteral("Cannot write file \"%1\". %2").arg(Native(target), SystemReason());
    if (IsDiskFull(errno)) throw DiskFullError(message);
    return Error(message);
  };
  std::uint64_t memberBytes = 0;
  for (;;) {
    const zip_int64_t count = zip_fread(member.get(), buffer.data(), buffer.size());
    if (count < 0) {
      throw Error(QStringLiteral("Cannot read the ZIP member \"%1\": %2")
                      .arg(name, QString::fromUtf8(zip_file_strerror(member.get()))));
    }
    if (count == 0) break;
    // The archive's sizes may lie: what actually comes out counts as well.
    memberBytes += static_cast<std::uint64_t>(count);
    written += static_cast<std::uint64_t>(count);
    if ((limits.memberBytes && memberBytes > limits.memberBytes) ||
        (limits.totalBytes && written > limits.totalBytes)) {
      throw BeyondLimits(shownArchive, name);
    }
    const char* data = buffer.data();
    size_t left = static_cast<size_t>(count);
    while (left > 0) {
      const ssize_t done = ::write(out, data, left);
      if (done < 0) {
        if (errno == EINTR) continue;
        throw writeFailed();
      }
      data += done;
      left -= static_cast<size_t>(done);
    }
  }
  // The data reaches the disk before the file is renamed into place.
  if (::fsync(out) != 0) throw writeFailed();
  const int closing = ::close(out);
  cleanup.fd = -1;
  if (closing != 0) throw writeFailed();
  if (::rename(freshName.constData(), QFile::encodeName(target).constData()) != 0)
    throw CannotCreateFileError(Native(target), SystemReason());
  cleanup.done = true;
}

}  // namespace

UnzipLimits PackageUnzipLimits() {
  return {100ull * 1024 * 1024, 1024ull * 1024 * 1024, 200};
}

void UnzipToFolder(const QString& archive, const QString& folder, const UnzipLimits& limits) {
  const QFileInfo info(archive);
  if (!info.isFile()) {
    throw CannotOpenFileError(Native(archive), QStringLiteral("The file does not exist"));
  }
  QFile file(archive);
  if (!file.open(QIODevice::ReadOnly))
    throw CannotOpenFileError(Native(archive), file.errorString());
  // One copy in memory: the file itself may be replaced by a member.
  const QByteArray bytes = file.readAll();
  file.close();
  UnzipBytesToFolder(bytes, Native(archive), folder, limits);
}

void UnzipBytesToFolder(const QByteArray& bytes, const QString& shownName, const QString& folder,
                        const UnzipLimits& limits) {
  if (bytes.isEmpty()) {
    throw Error(QStringLiteral("\"%1\" is not a ZIP archive: the file is empty").arg(shownName));
  }
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* source = zip_source_buffer_create(
      bytes.constData(), static_cast<zip_uint64_t>(bytes.size()), 0, &error);
  zip_t* opened = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
  if (!opened) {
    if (source) zip_source_free(source);
    const QString reason = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    throw Error(QStringLiteral("\"%1\" is not a readable ZIP archive: %2").arg(shownName, reason));
  }
  zip_error_fini(&error);
  std::unique_ptr<zip_t, ArchiveCloser> zip(opened);

  const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
  // Every member is checked before anything of the archive is written.
  std::uint64_t declared = 0;
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    const QString name = MemberName(zip.get(), index);
    if (IsUnsafeMemberName(name) || S_ISLNK(UnixMode(zip.get(), index))) {
      throw Error(QStringLiteral("The ZIP archive \"%1\" holds a member outside its folder: %2")
                      .arg(shownName, name));
    }
    CheckDeclaredSizes(StatMember(zip.get(), index, name), limits, declared, shownName, name);
  }

  std::vector<char> buffer(kChunkSize);
  std::uint64_t written = 0;
  QString lastFolder;
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    const QString name = MemberName(zip.get(), index);
    if (name.isEmpty()) continue;
    const QString target = folder + u'/' + name;
    const bool folderEntry = name.endsWith(u'/');
    const QString memberFolder = folderEntry ? target : QFileInfo(target).path();
    if (memberFolder != lastFolder) {
      // A folder that cannot be made is told with its cause: no room (or no inode) left is a
      // full disk, not a file that cannot be created.
      if (const int error = MakeFolderPath(memberFolder)) {
        ThrowFileSystemError(
            QStringLiteral("Cannot create folder \"%1\"").arg(Native(memberFolder)), error);
      }
      lastFolder = memberFolder;
    }
    if (folderEntry) continue;
    const bool executable = (UnixMode(zip.get(), index) & S_IXUSR) != 0;
    ExtractMember(zip.get(), index, name, target, executable, limits, written, shownName, buffer);
  }
}

}  // namespace ravlek
