#pragma once
// Temporary application folders for tests of the window and the starter, and the current-directory
// guard.

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace ravlek::test {

// A temporary application folder laid out like the installed one: FDConnectionDefs.ini naming a
// small SQLite dictionary, installedXML/, ReleaseNote.txt, TSU.ttf, the phrase files; with or
// without the marker.
class AppFolderFixture {
 public:
  struct Options {
    bool marker = true;
    bool connectionDefs = true;
    bool database = true;
  };
  AppFolderFixture();
  explicit AppFolderFixture(const Options& options);

  QString Path() const { return dir_.path(); }
  QString FilePath(const QString& relative) const { return dir_.filePath(relative); }
  bool Exists(const QString& relative) const;
  void WriteMarker() const;
  void WriteFile(const QString& relative, const QByteArray& content) const;

 private:
  QTemporaryDir dir_;
};

// Makes a folder the current directory for its lifetime.
class CurrentDirGuard {
 public:
  explicit CurrentDirGuard(const QString& folder);
  ~CurrentDirGuard();
  CurrentDirGuard(const CurrentDirGuard&) = delete;
  CurrentDirGuard& operator=(const CurrentDirGuard&) = delete;

 private:
  QString previous_;
};

}  // namespace ravlek::test
