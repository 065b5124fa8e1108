#pragma once
// The real main window, started in a temporary application folder that holds the starter's
// marker file, a connection definition and a dictionary, against the test program's own release
// server. Boxes that the start-up shows are closed as they come up.

#include <QString>
#include <QTemporaryDir>
#include <functional>
#include <memory>

class TOstrel;

namespace ravlek::test {

class CurrentDirGuard;

class WindowInAppFolder {
 public:
  // `writeDictionary` creates the SQLite dictionary at the path it receives.
  explicit WindowInAppFolder(
      const std::function<void(const QString& databasePath)>& writeDictionary);
  ~WindowInAppFolder();
  WindowInAppFolder(const WindowInAppFolder&) = delete;
  WindowInAppFolder& operator=(const WindowInAppFolder&) = delete;

  TOstrel& window() { return *window_; }

 private:
  QTemporaryDir dir_;
  std::unique_ptr<CurrentDirGuard> inFolder_;
  std::unique_ptr<TOstrel> window_;
};

}  // namespace ravlek::test
