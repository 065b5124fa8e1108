// The fanqie page's 自動拼切 in the real window (offscreen): off by default, and when checked a
// second output beside TntMemo2 while TntMemo2's own lines stay as they are.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QToolTip>

#include "app/window/ostrel.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/window/press_button.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

constexpr auto Row = test::SynthesisRow;

// The characters of the sample passage's three notations.
test::FixtureDictionary SampleDictionary() {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {Row(u"則"_s, u"文"_s, u"tsik4"_s, u"全清"_s, u"入聲十三職"_s),
                           Row(u"旰"_s, u"文"_s, u"kan3"_s, u"全清"_s, u"去聲十五翰"_s),
                           Row(u"租"_s, u"文"_s, u"tsoo1"_s, u"全清"_s, u"上平七虞"_s),
                           Row(u"全"_s, u"文"_s, u"tsuan5"_s, u"全濁"_s, u"下平一先"_s),
                           Row(u"縣"_s, u"文"_s, u"hian7"_s, u"全濁"_s, u"去聲十七霰"_s),
                           Row(u"縣"_s, u"白"_s, u"kuan7"_s, QString(), QString()),
                           // 都籠切 of 東: 籠 reads in two tones.
                           Row(u"都"_s, u"文"_s, u"too1"_s, u"全清"_s, u"上平七虞"_s),
                           Row(u"籠"_s, u"文"_s, u"long2"_s, u"次濁"_s, u"上聲一董"_s),
                           Row(u"籠"_s, u"文"_s, u"long5"_s, u"次濁"_s, u"上平一東"_s),
                           Row(u"東"_s, u"文"_s, u"tong1"_s, u"全清"_s, u"上平一東"_s)};
  dictionary.baseWords = {{u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}, {u"租"_s, u"tsoo1"_s}};
  dictionary.baseWordsPlus = {{u"全"_s, u"tsuan5"_s}, {u"縣"_s, u"hian7"_s}};
  return dictionary;
}

class FanqieSynthesisPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>(
        [](const QString& path) { test::WriteFixtureDictionary(path, SampleDictionary()); });
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    w->show();
    w->TntTabControl1->setCurrentWidget(w->TntTabSheet5);
    QApplication::processEvents();
  }
  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

const QString kExtraction = u"則(tsik4)旰(kan3)\n租(tsoo1)全(tsuan5)\n則(tsik4)縣(hian7)\n"_s;

TEST_F(FanqieSynthesisPageTest, OffByDefaultThePageIsAsBefore) {
  EXPECT_FALSE(w->Synth_TntCheckBox->isChecked());
  EXPECT_EQ(w->Synth_TntCheckBox->text(), u"自動拼切"_s);
  EXPECT_TRUE(w->Synth_TntMemo->isReadOnly());
  w->TntButton4->click();
  w->TntButton2->click();
  EXPECT_EQ(w->TntMemo2->toPlainText(), kExtraction);
  EXPECT_TRUE(w->Synth_TntMemo->toPlainText().isEmpty());
}

TEST_F(FanqieSynthesisPageTest, CheckedWritesTheSampleNotationsBesideTheExtraction) {
  w->Synth_TntCheckBox->click();
  w->TntButton4->click();
  w->TntButton2->click();
  EXPECT_EQ(w->TntMemo2->toPlainText(), kExtraction);
  EXPECT_EQ(w->Synth_TntMemo->toPlainText(),
            u"則旰切\ttsan3\t則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3\n"
            u"租全反\ttsuan1\t租 ts- · 全 -uan 平 · 租 全清 → 陰平 1 ⇒ tsuan1\n"
            u"則縣反\ttsian3\t則 ts- · 縣 -ian 去 · 則 全清 → 陰去 3 ⇒ tsian3\n"_s);

  // Unchecked again, the next press leaves the field empty.
  w->Synth_TntCheckBox->click();
  w->TntButton2->click();
  EXPECT_EQ(w->TntMemo2->toPlainText(), kExtraction);
  EXPECT_TRUE(w->Synth_TntMemo->toPlainText().isEmpty());
}

// Where the field drew the start of each column of each line, as x positions in the viewport.
QList<QList<qreal>> ColumnStarts(QPlainTextEdit* field) {
  QList<QList<qreal>> starts;
  for (QTextBlock block = field->document()->begin(); block.isValid(); block = block.next()) {
    if (block.text().isEmpty()) continue;
    const QTextLayout* layout = block.layout();
    QList<qreal> line;
    line << layout->lineAt(0).cursorToX(0);
    // The first two tabs: those of the notation's own line.
    qsizetype tab = block.text().indexOf(u'\t');
    for (int i = 0; i < 2 && tab >= 0; ++i, tab = block.text().indexOf(u'\t', tab + 1)) {
      line << layout->lineForTextPosition(static_cast<int>(tab + 1))
                  .cursorToX(static_cast<int>(tab + 1));
    }
    starts << line;
  }
  return starts;
}

// The columns stand one under the other whatever their widths, and a hint over a line tells its
// steps in words under the legend of the signs.
TEST_F(FanqieSynthesisPageTest, ColumnsAlignedAndStepsToldOnHover) {
  w->Synth_TntCheckBox->setFocus();
  QTest::keyClick(w->Synth_TntCheckBox, Qt::Key_Space);
  ASSERT_TRUE(w->Synth_TntCheckBox->isChecked());
  // Notations of different widths: one without readings, one with a long list of steps.
  w->TntMemo1->setPlainText(u"則旰切。某全反。則縣反。租全反。則旰切則旰切則旰切"_s);
  test::PressOnItsPage(*w, w->TntButton2);
  QApplication::processEvents();

  const QList<QList<qreal>> starts = ColumnStarts(w->Synth_TntMemo);
  ASSERT_EQ(starts.size(), 7);
  for (const QList<qreal>& line : starts) {
    ASSERT_EQ(line.size(), 3);
    EXPECT_EQ(line, starts.front());
  }
  EXPECT_LT(starts.front()[0], starts.front()[1]);
  EXPECT_LT(starts.front()[1], starts.front()[2]);

  // Hover over the first line: its steps in words, then the legend.
  const QTextBlock first = w->Synth_TntMemo->document()->begin();
  const QPoint over = w->Synth_TntMemo->cursorRect(QTextCursor(first)).center();
  QHelpEvent hover(QEvent::ToolTip, over, w->Synth_TntMemo->viewport()->mapToGlobal(over));
  QApplication::sendEvent(w->Synth_TntMemo->viewport(), &hover);
  const QString hint = QToolTip::text();
  EXPECT_TRUE(
      hint.startsWith(u"則旰切：上字「則」取聲母 ts-；下字「旰」取韻母 -an，聲調屬去聲；"_s))
      << hint.toStdString();
  EXPECT_TRUE(hint.contains(u"「⇒」拼出的讀音"_s)) << hint.toStdString();
  QToolTip::hideText();
}

// Two candidates (籠 reads long2 and long5): the entry's own reading first, each candidate's
// steps on a line of its own in the steps column, and nothing hidden to the right.
TEST_F(FanqieSynthesisPageTest, EachCandidateOnItsOwnLineWithinTheField) {
  w->Synth_TntCheckBox->setFocus();
  QTest::keyClick(w->Synth_TntCheckBox, Qt::Key_Space);
  w->TntMemo1->setPlainText(u"東 都籠切"_s);
  test::PressOnItsPage(*w, w->TntButton2);
  QApplication::processEvents();
  const QTextBlock block = w->Synth_TntMemo->document()->begin();
  const QString text = block.text();
  EXPECT_TRUE(text.startsWith(u"都籠切\ttong1/tong2\t"_s)) << text.toStdString();
  const qsizetype second = text.indexOf(QChar(QChar::LineSeparator));
  ASSERT_GT(second, 0) << text.toStdString();
  const QTextLayout* layout = block.layout();
  const int steps = static_cast<int>(text.indexOf(u'\t', text.indexOf(u'\t') + 1) + 1);
  const int nextSteps = static_cast<int>(text.lastIndexOf(u'\t') + 1);
  EXPECT_GT(layout->lineForTextPosition(nextSteps).lineNumber(), 0);
  EXPECT_EQ(layout->lineForTextPosition(nextSteps).cursorToX(nextSteps),
            layout->lineAt(0).cursorToX(steps));
  EXPECT_EQ(w->Synth_TntMemo->horizontalScrollBar()->maximum(), 0);

  // The hint tells both candidates.
  const QPoint over = w->Synth_TntMemo->cursorRect(QTextCursor(block)).center();
  QHelpEvent hover(QEvent::ToolTip, over, w->Synth_TntMemo->viewport()->mapToGlobal(over));
  QApplication::sendEvent(w->Synth_TntMemo->viewport(), &hover);
  const QString hint = QToolTip::text();
  EXPECT_TRUE(hint.contains(u"拼得 tong1"_s)) << hint.toStdString();
  EXPECT_TRUE(hint.contains(u"拼得 tong2"_s)) << hint.toStdString();
  QToolTip::hideText();
}

// A text without a notation leaves both lists empty and says so on the page's status line; the
// next extraction that finds notations clears it.
TEST_F(FanqieSynthesisPageTest, ATextWithoutNotationsSaysSo) {
  w->Synth_TntCheckBox->setFocus();
  QTest::keyClick(w->Synth_TntCheckBox, Qt::Key_Space);
  w->TntMemo1->setPlainText(u"【小爾雅】明也。"_s);
  test::PressOnItsPage(*w, w->TntButton2);
  EXPECT_TRUE(w->TntMemo2->toPlainText().isEmpty());
  EXPECT_TRUE(w->Synth_TntMemo->toPlainText().isEmpty());
  EXPECT_EQ(w->TntStatusBar1->currentMessage(),
            u"文中沒有反切：找不到前有二字的「切」或「反」。"_s);
  w->TntMemo1->setPlainText(u"則旰切"_s);
  test::PressOnItsPage(*w, w->TntButton2);
  EXPECT_EQ(w->TntStatusBar1->currentMessage(), QString());
}

TEST_F(FanqieSynthesisPageTest, NewControlsSitInFreeSpace) {
  const QRect box = w->Synth_TntCheckBox->geometry();
  const QRect field = w->Synth_TntMemo->geometry();
  for (QWidget* other :
       {static_cast<QWidget*>(w->TntMemo1), static_cast<QWidget*>(w->TntMemo2),
        static_cast<QWidget*>(w->TntButton2), static_cast<QWidget*>(w->TntButton3),
        static_cast<QWidget*>(w->TntButton4), static_cast<QWidget*>(w->TntStatusBar1)}) {
    EXPECT_FALSE(box.intersects(other->geometry())) << other->objectName().toStdString();
    EXPECT_FALSE(field.intersects(other->geometry())) << other->objectName().toStdString();
  }
  EXPECT_FALSE(box.intersects(field));
  EXPECT_GT(field.left(), w->TntMemo2->geometry().right());
}

}  // namespace
}  // namespace ravlek
