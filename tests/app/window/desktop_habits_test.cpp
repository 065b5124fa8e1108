// The window as users of other desktop programs expect it (offscreen): copying rows from the
// lookup grid, the keyboard shortcuts and romanisation typed as books print it. (The ruby export is
// tested with its page, in tests/romanize/window/handout_export_test.cpp.)
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QWebEngineView>

#include "app/window/editor_launcher.h"
#include "app/window/ostrel.h"
#include "dictionary/dataset.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "pages/window/resource_pages.h"
#include "romanize/window/conversion_page.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/run_cli.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/window_in_app_folder.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureRow Row(const QString& word, const QString& ptype, const QString& spell,
                     const QString& desc = {}) {
  return {{u"HanWord"_s, word},
          {u"Ptype"_s, ptype},
          {u"HanSpell"_s, spell},
          {u"PoemRhyme"_s, u"去聲十五翰"_s},
          {u"PtypeDesc"_s, desc}};
}

test::FixtureDictionary HabitsDictionary() {
  test::FixtureDictionary d;
  d.ravlekRows = {
      Row(u"讚"_s, u"通"_s, u"tsan3"_s, u"tab\there"_s),
      Row(u"贊"_s, u"文"_s, u"tsan3"_s),
      Row(u"殘"_s, u"文"_s, u"tsan5"_s),
      Row(u"節"_s, u"文"_s, u"tsat4"_s),
      Row(u"截"_s, u"文"_s, u"tsat8"_s),
      Row(u"春"_s, u"通"_s, u"tshun1"_s),
      Row(u"天"_s, u"通"_s, u"thian1"_s),
      Row(u"天"_s, u"白"_s, u"thinn1"_s),
  };
  d.baseWords = {{u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}};
  return d;
}

QStringList GridWords(TOstrel* w) {
  QStringList words;
  const int column = w->FDQueryRavlekTable->FieldIndex(u"HanWord"_s);
  for (int row = 0; row < w->FDQueryRavlekTable->RecordCount(); ++row) {
    words.append(w->FDQueryRavlekTable->Text(row, column));
  }
  return words;
}

class DesktopHabitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    started_ = std::make_unique<test::WindowInAppFolder>(
        [](const QString& path) { test::WriteFixtureDictionary(path, HabitsDictionary()); });
    w = &started_->window();
    ASSERT_FALSE(w->Terminated());
    w->show();
    w->activateWindow();
    QApplication::processEvents();
  }

  // What ravlek-cli lookup writes for the window's dictionary.
  QString CliLookup(const QStringList& args) {
    const test::CliTextRun run = test::RunCli(
        QStringList{u"--db"_s, QDir::current().filePath(u"Ravlek.db"_s), u"lookup"_s} + args);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return run.out;
  }

  std::unique_ptr<test::WindowInAppFolder> started_;
  TOstrel* w = nullptr;
};

TEST_F(DesktopHabitsTest, CtrlCCopiesTheSelectedRowsInTheFormatOfLookup) {
  w->lookupPage()->TntEdit2->setText(u"讚"_s);
  w->lookupPage()->TntDBGrid2->setFocus();
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(w->lookupPage()->TntDBGrid2, Qt::Key_C, Qt::ControlModifier);
  // The cli's output without its header line: the same bytes, a tab inside a value escaped.
  const QString expected = CliLookup({u"--char"_s, u"讚"_s}).section(u'\n', 1);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
  EXPECT_TRUE(expected.contains(u"tab\\there"_s));
}

TEST_F(DesktopHabitsTest, ContextMenuCopiesTheRowUnderThePointerOrEveryRowWithHeader) {
  w->lookupPage()->TntEdit2->clear();
  w->TntEdit2Change();
  ASSERT_EQ(w->FDQueryRavlekTable->RecordCount(), 8);
  const QString all = CliLookup({u"--char"_s, u""_s});
  const QStringList lines = all.split(u'\n');

  const auto menuAt = [this](int row) -> QMenu* {
    const QRect cell = w->lookupPage()->TntDBGrid2->visualRect(
        w->lookupPage()->TntDBGrid2->model()->index(row, 0));
    Q_EMIT w->lookupPage()->TntDBGrid2->customContextMenuRequested(cell.center());
    return w->lookupPage()->TntDBGrid2->findChild<QMenu*>(u"LookupGridMenu"_s);
  };
  const auto trigger = [](QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
      if (action->text() == text) action->trigger();
    }
    menu->close();  // deletes itself
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  };

  QMenu* menu = menuAt(2);
  ASSERT_NE(menu, nullptr);
  QStringList texts;
  for (QAction* action : menu->actions()) texts.append(action->text());
  EXPECT_EQ(texts, (QStringList{u"複製此列"_s, u"複製全部"_s}));
  trigger(menu, u"複製此列"_s);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), lines[3] + u'\n');

  trigger(menuAt(0), u"複製全部"_s);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), all);
}

TEST_F(DesktopHabitsTest, CtrlLGoesToTheCharacterFieldWithoutChangingAText) {
  w->lookupPage()->TntEdit2->setText(u"天"_s);
  w->TntTabControl1->setCurrentWidget(w->TntTabSheet5);
  w->fanqiePage()->TntMemo1->setFocus();
  QApplication::processEvents();
  QTest::keyClick(w->fanqiePage()->TntMemo1, Qt::Key_L, Qt::ControlModifier);
  EXPECT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet1);
  EXPECT_EQ(QApplication::focusWidget(), w->lookupPage()->TntEdit2);
  EXPECT_EQ(w->lookupPage()->TntEdit2->text(), u"天"_s);
  EXPECT_EQ(w->fanqiePage()->TntMemo1->toPlainText(), QString());
  EXPECT_EQ(GridWords(w), (QStringList{u"天"_s, u"天"_s}));
}

// Tab leaves the grid for the next control while the arrow keys move inside it; Ctrl+Tab and
// Ctrl+Shift+Tab change page from the grid and from a web view alike, as a choice of the tab.
TEST_F(DesktopHabitsTest, TabLeavesTheGridAndCtrlTabChangesPageFromEveryControl) {
  test::ModalBoxDismisser boxes;
  // The resource pages the views show.
  QDir().mkpath(u"last_release_XML"_s);
  for (const QString& name : {u"RavlekBasic"_s, u"MediaLink"_s, u"ToolAndResource"_s, u"About"_s}) {
    QFile page(u"last_release_XML/%1.html"_s.arg(name));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write(u"<html><body><p>%1</p></body></html>"_s.arg(name).toUtf8());
  }
  w->lookupPage()->TntEdit2->setText(u"天"_s);
  QApplication::processEvents();
  QTableView* grid = w->lookupPage()->TntDBGrid2;
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, 0));
  QTest::keyClick(grid, Qt::Key_Down);
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_EQ(QApplication::focusWidget(), grid);
  QTest::keyClick(grid, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w->lookupPage()->TntDBMemo1);
  QTest::keyClick(w->lookupPage()->TntDBMemo1, Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), grid);
  EXPECT_EQ(grid->currentIndex().row(), 1);

  // From the grid: the next page, its first control focused; the row stays chosen.
  QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet2);
  EXPECT_EQ(QApplication::focusWidget(), w->editorPage()->TntBitBtn_Spell);
  EXPECT_EQ(grid->currentIndex().row(), 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet1);
  EXPECT_EQ(QApplication::focusWidget(), w->lookupPage()->TntEdit2);
  // Round the end: from the first page back to the last.
  QTest::keyClick(w->lookupPage()->TntEdit2, Qt::Key_Backtab,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet9);

  // From a resource page's web view, once its page is there and the view holds the focus.
  w->TntTabControl1->setCurrentWidget(w->TntTabSheet5);
  w->fanqiePage()->TntMemo1->setFocus();
  QTest::keyClick(w->fanqiePage()->TntMemo1, Qt::Key_Tab, Qt::ControlModifier);
  ASSERT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet6);
  ASSERT_TRUE(QTest::qWaitFor(
      [this] { return w->resourcePages()->A_WebBrowser->focusProxy() != nullptr; }));
  w->resourcePages()->A_WebBrowser->setFocus();
  QWidget* inView = QApplication::focusWidget();
  ASSERT_TRUE(inView == w->resourcePages()->A_WebBrowser ||
              w->resourcePages()->A_WebBrowser->isAncestorOf(inView));
  QTest::keyClick(inView, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet7);
  ASSERT_TRUE(QTest::qWaitFor(
      [this] { return w->resourcePages()->B_WebBrowser->focusProxy() != nullptr; }));
  w->resourcePages()->B_WebBrowser->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                  Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(w->TntTabControl1->currentWidget(), w->TntTabSheet6);
  EXPECT_TRUE(boxes.Texts().isEmpty()) << boxes.Texts().join(u" | "_s).toStdString();
}

TEST_F(DesktopHabitsTest, CtrlEnterRunsTheConversionAndTheExtractionOnTheirPages) {
  w->TntTabControl1->setCurrentWidget(w->TntTabSheet3);
  w->conversionPage()->TntMemo3->setPlainText(u"天"_s);
  w->conversionPage()->TntMemo3->setFocus();
  QApplication::processEvents();
  QTest::keyClick(w->conversionPage()->TntMemo3, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(w->conversionPage()->TntMemo3->toPlainText(), u"天"_s);  // no line break typed
  EXPECT_EQ(w->conversionPage()->TntMemo4->toPlainText(), u"天\n通 thian1  。 "_s);

  w->TntTabControl1->setCurrentWidget(w->TntTabSheet5);
  w->fanqiePage()->TntMemo1->setPlainText(u"則旰切"_s);
  w->fanqiePage()->TntMemo1->setFocus();
  QApplication::processEvents();
  QTest::keyClick(w->fanqiePage()->TntMemo1, Qt::Key_Enter,
                  Qt::ControlModifier | Qt::KeypadModifier);
  EXPECT_EQ(w->fanqiePage()->TntMemo1->toPlainText(), u"則旰切"_s);
  EXPECT_EQ(w->fanqiePage()->TntMemo2->toPlainText(), u"則(tsik4)旰(kan3)\n"_s);

  // Elsewhere Ctrl+Enter does nothing.
  w->conversionPage()->TntMemo4->clear();
  w->TntTabControl1->setCurrentWidget(w->TntTabSheet1);
  QTest::keyClick(w->lookupPage()->TntEdit2, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(w->conversionPage()->TntMemo4->toPlainText(), QString());
}

TEST_F(DesktopHabitsTest, RomanisationAsBooksPrintItFindsTheSameRows) {
  const auto typed = [this](const QString& text) {
    w->lookupPage()->TntEdit1_spell_Search->setText(text);
    return GridWords(w);
  };
  const QStringList tsan3 = typed(u"tsan3"_s);
  EXPECT_EQ(tsan3, (QStringList{u"讚"_s, u"贊"_s}));
  EXPECT_EQ(typed(u"tsàn"_s), tsan3);
  EXPECT_EQ(typed(u"tsa\u0300n"_s), tsan3);
  EXPECT_EQ(typed(u"chan3"_s), tsan3);
  EXPECT_EQ(typed(u"chàn"_s), tsan3);
  EXPECT_EQ(typed(u"tsa̍t"_s), (QStringList{u"截"_s}));
  EXPECT_EQ(typed(u"chhun"_s), (QStringList{u"春"_s}));
  EXPECT_EQ(typed(u"tsat"_s), (QStringList{u"節"_s, u"截"_s}));  // no mark: still a prefix
  // The field keeps what was typed.
  EXPECT_EQ(w->lookupPage()->TntEdit1_spell_Search->text(), u"tsat"_s);
  // The command line reads the spellings the same way.
  EXPECT_EQ(CliLookup({u"--spell"_s, u"tsàn"_s}), CliLookup({u"--spell"_s, u"tsan3"_s}));
  EXPECT_EQ(CliLookup({u"--spell"_s, u"chan3"_s}), CliLookup({u"--spell"_s, u"tsan3"_s}));
}

}  // namespace
}  // namespace ravlek
