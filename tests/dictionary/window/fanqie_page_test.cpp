// The fanqie page of the real window (offscreen): the sample, the extraction's output lines.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBlock>

#include "app/window/ostrel.h"
#include "dictionary/window/fanqie_page.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/window/press_button.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureDictionary PageDictionary() {
  test::FixtureDictionary dictionary;
  dictionary.baseWords = {{u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}, {u"租"_s, u"tsoo1"_s}};
  dictionary.baseWordsPlus = {{u"全"_s, u"tsuan5"_s}, {u"縣"_s, u"hian7"_s}};
  return dictionary;
}

QStringList OutputLines(QPlainTextEdit* field) {
  QStringList lines;
  for (QTextBlock block = field->document()->begin(); block.isValid(); block = block.next())
    lines.append(block.text());
  return lines;
}

class FanqiePageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>(
        [](const QString& path) { test::WriteFixtureDictionary(path, PageDictionary()); });
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    // Every control the tests use must be there: a missing one is a fault, not a reason to skip.
    const QWidget* controls[] = {w->fanqiePage()->TntMemo1, w->fanqiePage()->TntMemo2,
                                 w->fanqiePage()->TntButton2, w->fanqiePage()->TntButton3,
                                 w->fanqiePage()->TntButton4};
    for (const QWidget* control : controls) ASSERT_NE(control, nullptr);
    w->show();
    w->TntTabControl1->setCurrentWidget(w->TntTabSheet5);
    QApplication::processEvents();
  }
  void Press(QPushButton* button) { test::PressOnItsPage(*w, button); }
  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

TEST_F(FanqiePageTest, FanqieSampleGivesThreeLines) {
  w->fanqiePage()->TntMemo2->setPlainText(u"kept"_s);
  Press(w->fanqiePage()->TntButton4);
  EXPECT_EQ(w->fanqiePage()->TntMemo2->toPlainText(), u"kept"_s);
  Press(w->fanqiePage()->TntButton2);
  EXPECT_EQ(w->fanqiePage()->TntMemo2->toPlainText(),
            u"則(tsik4)旰(kan3)\n租(tsoo1)全(tsuan5)\n則(tsik4)縣(hian7)\n"_s);
  Press(w->fanqiePage()->TntButton3);
  EXPECT_TRUE(w->fanqiePage()->TntMemo1->toPlainText().isEmpty());
  EXPECT_FALSE(w->fanqiePage()->TntMemo2->toPlainText().isEmpty());
  Press(w->fanqiePage()->TntButton2);
  EXPECT_TRUE(w->fanqiePage()->TntMemo2->toPlainText().isEmpty());
}

TEST_F(FanqiePageTest, FanqieMarkerAfterLineBreakTakesTheBreak) {
  w->fanqiePage()->TntMemo1->setPlainText(u"則\n切"_s);
  Press(w->fanqiePage()->TntButton2);
  EXPECT_EQ(w->fanqiePage()->TntMemo2->toPlainText(), u"\n(\n)\n(\n)切\n"_s);
}

TEST_F(FanqiePageTest, FanqieTakesTheCharactersTheFieldHolds) {
  // A no-break space and a line separator are characters of the text, not a blank or a break.
  w->fanqiePage()->TntMemo1->setPlainText(u"則\u00A0切旰\u2028反"_s);
  Press(w->fanqiePage()->TntButton2);
  EXPECT_EQ(
      OutputLines(w->fanqiePage()->TntMemo2),
      (QStringList{u"則(tsik4)\u00A0(\u00A0)切"_s, u"旰(kan3)\u2028(\u2028)反"_s, QString()}));
}

}  // namespace
}  // namespace ravlek
