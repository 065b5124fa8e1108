#include "tests/support/small_disk.h"

#include <sys/mount.h>

#include <QFile>

namespace ravlek::test {

SmallDisk::SmallDisk(qint64 bytes, qint64 inodes) {
  QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
  if (inodes > 0) options += ",nr_inodes=" + QByteArray::number(inodes);
  mounted_ = ::mount("tmpfs", QFile::encodeName(dir_.path()).constData(), "tmpfs", 0,
                     options.constData()) == 0;
}

SmallDisk::~SmallDisk() {
  if (mounted_) ::umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
}

}  // namespace ravlek::test
