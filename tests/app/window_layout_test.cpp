#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

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

// The keyboard order: the page control, then each page's controls in their designed order, then the
// two update buttons, all in one chain; Tab in a memo moves on instead of typing a tab.
TEST(WindowLayout, TabKeyFollowsTheDesignedOrder) {
  AppFolderFixture folder;
  CurrentDirGuard cwd(folder.Path());
  ModalBoxDismisser dismisser;
  TOstrel window;
  const QStringList expected = {"TntTabControl1",
                                // page 0
                                "TntEdit2", "TntDBMemo1", "TntDBMemo2", "TntEdit1_spell_Search",
                                "ComboBox1", "TntDBGrid2", "ComboBox2",
                                // page 1
                                "TntBitBtn_Spell",
                                // page 2
                                "TntMemo3", "TntMemo4", "TntButton1", "TntCheckBox1",
                                "TntCheckBox2", "TntCheckBox3", "TntCheckBox4", "TntButton5",
                                // page 3
                                "upgrade_ver_TntMemo", "ReleaseNote_TntMemo",
                                // page 4
                                "TntMemo1", "TntButton2", "TntButton3", "TntButton4", "TntMemo2",
                                // the window's own
                                "DL_TntButton", "DL_NEXTTIME_TntButton"};
  QStringList chain;
  QWidget* widget = window.TntTabControl1;
  do {
    if ((widget->focusPolicy() & Qt::TabFocus) && expected.contains(widget->objectName())) {
      chain.append(widget->objectName());
    }
    widget = widget->nextInFocusChain();
  } while (widget != window.TntTabControl1 && chain.size() <= expected.size());
  EXPECT_EQ(chain.join(u' ').toStdString(), expected.join(u' ').toStdString());

  window.show();
  QApplication::setActiveWindow(&window);
  window.SelectPage(window.TntTabSheet1);
  struct Step {
    QWidget* from;
    QWidget* to;
  };
  const Step steps[] = {{window.TntEdit2, window.TntDBMemo1},
                        {window.TntDBMemo1, window.TntDBMemo2},
                        {window.TntDBMemo2, window.TntEdit1_spell_Search}};
  for (const Step& step : steps) {
    step.from->setFocus();
    QTest::keyClick(step.from, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), step.to) << step.from->objectName().toStdString();
  }
  EXPECT_TRUE(window.TntDBMemo1->toPlainText().indexOf(u'\t') < 0);
  window.close();
}

}  // namespace
