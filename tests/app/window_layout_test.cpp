#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include "app/design_units.h"
#include "app/ostrel.h"
#include "tests/support/app_folder_fixture.h"

namespace {

using ravlek::test::AppFolderFixture;
using ravlek::test::CurrentDirGuard;
using ravlek::test::ModalBoxDismisser;

TEST(DesignUnits, ScaleFromTheDesignDensity) {
  const ravlek::DesignUnits at96(96.0 / 120.0);
  EXPECT_EQ(at96.Px(1165), 932);
  EXPECT_EQ(at96.Px(647), 518);
  EXPECT_EQ(at96.Font(QStringLiteral("細明體"), 20).pixelSize(), 16);
  EXPECT_EQ(at96.Rect(7, -5, 1151, 636), QRect(6, -4, 921, 509));
}

TEST(WindowLayout, ControlsCarryTheirNamesAndDesignedPlaces) {
  AppFolderFixture folder;
  CurrentDirGuard cwd(folder.Path());
  ModalBoxDismisser dismisser;
  TOstrel window;
  const ravlek::DesignUnits units;

  EXPECT_EQ(window.size(), QSize(units.Px(1165), units.Px(647)));
  const char* names[] = {"TntTabControl1",
                         "TntEdit2",
                         "TntEdit1_spell_Search",
                         "ComboBox1",
                         "ComboBox2",
                         "TntDBGrid2",
                         "TntDBMemo1",
                         "TntDBMemo2",
                         "Image1",
                         "TntImage1",
                         "TntBitBtn_Spell",
                         "TntMemo3",
                         "TntMemo4",
                         "TntMemo1",
                         "TntMemo2",
                         "TntStatusBar1",
                         "system_ver",
                         "database_ver",
                         "DL_upgrade_TntProgressBar",
                         "A_WebBrowser",
                         "D_WebBrowser",
                         "DL_TntButton",
                         "DL_NEXTTIME_TntButton"};
  for (const char* name : names) {
    EXPECT_NE(window.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
  }
  EXPECT_EQ(window.TntEdit2->geometry(), units.Rect(127, 3, 90, 28));
  EXPECT_EQ(window.TntEdit2->placeholderText(), QStringLiteral("Null全查"));
  EXPECT_EQ(window.DL_TntButton->parentWidget(), &window);
  EXPECT_EQ(window.DL_TntButton->geometry(), units.Rect(746, 329, 145, 34));
  EXPECT_EQ(window.TntTabControl1->indexOf(window.TntTabSheet9), 8);
}

}  // namespace
