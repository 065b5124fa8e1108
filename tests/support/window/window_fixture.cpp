#include "tests/support/window/window_fixture.h"
#include "tests/support/window/own_release_server.h"

#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

namespace ravlek::test {

void WindowFixture::SetUp() {
  folder_ = std::make_unique<AppFolderFixture>();
  inFolder_ = std::make_unique<CurrentDirGuard>(folder_->Path());
  boxes_ = std::make_unique<ModalBoxDismisser>();
  window_ = std::make_unique<TOstrel>(ravlek::test::OwnReleaseSettings());
  ASSERT_FALSE(window_->Terminated());
  window_->show();
  QApplication::processEvents();
  // The start-up may have unpacked the pages of a release server: the tests use their own.
  QDir(AppPath("last_release_XML")).removeRecursively();
  QDir(folder_->Path()).mkdir("last_release_XML");
  ForgetBoxes();
}

void WindowFixture::TearDown() {
  window_.reset();
  boxes_.reset();
  inFolder_.reset();
  folder_.reset();
}

void WindowFixture::WriteFile(const QString& name, const QByteArray& bytes) const {
  folder_->WriteFile(name, bytes);
}

void WindowFixture::ChooseTab(int index) {
  QTabBar* bar = window_->TntTabControl1->tabBar();
  const QRect tab = bar->tabRect(index);
  ASSERT_TRUE(bar->rect().contains(tab.center())) << "tab " << index << " is not on the bar";
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, tab.center());
}

}  // namespace ravlek::test
