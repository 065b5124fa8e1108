#include "tests/support/window/window_in_app_folder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app/window/ostrel.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/own_release_server.h"

namespace ravlek::test {

WindowInAppFolder::WindowInAppFolder(const DictionaryWriter& writeDictionary) {
  AppFolderFixture::Options options;
  options.database = !writeDictionary;
  folder_ = std::make_unique<AppFolderFixture>(options);
  if (writeDictionary) writeDictionary(AppPath(QStringLiteral("Ravlek.db")));
  inFolder_ = std::make_unique<CurrentDirGuard>(folder_->Path());
  boxes_ = std::make_unique<ModalBoxDismisser>(10, ModalBoxDismisser::Closes::TellingOnly);
  window_ = std::make_unique<TOstrel>(OwnReleaseSettings());
  EXPECT_FALSE(window_->Terminated())
      << "the window ended its start-up: " << boxes_->Texts().join(u" | ").toStdString();
  window_->show();
  QApplication::processEvents();
  window_->WaitForStartupFetches();
  // The start-up may have unpacked the pages of a release server: the tests use their own.
  QDir(AppPath(QStringLiteral("last_release_XML"))).removeRecursively();
  QDir(folder_->Path()).mkdir(QStringLiteral("last_release_XML"));
  ForgetBoxes();
}

WindowInAppFolder::~WindowInAppFolder() {
  window_.reset();
  boxes_.reset();
  inFolder_.reset();
  folder_.reset();
}

QString WindowInAppFolder::Path() const {
  return folder_->Path();
}

QString WindowInAppFolder::AppPath(const QString& name) const {
  return folder_->FilePath(name);
}

void WindowInAppFolder::WriteFile(const QString& name, const QByteArray& bytes) const {
  folder_->WriteFile(name, bytes);
}

void WindowInAppFolder::ChooseTab(int index) {
  QTabBar* bar = window_->TntTabControl1->tabBar();
  const QRect tab = bar->tabRect(index);
  ASSERT_TRUE(bar->rect().contains(tab.center())) << "tab " << index << " is not on the bar";
  QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, tab.center());
}

QStringList WindowInAppFolder::Boxes() const {
  return boxes_->Texts().mid(boxesSeen_);
}

void WindowInAppFolder::ForgetBoxes() {
  boxesSeen_ = boxes_->Texts().size();
}

}  // namespace ravlek::test
