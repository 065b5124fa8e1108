#pragma once
// Writes small ZIP archives for the tests with libzip.

#include <zip.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

namespace ravlek::testing {

struct ZipMember {
  QString name;
  QByteArray data;
  zip_int32_t method = ZIP_CM_DEFLATE;  // ZIP_CM_STORE, ZIP_CM_DEFLATE, ...
  zip_uint32_t unixMode = 0;            // type and permission bits made on Unix; 0: none recorded
  bool windowsMade = false;  // no Unix attributes at all, as zip tools on Windows write members
};

// True when the archive was written; names ending in "/" become folder entries.
inline bool WriteZip(const QString& path, const std::vector<ZipMember>& members) {
  int code = 0;
  zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) return false;
  for (const ZipMember& member : members) {
    const QByteArray name = member.name.toUtf8();
    zip_int64_t index;
    if (member.name.endsWith(u'/')) {
      index = zip_dir_add(archive, name.constData(), ZIP_FL_ENC_UTF_8);
    } else {
      zip_source_t* source = zip_source_buffer(archive, member.data.constData(),
                                               static_cast<zip_uint64_t>(member.data.size()), 0);
      index = zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
      if (index < 0) zip_source_free(source);
      if (index >= 0)
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), member.method, 0);
      if (index >= 0 && member.windowsMade)
        zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                         ZIP_OPSYS_DOS, 0x20);
      if (index >= 0 && member.unixMode != 0)
        zip_file_set_external_attributes(archive, static_cast<zip_uint64_t>(index), 0,
                                         ZIP_OPSYS_UNIX, member.unixMode << 16);
    }
    if (index < 0) {
      zip_discard(archive);
      return false;
    }
  }
  return zip_close(archive) == 0;
}

}  // namespace ravlek::testing
