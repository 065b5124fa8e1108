#include "window_fixture.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/messages.h"

namespace ravlek::test {

BoxCloser::BoxCloser() {
  timer_.setInterval(10);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    QWidget* box = QApplication::activeModalWidget();
    if (box == nullptr || !box->isVisible()) return;
    auto* message = qobject_cast<QMessageBox*>(box);
    texts_ << (message != nullptr ? message->text() : box->windowTitle());
    box->close();
  });
  timer_.start();
}

void WindowFixture::SetUp() {
  ASSERT_TRUE(folder_.isValid());
  // The sample dictionary of the built application folder; settings and pages are our own.
  const QDir built(QStringLiteral(RAVLEK_DEFAULT_APP_DIR));
  QFile::copy(built.filePath("Ravlek.db"), AppPath("Ravlek.db"));
  if (!QFile::exists(AppPath("Ravlek.db"))) GTEST_SKIP() << "build the application folder first";
  WriteFile("FDConnectionDefs.ini", "[Connect_RavlekDB]\nDriverID=SQLite\nDatabase=Ravlek.db\n");
  WriteFile("__sys_Ravlek.ini", "[RavlekSYS]\n");
  previousFolder_ = QDir::currentPath();
  QDir::setCurrent(folder_.path());
  boxes_ = std::make_unique<BoxCloser>();
  window_ = std::make_unique<TOstrel>();
  ASSERT_FALSE(window_->Terminated());
  window_->show();
  QApplication::processEvents();
  // The start-up may have unpacked pages of a release server: the tests use their own.
  QDir(AppPath("last_release_XML")).removeRecursively();
  QDir(folder_.path()).mkdir("last_release_XML");
  boxes_->clear();
}

void WindowFixture::TearDown() {
  window_.reset();
  boxes_.reset();
  if (!previousFolder_.isEmpty()) QDir::setCurrent(previousFolder_);
}

void WindowFixture::WriteFile(const QString& name, const QByteArray& bytes) const {
  QFile file(AppPath(name));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << name.toStdString();
  file.write(bytes);
}

void WindowFixture::ChooseTab(int index) {
  QTabBar* bar = window_->TntTabControl1->tabBar();
  const QRect tab = bar->tabRect(index);
  ASSERT_TRUE(bar->rect().contains(tab.center())) << "tab " << index << " is not on the bar";
  // The click's handler runs to its end before the click returns: waits inside it pump messages.
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, tab.center());
}

}  // namespace ravlek::test
