// The annotation-editor launcher: once per run, a reminder afterwards.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTest>

#include "app/window/editor_launcher.h"
#include "app/window/ostrel.h"
#include "base/profile.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek::test {
namespace {

class EditorLauncher : public testing::Test, public WindowInAppFolder {
 protected:
  void SetUp() override {
    ASSERT_FALSE(window_->Terminated());
    // A stand-in editor that notes each start and the folder it was started in.
    WriteFile("Ravlek_Spell", "#!/bin/sh\npwd >> started.txt\n");
    QFile::setPermissions(AppPath("Ravlek_Spell"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  void Press() { QTest::mouseClick(window_->editorPage()->TntBitBtn_Spell, Qt::LeftButton); }

  // The folders of the editor's starts, waiting until `expected` have been noted.
  QStringList Starts(int expected, int waitMs = 5000) {
    QElapsedTimer waited;
    waited.start();
    QStringList starts;
    do {
      ProcessMessagesFor(20);
      QFile file(AppPath("started.txt"));
      starts = file.open(QIODevice::ReadOnly)
                   ? QString::fromLocal8Bit(file.readAll()).split('\n', Qt::SkipEmptyParts)
                   : QStringList();
    } while (starts.size() < expected && waited.elapsed() < waitMs);
    return starts;
  }

  int LauncherId() {
    return ReadProfileInt(AppPath("__sys_Ravlek.ini"), "RavlekSYS", "Luncher_ID", 1);
  }
};

TEST_F(EditorLauncher, TheFirstPressShowsTheUsageThenStartsTheEditorOnce) {
  Press();
  EXPECT_EQ(Boxes(), QStringList{EditorUsageNotice()});
  EXPECT_EQ(EditorUsageNotice().count("\r\n"), 3);
  EXPECT_FALSE(EditorUsageNotice().endsWith("\r\n"));
  EXPECT_EQ(LauncherId(), 2);
  EXPECT_EQ(Starts(1), QStringList{QDir(folder_->Path()).canonicalPath()});

  ForgetBoxes();
  Press();
  EXPECT_EQ(Boxes(), QStringList{EditorAlreadyOpenNotice()});
  EXPECT_EQ(EditorAlreadyOpenNotice().count("\r\n"), 1);
  EXPECT_EQ(Starts(2, 300).size(), 1);
  EXPECT_EQ(LauncherId(), 2);
}

TEST_F(EditorLauncher, ANonNumericMarkCountsAsNotStarted) {
  WriteFile("__sys_Ravlek.ini", "[RavlekSYS]\nLuncher_ID=two\n");
  Press();
  EXPECT_EQ(Boxes(), QStringList{EditorUsageNotice()});
  EXPECT_EQ(LauncherId(), 2);
  EXPECT_EQ(Starts(1).size(), 1);
}

TEST_F(EditorLauncher, AMissingEditorIsNotReportedAndCountsAsStarted) {
  QFile::remove(AppPath("Ravlek_Spell"));
  Press();
  EXPECT_EQ(Boxes(), QStringList{EditorUsageNotice()});
  ForgetBoxes();
  Press();
  EXPECT_EQ(Boxes(), QStringList{EditorAlreadyOpenNotice()});
}

TEST_F(EditorLauncher, AnUnwritableMarkerIsReportedAndNothingStarts) {
  // A folder in the marker's place cannot be written, whatever the user's rights.
  QFile::remove(AppPath("__sys_Ravlek.ini"));
  QDir(folder_->Path()).mkdir("__sys_Ravlek.ini");
  Press();
  EXPECT_EQ(Boxes(),
            QStringList{QString("Unable to write to %1.").arg(AppPath("__sys_Ravlek.ini"))});
  EXPECT_TRUE(Starts(1, 300).isEmpty());
}

}  // namespace
}  // namespace ravlek::test
