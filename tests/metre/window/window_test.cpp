// 格律檢查 on the conversion page of the real window (offscreen): the button beside the designed
// controls, and the checked poem in its own window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>

#include "app/window/ostrel.h"
#include "build_paths.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/press_button.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureRow Row(const QString& word, const QString& spell, const QString& ptype) {
  return {{u"HanWord"_s, word}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
}

class MetrePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>([](const QString& path) {
      test::FixtureDictionary dictionary;
      dictionary.ravlekRows = {Row(u"開"_s, u"khai1"_s, u"文"_s)};
      test::WriteFixtureDictionary(path, dictionary);
    });
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    ASSERT_NE(w->Metre_TntButton, nullptr);
    w->show();
    w->TntTabControl1->setCurrentWidget(w->TntTabSheet3);
    QApplication::processEvents();
  }
  void CopyTables() {
    for (const QString& table : {u"pingshui_groups.tsv"_s, u"pingshui_variants.tsv"_s}) {
      ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/") + table,
                              QDir::current().filePath(table)));
    }
  }
  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

TEST_F(MetrePageTest, ButtonSitsInTheFreePlaceOfTheButtonRow) {
  const QRect button = w->Metre_TntButton->geometry();
  EXPECT_EQ(w->Metre_TntButton->text(), u"格律檢查"_s);
  EXPECT_EQ(button.top(), w->TntButton5->geometry().top());
  for (const QWidget* designed :
       {static_cast<QWidget*>(w->TntButton5), static_cast<QWidget*>(w->RubyExport_TntButton),
        static_cast<QWidget*>(w->TntCheckBox2), static_cast<QWidget*>(w->TntButton1)}) {
    EXPECT_FALSE(button.intersects(designed->geometry())) << designed->objectName().toStdString();
  }
}

TEST_F(MetrePageTest, ShowsTonesRhymesAndFaultsOfThePoem) {
  CopyTables();
  w->TntMemo3->setPlainText(u"國破山河在，城春草木深。\n感時花開淚，恨別鳥驚心。\n"_s);
  test::PressOnItsPage(*w, w->Metre_TntButton);
  ASSERT_NE(w->Metre_Form, nullptr);
  EXPECT_TRUE(w->Metre_Form->isVisible());
  const QString text = w->Metre_TntMemo->toPlainText();
  EXPECT_TRUE(text.contains(u"五言絕句"_s)) << text.toStdString();
  EXPECT_TRUE(text.contains(u"韻 下平十二侵"_s));
  EXPECT_TRUE(text.contains(u"第3句第4字「開」犯律"_s));
  // Tone by symbol as well as colour: 開 is 平 where the pattern wants 仄.
  EXPECT_TRUE(text.contains(u"○平"_s));
  EXPECT_TRUE(text.contains(u"●仄"_s));
  EXPECT_TRUE(text.contains(u"○平◎"_s));
  // The input and the designed output are left alone.
  EXPECT_TRUE(w->TntMemo4->toPlainText().isEmpty());
}

// Its designed 640 px where the screen has room, else no taller than the screen shows with a
// title bar (ctest runs this at 144 dpi too, where the offscreen screen is 533 px tall).
TEST_F(MetrePageTest, TheWindowFitsTheScreen) {
  CopyTables();
  w->TntMemo3->setPlainText(u"國破山河在，城春草木深。"_s);
  test::PressOnItsPage(*w, w->Metre_TntButton);
  ASSERT_NE(w->Metre_Form, nullptr);
  const QRect available = w->Metre_Form->screen()->availableGeometry();
  const int titleBar = w->Metre_Form->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  EXPECT_LE(w->Metre_Form->height() + titleBar, available.height());
  EXPECT_LE(w->Metre_Form->width(), available.width());
  if (available.height() >= 640 + 2 * titleBar) {
    EXPECT_EQ(w->Metre_Form->height(), 640);
  }
}

TEST_F(MetrePageTest, MissingTablesAreReportedNotChecked) {
  w->TntMemo3->setPlainText(u"國破山河在，城春草木深。"_s);
  test::ModalBoxDismisser dismisser;
  test::PressOnItsPage(*w, w->Metre_TntButton);
  const QString shown = dismisser.Texts().join(u'\n');
  EXPECT_TRUE(shown.contains(u"pingshui_groups.tsv"_s)) << shown.toStdString();
  EXPECT_EQ(w->Metre_Form, nullptr);
}

}  // namespace
}  // namespace ravlek
