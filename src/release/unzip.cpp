#include "release/unzip.h"

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

#include "app/error.h"

namespace ravlek {
namespace {

constexpr size_t kChunkSize = 1 << 20;  // members are streamed, never held whole

struct ArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct MemberCloser {
  void operator()(zip_file_t* member) const { zip_fclose(member); }
};
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

QString Native(const QString& path) {
  return QDir::toNativeSeparators(path);
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

void ExtractMember(zip_t* archive, zip_uint64_t index, const QString& name, const QString& target,
                   std::vector<char>& buffer) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive, index, 0, &stat) != 0) {
    throw Error(QStringLiteral("Cannot read the ZIP member \"%1\": %2")
                    .arg(name, QString::fromUtf8(zip_strerror(archive))));
  }
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
  std::unique_ptr<std::FILE, FileCloser> out(
      std::fopen(QFile::encodeName(target).constData(), "wb"));
  if (!out) {
    throw CannotCreateFileError(Native(target), QString::fromLocal8Bit(std::strerror(errno)));
  }
  for (;;) {
    const zip_int64_t count = zip_fread(member.get(), buffer.data(), buffer.size());
    if (count < 0) {
      throw Error(QStringLiteral("Cannot read the ZIP member \"%1\": %2")
                      .arg(name, QString::fromUtf8(zip_file_strerror(member.get()))));
    }
    if (count == 0) break;
    if (std::fwrite(buffer.data(), 1, static_cast<size_t>(count), out.get()) !=
        static_cast<size_t>(count)) {
      throw Error(QStringLiteral("Cannot write file \"%1\". %2")
                      .arg(Native(target), QString::fromLocal8Bit(std::strerror(errno))));
    }
  }
  if (std::fclose(out.release()) != 0) {
    throw Error(QStringLiteral("Cannot write file \"%1\". %2")
                    .arg(Native(target), QString::fromLocal8Bit(std::strerror(errno))));
  }
}

}  // namespace

void UnzipToFolder(const QString& archive, const QString& folder) {
  const QFileInfo info(archive);
  if (!info.isFile()) {
    throw CannotOpenFileError(Native(archive), QStringLiteral("The file does not exist"));
  }
  if (info.size() == 0) {
    throw Error(
        QStringLiteral("\"%1\" is not a ZIP archive: the file is empty").arg(Native(archive)));
  }
  int code = 0;
  std::unique_ptr<zip_t, ArchiveCloser> zip(
      zip_open(QFile::encodeName(archive).constData(), ZIP_RDONLY, &code));
  if (!zip) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString reason = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    throw Error(
        QStringLiteral("\"%1\" is not a readable ZIP archive: %2").arg(Native(archive), reason));
  }

  const zip_int64_t count = zip_get_num_entries(zip.get(), 0);
  // Every name is checked before anything of the archive is written.
  for (zip_int64_t i = 0; i < count; ++i) {
    const QString name = MemberName(zip.get(), static_cast<zip_uint64_t>(i));
    if (IsUnsafeMemberName(name)) {
      throw Error(QStringLiteral("The ZIP archive \"%1\" holds a member outside its folder: %2")
                      .arg(Native(archive), name));
    }
  }

  std::vector<char> buffer(kChunkSize);
  QString lastFolder;
  for (zip_int64_t i = 0; i < count; ++i) {
    const auto index = static_cast<zip_uint64_t>(i);
    const QString name = MemberName(zip.get(), index);
    if (name.isEmpty()) continue;
    const QString target = folder + u'/' + name;
    const bool folderEntry = name.endsWith(u'/');
    const QString memberFolder = folderEntry ? target : QFileInfo(target).path();
    if (memberFolder != lastFolder) {
      QDir().mkpath(memberFolder);
      lastFolder = memberFolder;
    }
    if (folderEntry) continue;
    ExtractMember(zip.get(), index, name, target, buffer);
  }
}

}  // namespace ravlek
