#pragma once
// A small file system of its own for the tests of a full disk: a tmpfs of the given size (and, when
// given, with no more than `inodes` files and folders, its root among them) mounted on a temporary
// folder (this needs the right to mount, as root has), unmounted when it goes.

#include <QString>
#include <QTemporaryDir>

namespace ravlek::test {

class SmallDisk {
 public:
  explicit SmallDisk(qint64 bytes, qint64 inodes = 0);
  ~SmallDisk();
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  // False when no file system could be mounted here: the test is then skipped.
  bool mounted() const { return mounted_; }
  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& relative) const { return dir_.filePath(relative); }

 private:
  QTemporaryDir dir_;
  bool mounted_ = false;
};

}  // namespace ravlek::test
