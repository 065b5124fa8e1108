#include "tests/support/window_in_app_folder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

#include "app/ostrel.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek::test {

WindowInAppFolder::WindowInAppFolder(
    const std::function<void(const QString& databasePath)>& writeDictionary) {
  const QDir folder(dir_.path());
  writeDictionary(folder.filePath(QStringLiteral("Ravlek.db")));
  WriteConnectionDefs(dir_.path(), QStringLiteral("Ravlek.db"));
  QFile marker(folder.filePath(QStringLiteral("__sys_Ravlek.ini")));
  marker.open(QIODevice::WriteOnly);
  marker.close();

  previousDir_ = QDir::currentPath();
  QDir::setCurrent(dir_.path());
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    if (QWidget* box = QApplication::activeModalWidget()) box->close();
  });
  closer.start(20);
  window_ = std::make_unique<TOstrel>();
  closer.stop();
}

WindowInAppFolder::~WindowInAppFolder() {
  window_.reset();
  QDir::setCurrent(previousDir_);
}

}  // namespace ravlek::test
