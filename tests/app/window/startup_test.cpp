#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "app/window/ostrel.h"
#include "dictionary/window/lookup_page.h"
#include "release/window/version_page.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/own_release_server.h"
#include "tests/support/window/window_in_app_folder.h"

namespace {

// These tests build the window by hand, not through the window fixture (window_in_app_folder.h):
// they look at the start-up itself, before the window shows, in folders the fixture does not
// make (no marker, no dictionary, a file for a folder), and at a second start in the same folder.
using ravlek::test::AppFolderFixture;
using ravlek::test::CurrentDirGuard;
using ravlek::test::ModalBoxDismisser;

const QString kStarterMissing =
    QStringLiteral("請改執行 Ravlek_Start 應用程式 來 啟動 [台語Ostrel輔助系統]");
const QString kEngineMissing =
    QStringLiteral("請安裝 ACCESS DATABASE 2010 RUNTIME ENGINE 後才可正常運作此系統! ");

TEST(StartUp, WithoutMarkerTellsToUseTheStarterAndCreatesNothing) {
  AppFolderFixture folder({.marker = false});
  CurrentDirGuard cwd(folder.Path());
  const QStringList before = QDir(folder.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
  ModalBoxDismisser dismisser;
  TOstrel window(ravlek::test::OwnReleaseSettings());
  EXPECT_TRUE(window.Terminated());
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(dismisser.Texts(), QStringList{kStarterMissing});
  EXPECT_EQ(QDir(folder.Path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

TEST(StartUp, DatabaseThatCannotBeOpenedEndsWithTheEngineMessage) {
  struct Case {
    const char* what;
    AppFolderFixture::Options options;
  };
  const Case cases[] = {
      {"no connection definition", {.marker = true, .connectionDefs = false, .database = true}},
      {"no database file", {.marker = true, .connectionDefs = true, .database = false}},
  };
  for (const Case& c : cases) {
    AppFolderFixture folder(c.options);
    CurrentDirGuard cwd(folder.Path());
    ModalBoxDismisser dismisser;
    TOstrel window(ravlek::test::OwnReleaseSettings());
    EXPECT_TRUE(window.Terminated()) << c.what;
    EXPECT_EQ(dismisser.Texts(), QStringList{kEngineMissing}) << c.what;
    EXPECT_FALSE(folder.Exists(QStringLiteral("Ravlek.db")) && !c.options.database) << c.what;
    EXPECT_FALSE(folder.Exists(QStringLiteral("last_release_XML"))) << c.what;
    EXPECT_TRUE(folder.Exists(QStringLiteral("__sys_Ravlek.ini"))) << c.what;
  }
}

TEST(StartUp, WithMarkerPreparesTheWindow) {
  AppFolderFixture folder;
  CurrentDirGuard cwd(folder.Path());
  ModalBoxDismisser dismisser;
  TOstrel window(ravlek::test::OwnReleaseSettings());
  ASSERT_FALSE(window.Terminated());
  EXPECT_TRUE(folder.Exists(QStringLiteral("last_release_XML")));
  EXPECT_TRUE(folder.Exists(QStringLiteral("upgrade_zip")));

  QStringList captions;
  for (int i = 0; i < window.TntTabControl1->count(); ++i) {
    captions.append(window.TntTabControl1->tabText(i));
  }
  const QStringList expected = {
      QStringLiteral("查漢字"),   QStringLiteral("編稿注音"), QStringLiteral("文章轉拼音"),
      QStringLiteral("版本資訊"), QStringLiteral("切音輔助"), QStringLiteral("切韻基礎"),
      QStringLiteral("影音資源"), QStringLiteral("工具資源"), QStringLiteral("關於(About)")};
  EXPECT_EQ(captions, expected);
  EXPECT_EQ(window.lookupPage()->ComboBox1->count(), 106);
  EXPECT_EQ(window.lookupPage()->ComboBox1->currentText(), QStringLiteral("平水韻查詢"));
  EXPECT_EQ(window.lookupPage()->ComboBox2->currentText(), QStringLiteral("全"));
  EXPECT_EQ(window.versionPage->session().downloadState(),
            ravlek::UpdateSession::DownloadState::kNone);
  EXPECT_FALSE(window.versionPage->DL_TntButton->isVisibleTo(&window));
  EXPECT_FALSE(window.versionPage->DL_NEXTTIME_TntButton->isVisibleTo(&window));

  // The grid shows the passing rows under the column titles, the memos the current row.
  QAbstractItemModel* grid = window.lookupPage()->TntDBGrid2->model();
  ASSERT_EQ(grid->columnCount(), 10);
  EXPECT_EQ(grid->rowCount(), 3);
  EXPECT_EQ(grid->headerData(0, Qt::Horizontal).toString(), QStringLiteral("漢字"));
  EXPECT_EQ(grid->headerData(9, Qt::Horizontal).toString(), QStringLiteral("古音出處"));
  EXPECT_EQ(grid->data(grid->index(2, 2)).toString(), QStringLiteral("tsan3"));
  EXPECT_EQ(window.lookupPage()->TntDBMemo1->toPlainText(), QStringLiteral("音注 東"));
  window.lookupPage()->TntDBGrid2->selectRow(2);
  EXPECT_EQ(window.lookupPage()->TntDBMemo1->toPlainText(), QStringLiteral("音注 讚"));
  EXPECT_EQ(window.lookupPage()->TntDBMemo2->toPlainText(), QStringLiteral("說明 讚"));

  // The phonetic font of the folder is available once the start-up has run.
  bool phonetic = false;
  for (const QString& family : QFontDatabase::families()) {
    phonetic = phonetic || family.contains(QStringLiteral("Ostrel台語"));
  }
  EXPECT_TRUE(phonetic);

  // The first activation selects the start page, even when code selected another page before.
  window.SelectPage(window.TntTabSheet3);
  window.show();
  EXPECT_EQ(window.TntTabControl1->currentWidget(), window.TntTabSheet1);
  window.SelectPage(window.TntTabSheet5);
  window.hide();
  window.show();
  EXPECT_EQ(window.TntTabControl1->currentWidget(), window.TntTabSheet5);
}

TEST(StartUp, PlainFileInPlaceOfTheReleaseFolderIsReportedAndTheWindowStillOpens) {
  AppFolderFixture folder;
  folder.WriteFile(QStringLiteral("last_release_XML"), "not a folder");
  CurrentDirGuard cwd(folder.Path());
  ModalBoxDismisser dismisser;
  TOstrel window(ravlek::test::OwnReleaseSettings());
  EXPECT_FALSE(window.Terminated());
  ASSERT_EQ(dismisser.Boxes().size(), 1);
  EXPECT_TRUE(dismisser.Boxes()[0].errorIcon);
  EXPECT_TRUE(dismisser.Boxes()[0].text.contains(QStringLiteral("last_release_XML")));
  EXPECT_TRUE(dismisser.Boxes()[0].text.endsWith(u'.'));
  // The sequence stopped there: the second folder and the later steps did not happen.
  EXPECT_FALSE(folder.Exists(QStringLiteral("upgrade_zip")));
  EXPECT_TRUE(window.versionPage->session().baseAddress().isEmpty());
  EXPECT_EQ(QDir::currentPath(), QDir(folder.Path()).canonicalPath());
  window.show();
  EXPECT_TRUE(window.isVisible());
  window.close();
}

TEST(StartUp, ClosingTheWindowDeletesTheMarker) {
  AppFolderFixture folder;
  CurrentDirGuard cwd(folder.Path());
  ModalBoxDismisser dismisser;
  {
    TOstrel window(ravlek::test::OwnReleaseSettings());
    ASSERT_FALSE(window.Terminated());
    window.show();
    EXPECT_TRUE(folder.Exists(QStringLiteral("__sys_Ravlek.ini")));
    window.close();
    EXPECT_FALSE(folder.Exists(QStringLiteral("__sys_Ravlek.ini")));
  }
  // A second start without the starter is refused.
  TOstrel again;
  EXPECT_TRUE(again.Terminated());
  EXPECT_EQ(dismisser.Texts().last(), kStarterMissing);
}

}  // namespace

namespace {

TEST(StartUp, ClosingTheWindowEndsTheEventLoopEvenWithAnotherWindowOpen) {
  ravlek::test::WindowInAppFolder started;
  TOstrel& window = started.window();
  ASSERT_FALSE(window.Terminated());
  QWidget stray;  // a second top-level window, such as a pop-up of a web page
  stray.show();
  QTimer::singleShot(20, &window, [&window] { window.close(); });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  bool hung = false;
  QObject::connect(&watchdog, &QTimer::timeout, [&hung] {
    hung = true;
    QCoreApplication::exit(1);
  });
  watchdog.start(5000);
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(hung);
  EXPECT_FALSE(QFile::exists(started.AppPath(QStringLiteral("__sys_Ravlek.ini"))));
}

}  // namespace
