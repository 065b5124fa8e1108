#pragma once
// Temporary application folders for tests of the window and the starter, the current-directory
// guard, and a dismisser of modal message boxes that records what they said.

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

namespace ravlek::test {

// Sets the environment that window tests run in (offscreen platform, WebEngine without sandbox)
// and points the release steps at the program's own release server; call before the
// QApplication is created.
void PrepareWindowTestEnvironment();

// A temporary application folder laid out like the installed one: FDConnectionDefs.ini naming a
// small SQLite dictionary, installedXML/, ReleaseNote.txt, TSU.ttf; with or without the marker.
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

// While it lives, closes every modal message box shortly after it appears (as the user would by
// pressing OK) and records the box's caption and text.
class ModalBoxDismisser : public QObject {
 public:
  explicit ModalBoxDismisser(int delayMs = 10);
  struct Box {
    QString caption;
    QString text;
    bool errorIcon;
    bool plainText;  // the text is shown as written, never as markup
  };
  const QList<Box>& Boxes() const { return boxes_; }
  QStringList Texts() const;

 private:
  void Poll();
  QTimer timer_;
  QList<Box> boxes_;
  QObject* pending_ = nullptr;
  int delayMs_;
  int seenFor_ = 0;
};

}  // namespace ravlek::test
