#pragma once
// The fixture of the window tests: the real main window, started in a temporary application folder
// (the starter's marker file, a connection definition, a dictionary, installedXML/, the release
// notes and the phonetic font) against the test program's own release server, shown, with the
// boxes it shows closed and recorded. Hold one (std::unique_ptr, or on the stack), or derive a
// gtest fixture from it as well as from testing::Test.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "tests/support/app_folder_fixture.h"

class TOstrel;

namespace ravlek::test {

class ModalBoxDismisser;

class WindowInAppFolder {
 public:
  // Writes the SQLite dictionary at the path it receives.
  using DictionaryWriter = std::function<void(const QString& databasePath)>;

  // Without a writer, the folder holds a small dictionary (東 twice, 讚).
  explicit WindowInAppFolder(const DictionaryWriter& writeDictionary = {});
  ~WindowInAppFolder();
  WindowInAppFolder(const WindowInAppFolder&) = delete;
  WindowInAppFolder& operator=(const WindowInAppFolder&) = delete;

  TOstrel& window() { return *window_; }
  // The application folder, which is the current folder while the fixture lives.
  QString Path() const;
  QString AppPath(const QString& name) const;
  void WriteFile(const QString& name, const QByteArray& bytes) const;
  // Chooses a page as the user does, on its tab; returns when the page-change handler is done.
  void ChooseTab(int index);
  // The texts of the boxes shown since the start-up ended or the last ForgetBoxes(). A box that
  // asks a question (more than one button) is left to the test; a test's own ModalBoxDismisser
  // takes over while it lives.
  QStringList Boxes() const;
  void ForgetBoxes();

 protected:
  std::unique_ptr<AppFolderFixture> folder_;
  std::unique_ptr<CurrentDirGuard> inFolder_;
  std::unique_ptr<ModalBoxDismisser> boxes_;
  qsizetype boxesSeen_ = 0;
  std::unique_ptr<TOstrel> window_;
};

}  // namespace ravlek::test
