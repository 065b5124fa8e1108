// The conversion page of the real window (offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>

#include "app/window/ostrel.h"
#include "base/error.h"
#include "build_paths.h"
#include "dictionary/connection.h"
#include "romanize/sample_text.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/run_cli.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/press_button.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureRow Row(const QString& word, const QString& spell, const QString& ptype) {
  return {{u"HanWord"_s, word}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
}

test::FixtureDictionary PageDictionary() {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {Row(u"昨"_s, u"tsok8"_s, u"文"_s),  Row(u"夜"_s, u"ia7"_s, u"通"_s),
                           Row(u"星"_s, u"sing1"_s, u"文"_s),  Row(u"星"_s, u"tshenn1"_s, u"白"_s),
                           Row(u"天"_s, u"thian1"_s, u"通"_s), Row(u"看"_s, u"khan3"_s, u"文"_s),
                           Row(u"看"_s, u"khan1"_s, u"文"_s)};
  return dictionary;
}

QStringList OutputLines(QPlainTextEdit* field) {
  QStringList lines;
  for (QTextBlock block = field->document()->begin(); block.isValid(); block = block.next())
    lines.append(block.text());
  return lines;
}

// Counts what the progress bar paints and whether it shows.
class BarWatcher : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    if (event->type() == QEvent::Show) ++shows;
    return false;
  }
  int paints = 0;
  int shows = 0;
};

class ConversionPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>(
        [](const QString& path) { test::WriteFixtureDictionary(path, PageDictionary()); });
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    // Every control the tests use must be there: a missing one is a fault, not a reason to skip.
    const QWidget* controls[] = {w->TntMemo3,     w->TntMemo4,     w->TntButton1,
                                 w->TntButton5,   w->TntCheckBox1, w->TntCheckBox2,
                                 w->TntCheckBox3, w->TntCheckBox4, w->TntProgressBar1};
    for (const QWidget* control : controls) ASSERT_NE(control, nullptr);
    w->show();
    w->TntTabControl1->setCurrentWidget(w->TntTabSheet3);
    QApplication::processEvents();
  }
  void Press(QPushButton* button) { test::PressOnItsPage(*w, button); }
  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

TEST_F(ConversionPageTest, SampleTextGivesTwentyLines) {
  Press(w->TntButton5);
  EXPECT_TRUE(w->TntMemo4->toPlainText().isEmpty());
  Press(w->TntButton1);
  const QStringList lines = OutputLines(w->TntMemo4);
  ASSERT_EQ(lines.size(), 20);
  EXPECT_EQ(lines[0], u"無題 (李商隱)"_s);
  EXPECT_EQ(lines[2], u"昨夜星辰昨夜風，畫樓西畔桂堂東，"_s);
  EXPECT_TRUE(lines[3].startsWith(u"(文 tsok8)  。 通 ia7  。 (文 sing1)  。 辰 。 "_s));
  EXPECT_TRUE(lines[10].isEmpty());
  EXPECT_TRUE(lines[11].isEmpty());
  EXPECT_TRUE(lines[16].isEmpty());
  EXPECT_TRUE(lines[17].isEmpty());
  EXPECT_FALSE(w->TntProgressBar1->isVisible());
}

TEST_F(ConversionPageTest, OneCtrlZBringsBackWhatTheSampleReplaced) {
  QPlainTextEdit shown;
  shown.setPlainText(ravlek::ConversionSampleText());
  const QString cases[] = {u"學而時習之，不亦說乎？\n有朋自遠方來"_s, QString()};
  for (const QString& pasted : cases) {
    w->TntMemo3->clear();
    w->TntMemo3->insertPlainText(pasted);  // as a paste: an edit that can be undone
    Press(w->TntButton5);
    EXPECT_EQ(w->TntMemo3->toPlainText(), shown.toPlainText());
    w->TntMemo3->setFocus();
    QTest::keySequence(w->TntMemo3, QKeySequence::Undo);
    EXPECT_EQ(w->TntMemo3->toPlainText(), pasted);
  }
}

TEST_F(ConversionPageTest, OptionsComeFromTheBoxes) {
  w->TntMemo3->setPlainText(u"星 x"_s);
  w->TntCheckBox3->setChecked(true);
  w->TntCheckBox4->setChecked(false);
  w->TntCheckBox1->setChecked(false);
  Press(w->TntButton1);
  EXPECT_EQ(OutputLines(w->TntMemo4), (QStringList{u"星 x"_s, u"( sing1) < tshenn1> x"_s}));
}

TEST_F(ConversionPageTest, WrappedParagraphGivesOnePairPerShownLine) {
  // A paragraph about two and a half times as long as one line of the field, then a short line.
  const QFontMetrics metrics(w->TntMemo3->font());
  const int perLine = w->TntMemo3->viewport()->width() / metrics.horizontalAdvance(u"天"_s);
  ASSERT_GT(perLine, 4);
  const QString paragraph = QString(u"天"_s).repeated(perLine * 5 / 2);
  w->TntMemo3->setPlainText(paragraph + u"\n夜"_s);

  BarWatcher watcher;
  w->TntProgressBar1->installEventFilter(&watcher);
  Press(w->TntButton1);
  w->TntProgressBar1->removeEventFilter(&watcher);

  const QStringList lines = OutputLines(w->TntMemo4);
  ASSERT_EQ(lines.size(), 8);
  EXPECT_EQ(lines[0] + lines[2] + lines[4], paragraph);
  EXPECT_FALSE(lines[4].isEmpty());
  EXPECT_EQ(lines[6], u"夜"_s);
  EXPECT_EQ(lines[7], u"通 ia7  。 "_s);
  // Shown for the run and painted, hidden at its end.
  EXPECT_EQ(watcher.shows, 1);
  EXPECT_GE(watcher.paints, 1);
  EXPECT_FALSE(w->TntProgressBar1->isVisible());
}

// The page's dictionary has no 古 and no 今 rows: the status line names the 古 box that had no
// effect; the next run without it says nothing, though 今, always consulted, has no rows either.
TEST_F(ConversionPageTest, StatusLineNamesConsultedClassesWithoutRows) {
  ASSERT_NE(w->Convert_TntStatusBar, nullptr);
  w->TntMemo3->setPlainText(u"星夜"_s);
  w->TntCheckBox2->setFocus();
  QTest::keyClick(w->TntCheckBox2, Qt::Key_Space);
  ASSERT_TRUE(w->TntCheckBox2->isChecked());
  Press(w->TntButton1);
  EXPECT_TRUE(w->Convert_TntStatusBar->isVisible());
  EXPECT_EQ(w->Convert_TntStatusBar->currentMessage(),
            u"字典中沒有「古」類讀音，「轉古音」沒有作用。"_s);

  w->TntCheckBox2->setFocus();
  QTest::keyClick(w->TntCheckBox2, Qt::Key_Space);
  w->TntCheckBox3->setFocus();
  QTest::keyClick(w->TntCheckBox3, Qt::Key_Space);
  Press(w->TntButton1);
  EXPECT_EQ(w->Convert_TntStatusBar->currentMessage(), QString());
}

TEST_F(ConversionPageTest, EmptyInputEmptiesTheOutputWithoutShowingTheBar) {
  w->TntMemo4->setPlainText(u"old"_s);
  BarWatcher watcher;
  w->TntProgressBar1->installEventFilter(&watcher);
  Press(w->TntButton1);
  w->TntProgressBar1->removeEventFilter(&watcher);
  EXPECT_TRUE(w->TntMemo4->toPlainText().isEmpty());
  EXPECT_EQ(watcher.shows, 0);
}

TEST_F(ConversionPageTest, StoreFailureKeepsTheLinesFinishedBefore) {
  w->TntMemo3->setPlainText(u"  \n天\n夜"_s);
  QSqlQuery drop(w->FDConnection1->Database());
  ASSERT_TRUE(drop.exec(u"DROP TABLE RavlekTable"_s));
  test::ModalBoxDismisser boxes;
  Press(w->TntButton1);
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
  EXPECT_TRUE(boxes.Boxes()[0].text.contains(u"no such table: RavlekTable"_s))
      << boxes.Boxes()[0].text.toStdString();
  EXPECT_EQ(OutputLines(w->TntMemo4), (QStringList{u"  "_s, QString()}));
  EXPECT_FALSE(w->TntProgressBar1->isVisible());
}

// A regulated poem: the reading its metre needs comes first in its group (看 khan1 before khan3),
// the same 句 alone reads as before, and ravlek-cli romanize writes the same for the same folder.
TEST_F(ConversionPageTest, RegulatedVerseAgreesWithTheCommandLine) {
  for (const QString& table : {u"pingshui_groups.tsv"_s, u"pingshui_variants.tsv"_s}) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/") + table,
                            QDir::current().filePath(table)));
  }
  const QString text =
      u"題山居\n行到水窮處，坐看雲起時。\n林泉多野趣，談笑有歸期。\n\n坐看雲起時\n"_s;
  w->TntMemo3->setPlainText(text);
  Press(w->TntButton1);
  const QString shown = OutputLines(w->TntMemo4).join(u'\n') + u'\n';
  EXPECT_TRUE(
      shown.contains(u"坐看雲起時。\n行 。 到 。 水 。 窮 。 處 。 ， 。 坐 。 (文 khan1 khan3)"_s))
      << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(u"\n坐 。 (文 khan3 khan1)  。 雲 。 起 。 時 。 \n"_s))
      << shown.toStdString();
  const test::CliRun cli =
      test::RunCliProgram({u"--app-dir"_s, QDir::currentPath(), u"romanize"_s}, text.toUtf8());
  EXPECT_EQ(cli.exitCode, 0) << cli.err.toStdString();
  EXPECT_EQ(shown, QString::fromUtf8(cli.out));
}

}  // namespace
}  // namespace ravlek
