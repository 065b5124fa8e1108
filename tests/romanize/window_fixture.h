#pragma once
// The real main window over a fixture dictionary, started in a temporary application folder with
// the starter's marker file. Boxes that the start-up shows (no release server runs here) are
// closed as they come up.

#include <QDir>
#include <QFile>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/ostrel.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek::test {

class StartedWindow {
 public:
  explicit StartedWindow(const FixtureDictionary& dictionary) : folder_(dictionary) {
    QFile marker(QDir(folder_.Path()).filePath(QStringLiteral("__sys_Ravlek.ini")));
    marker.open(QIODevice::WriteOnly);
    marker.close();
    previousDir_ = QDir::currentPath();
    QDir::setCurrent(folder_.Path());
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
      if (QWidget* box = QApplication::activeModalWidget()) box->close();
    });
    closer.start(20);
    window = std::make_unique<TOstrel>();
    closer.stop();
  }
  ~StartedWindow() {
    window.reset();
    QDir::setCurrent(previousDir_);
  }

  std::unique_ptr<TOstrel> window;

 private:
  FixtureAppFolder folder_;
  QString previousDir_;
};

}  // namespace ravlek::test
