#include "tests/support/window/window_in_app_folder.h"

#include <QDir>
#include <QFile>

#include "app/window/ostrel.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/own_release_server.h"

namespace ravlek::test {

WindowInAppFolder::WindowInAppFolder(
    const std::function<void(const QString& databasePath)>& writeDictionary) {
  const QDir folder(dir_.path());
  writeDictionary(folder.filePath(QStringLiteral("Ravlek.db")));
  WriteConnectionDefs(dir_.path(), QStringLiteral("Ravlek.db"));
  QFile marker(folder.filePath(QStringLiteral("__sys_Ravlek.ini")));
  marker.open(QIODevice::WriteOnly);
  marker.close();

  EnsureOwnReleaseServer();
  inFolder_ = std::make_unique<CurrentDirGuard>(dir_.path());
  ModalBoxDismisser startupBoxes;
  window_ = std::make_unique<TOstrel>(ravlek::test::OwnReleaseSettings());
}

WindowInAppFolder::~WindowInAppFolder() {
  window_.reset();
  inFolder_.reset();
}

}  // namespace ravlek::test
