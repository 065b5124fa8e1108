// What only the version page shows of the update session: its controls after the start-up, the
// download button's labels and progress, the later button, and a close during a download, in the
// real window (offscreen) against a release server on 127.0.0.1. The session's decisions are
// tested without a window in tests/release/update_session_test.cpp.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "app/window/ostrel.h"
#include "release/download_status.h"
#include "release/release_notes.h"
#include "release/release_texts.h"
#include "release/staged_archive.h"
#include "release/window/version_page.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/release_publisher.h"
#include "tests/support/window/modal_box_dismisser.h"

namespace ravlek {
namespace {

using test::AppFolderFixture;
using test::CurrentDirGuard;
using test::ModalBoxDismisser;
using State = UpdateSession::DownloadState;

const QString kCrLf = QStringLiteral("\r\n");

bool Shown(QWidget* widget) {
  return !widget->isHidden();
}

// The controls that an announced update shows.
std::vector<QWidget*> UpdateControls(const VersionPage& p) {
  return {p.DL_TntButton, p.DL_NEXTTIME_TntButton, p.TntLabel3,
          p.TntLabel4,    p.upgrade_ver_TntMemo,   p.DL_upgrade_TntProgressBar};
}

class VersionPageTest : public test::ReleasePublisherTest {
 protected:
  void TearDown() override {
    window_.reset();
    guard_.reset();
    ReleasePublisherTest::TearDown();
  }

  // The window is built here, not through the window fixture (window_in_app_folder.h): these
  // tests start it again in one folder against a release server of their own.
  TOstrel& Start() {
    window_.reset();
    guard_.reset();  // the previous folder comes back before the next one is entered
    guard_ = std::make_unique<CurrentDirGuard>(app_->Path());
    window_ = std::make_unique<TOstrel>(settings_);
    window_->versionPage->endProgram = [this] { ++endRequests_; };
    return *window_;
  }
  VersionPage& Page() { return *window_->versionPage; }

  TOstrel& StartWithUpdate(int systemFlag, int databaseFlag) {
    PublishUpdate();
    {
      ModalBoxDismisser startup;
      Start();
    }
    Page().session().announcement().flags = {systemFlag, databaseFlag};
    QObject::connect(Page().DL_upgrade_TntProgressBar, &QProgressBar::valueChanged,
                     [this](int value) { barValues_.push_back(value); });
    return *window_;
  }
  QString Staged(const QString& name) const { return app_->FilePath(kUpgradeFolder + "/" + name); }

  std::unique_ptr<CurrentDirGuard> guard_;
  std::unique_ptr<TOstrel> window_;
  int endRequests_ = 0;
  std::vector<int> barValues_;
};

// ---- the start-up

TEST_F(VersionPageTest, NoUpdateShowsTheReleaseNotes) {
  PublishRelease(installed_.system, installed_.database);
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  VersionPage& p = Page();
  EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(w.TntTabControl1->GLOBAL_Control_page_ActivePage, QStringLiteral("TntTabSheet1"));
  EXPECT_EQ(w.TntTabControl1->tabText(w.TntTabControl1->indexOf(w.TntTabSheet4)),
            QStringLiteral("版本資訊"));
  EXPECT_TRUE(Shown(p.ReleaseNote_TntMemo));
  EXPECT_TRUE(p.ReleaseNote_TntMemo->isEnabled());
  EXPECT_EQ(p.ReleaseNote_TntMemo->toPlainText(),
            ReadReleaseNotes(app_->FilePath("ReleaseNote.txt")).join(u'\n'));
  for (QWidget* hidden : UpdateControls(p))
    EXPECT_FALSE(Shown(hidden)) << hidden->objectName().toStdString();
  EXPECT_EQ(p.system_ver->text(), installed_.system);
  EXPECT_EQ(p.database_ver->text(), installed_.database);
  EXPECT_TRUE(p.upgrade_ver_TntMemo->toPlainText().startsWith(
      "\n更新版 Release: R\n系統版號 sys_version: "));
}

// An installed version as long as a manifest may give it is shown whole, not cut at the label's
// designed width.
TEST_F(VersionPageTest, LongInstalledVersionsAreShownWhole) {
  const QString system = QStringLiteral("1.0.0-demo-update") + QString(47, u'8');
  const QString database = QStringLiteral("1.0.0-demo-update");
  app_->WriteFile(
      kInstalledManifestFile,
      test::LastVersion(system, database, QStringLiteral("無更新"), QStringLiteral("無更新")));
  PublishRelease(system, database);
  ModalBoxDismisser boxes;
  Start();
  for (QLabel* label : {Page().system_ver, Page().database_ver}) {
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
        << label->objectName().toStdString() << " " << label->text().toStdString();
  }
  EXPECT_EQ(Page().system_ver->text(), system);
}

TEST_F(VersionPageTest, AnAnnouncedUpdatePreparesTheVersionPage) {
  PublishUpdate();
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  VersionPage& p = Page();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 進版 通知"));
  EXPECT_EQ(boxes.Boxes()[0].text,
            QStringLiteral("有新UPDATE 程式或資料庫Database  點選 [進版下載安裝] 分頁(TabPage) "
                           "可下載(download) 安裝"));
  EXPECT_EQ(w.TntTabControl1->GLOBAL_Control_page_ActivePage, QStringLiteral("TntTabSheet4"));
  EXPECT_EQ(w.TntTabControl1->tabText(w.TntTabControl1->indexOf(w.TntTabSheet4)),
            QStringLiteral("進版下載安裝"));
  EXPECT_EQ(
      p.TntLabel3->text(),
      QStringLiteral("有新UPDATE程式或資料庫Database 請按 [下載(download)安裝] 按鈕 進行更新 "));
  EXPECT_EQ(p.TntLabel4->text(),
            QStringLiteral("(下載到安裝完成,大約需3~10分鐘左右, 依網路下載速度而定...)"));
  for (QWidget* shown : UpdateControls(p))
    EXPECT_TRUE(Shown(shown)) << shown->objectName().toStdString();
  EXPECT_FALSE(Shown(p.ReleaseNote_TntMemo));
}

TEST_F(VersionPageTest, LongReleaseNotesAreCutInTheMemo) {
  QByteArray manifest = test::LastVersion("9", "9", "無更新", "無更新");
  manifest.insert(manifest.indexOf("</sys_notes>"), QByteArray(300 * 1024, 'n'));
  Publish("LastVersion.xml", manifest);
  Publish("information.xml", test::Information(packages_.html, packages_.images));
  ModalBoxDismisser boxes;
  Start();
  const QString memo = Page().upgrade_ver_TntMemo->toPlainText();
  EXPECT_EQ(memo.size(),
            kMaxMemoNotes + 1 + QStringLiteral("（說明超過 256 KB，以下省略）").size());
  EXPECT_TRUE(memo.endsWith(u'\n' + QStringLiteral("（說明超過 256 KB，以下省略）")));
}

TEST_F(VersionPageTest, StagedStarterIsInstalledAtStartUpWithANoticeAndAtCloseWithout) {
  PublishRelease(installed_.system, installed_.database);
  app_->WriteFile("Ravlek_Start", "old starter");
  app_->WriteFile(kStagedStarterFile, "new starter");
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(boxes.Boxes()[0].text,
            QStringLiteral("台語Ostrel輔助系統 Start_Ravlek.exe 有UPGRADE Version, ") + kCrLf +
                QStringLiteral(
                    "稍後關閉系統時自動安裝, 再點選Ravlek_Start.exe即可使用新Ravlek_Start.exe ") +
                kCrLf + QStringLiteral("(感謝使用!)"));
  EXPECT_EQ(ReadAll(app_->FilePath("Ravlek_Start")), "new starter");
  app_->WriteFile(kStagedStarterFile, "newer starter");
  w.close();
  EXPECT_EQ(ReadAll(app_->FilePath("Ravlek_Start")), "newer starter");
  EXPECT_EQ(boxes.Boxes().size(), 1);
}

// ---- the download and later buttons

struct SelectionCase {
  int systemFlag;
  int databaseFlag;
  QString label5;
  QString label6;  // empty: TntLabel6 stays hidden
};

TEST_F(VersionPageTest, CompleteDownloadShowsWhatIsStagedAndEndsTheProgram) {
  const QString systemDone = QStringLiteral(
      "Ravlek_sys_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_sys_ugrade.zip 完成");
  const QString databaseDone = QStringLiteral(
      "Ravlek_db_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_db_ugrade.zip 完成");
  const std::vector<SelectionCase> cases = {
      {1, 0, systemDone, QString()}, {1, 1, systemDone, databaseDone}, {0, 1, databaseDone, {}}};
  for (const SelectionCase& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1%2").arg(c.systemFlag).arg(c.databaseFlag).toStdString());
    app_ = std::make_unique<AppFolderFixture>();
    barValues_.clear();
    endRequests_ = 0;
    TOstrel& w = StartWithUpdate(c.systemFlag, c.databaseFlag);
    VersionPage& p = Page();
    ModalBoxDismisser boxes;
    p.DL_TntButton->click();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_EQ(
        boxes.Boxes()[0].text,
        QStringLiteral("系統下載完畢, 按[OK]後將自動關閉Ravlek.exe!  請關閉後再執行 Ravlek_Start "
                       "應用程式 來安裝更新系統 及 啟動 [台語Ostrel輔助系統 Ravlek.exe]"));
    EXPECT_TRUE(p.programEnding());
    EXPECT_EQ(endRequests_, 1);
    EXPECT_TRUE(w.isHidden());
    EXPECT_FALSE(app_->Exists("__sys_Ravlek.ini"));
    EXPECT_EQ(p.TntLabel5->text(), c.label5);
    EXPECT_TRUE(Shown(p.TntLabel5));
    EXPECT_EQ(Shown(p.TntLabel6), !c.label6.isEmpty());
    if (!c.label6.isEmpty()) {
      EXPECT_EQ(p.TntLabel6->text(), c.label6);
    }
    const qint64 last = c.databaseFlag ? databaseArchive_.size() : systemArchive_.size();
    EXPECT_EQ(p.DL_Status->text(), DownloadStatusCaption(last, 100));
    ASSERT_FALSE(barValues_.empty());
    EXPECT_EQ(barValues_.back(), 100);
    window_.reset();
  }
}

TEST_F(VersionPageTest, NothingSelectedReportsTheProblem) {
  StartWithUpdate(0, 0);
  VersionPage& p = Page();
  ModalBoxDismisser boxes;
  ASSERT_TRUE(p.DL_TntButton->isEnabled());
  p.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(
      boxes.Boxes()[0].text,
      QStringLiteral(
          "更新系統 ZIP Files下載 出問題, 請確認網路連線後再 按[下載(download)安裝] 鈕重新下載"));
  EXPECT_FALSE(Shown(p.DL_NEXTTIME_TntButton));
  EXPECT_EQ(p.TntLabel5->text(), QStringLiteral("ERROR -> 更新系統 ZIP Files下載 出問題....."));
  EXPECT_EQ(p.TntLabel6->text(), QStringLiteral(" "));
  EXPECT_TRUE(p.DL_TntButton->isEnabled());
  EXPECT_EQ(endRequests_, 0);
}

TEST_F(VersionPageTest, AFailedPressIsToldAndTheButtonsComeBack) {
  signArchives_ = [](const QByteArray& bytes) {
    return test::ForgedSignature(bytes, test::Forgery::kOtherKey);
  };
  StartWithUpdate(1, 0);
  ModalBoxDismisser boxes;
  Page().DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, texts::kNetworkErrorCaption);
  EXPECT_EQ(boxes.Boxes()[0].text, texts::kSignatureRefusedText);
  EXPECT_TRUE(Page().DL_TntButton->isEnabled());
  EXPECT_TRUE(Page().DL_NEXTTIME_TntButton->isEnabled());
  EXPECT_EQ(endRequests_, 0);
}

// Closing the window during an update download breaks the transfer off: the handler ends without
// a box, nothing is marked ready, and the download does not hold the ending program.
TEST_F(VersionPageTest, ClosingTheWindowBreaksTheDownloadOffWithoutABox) {
  // Shared with the server's thread, which may serve a last byte after the test body has ended.
  const auto served = std::make_shared<std::atomic<int>>(0);
  const auto archive = std::make_shared<const std::string>(systemArchive_);
  server_.http().Get("/drip/archive.zip",
                     [this, served, archive](const httplib::Request&, httplib::Response& res) {
                       res.set_content_provider(
                           archive->size(), "application/zip",
                           [this, served, archive](size_t offset, size_t, httplib::DataSink& sink) {
                             if (server_.stopping()) return false;
                             std::this_thread::sleep_for(std::chrono::milliseconds(20));
                             sink.write(archive->data() + offset, 1);
                             ++*served;
                             return true;
                           });
                     });
  TOstrel& w = StartWithUpdate(1, 0);
  archiveBodies_["archive.zip"] = QByteArray::fromStdString(systemArchive_);
  PublishRelease(installed_.system + "-new", installed_.database + "-new",
                 server_.url("/drip/archive.zip"), ArchiveUrl("db"));
  w.show();
  ModalBoxDismisser boxes;
  // The user closes the window once the download is under way.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (*served >= 3) {
      closer.stop();
      w.close();
    }
  });
  closer.start(10);
  Page().DL_TntButton->click();
  EXPECT_TRUE(w.isHidden());
  EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  EXPECT_NE(Page().session().downloadState(), State::kStaged);
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged(kSystemArchiveName))));
  EXPECT_FALSE(app_->Exists("__sys_Ravlek.ini"));
}

// A transfer that stalls does not stall the window: its timers keep firing while the archive
// hangs, and the cancel button breaks the download off at once, nothing staged.
TEST_F(VersionPageTest, AStalledTransferLeavesTheWindowAnsweringAndCanBeCancelled) {
  const auto served = std::make_shared<std::atomic<int>>(0);
  const auto archive = std::make_shared<const std::string>(systemArchive_);
  server_.http().Get("/stall/archive.zip",
                     [this, served, archive](const httplib::Request&, httplib::Response& res) {
                       res.set_content_provider(
                           archive->size(), "application/zip",
                           [this, served, archive](size_t offset, size_t, httplib::DataSink& sink) {
                             // A first stretch, then silence until the server stops.
                             if (offset > 0) {
                               while (!server_.stopping())
                                 std::this_thread::sleep_for(std::chrono::milliseconds(20));
                               return false;
                             }
                             sink.write(archive->data(), 1000);
                             ++*served;
                             return true;
                           });
                     });
  TOstrel& w = StartWithUpdate(1, 0);
  archiveBodies_["archive.zip"] = QByteArray::fromStdString(systemArchive_);
  PublishRelease(installed_.system + "-new", installed_.database + "-new",
                 server_.url("/stall/archive.zip"), ArchiveUrl("db"));
  w.show();
  ModalBoxDismisser boxes;
  QElapsedTimer clock;
  qint64 last = -1;
  qint64 longestGap = 0;
  int ticks = 0;
  bool cancelShown = false;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const qint64 now = clock.elapsed();
    if (last >= 0) longestGap = std::max(longestGap, now - last);
    last = now;
    ++ticks;
    // Well into the stall, the user cancels.
    if (*served >= 1 && now > 800 && Shown(Page().DL_Cancel_TntButton)) {
      cancelShown = true;
      Page().DL_Cancel_TntButton->click();
    }
  });
  clock.start();
  ticker.start(20);
  Page().DL_TntButton->click();
  ticker.stop();
  EXPECT_TRUE(cancelShown);
  EXPECT_GE(ticks, 20);
  EXPECT_LT(longestGap, 100);
  EXPECT_LT(clock.elapsed(), 10000);  // the stall limit (30 s) did not end it
  EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(Page().DL_Status->text(), texts::kDownloadCancelledStatus);
  EXPECT_FALSE(Shown(Page().DL_Cancel_TntButton));
  EXPECT_TRUE(Page().DL_TntButton->isEnabled());
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName) + ".part"));
  EXPECT_EQ(endRequests_, 0);
}

// A release file that fails at the start-up is told on its own; the version page still shows
// the installed versions and the update that LastVersion.xml announces.
TEST_F(VersionPageTest, TheVersionPageShowsTheUpdateAfterAFailedPackage) {
  PublishUpdate();
  Publish("information.xml", test::Information(packages_.html + "-2", packages_.images));
  Publish("HTML.zip", "this is no archive");
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
  EXPECT_EQ(boxes.Boxes()[0].text, texts::kPackageUnusableText.arg("HTML.zip"));
  EXPECT_EQ(boxes.Boxes()[1].caption, texts::kUpdateNoticeCaption);
  EXPECT_EQ(Page().system_ver->text(), installed_.system);
  EXPECT_EQ(w.TntTabControl1->GLOBAL_Control_page_ActivePage, QStringLiteral("TntTabSheet4"));
  for (QWidget* shown : UpdateControls(Page()))
    EXPECT_TRUE(Shown(shown)) << shown->objectName().toStdString();
}

TEST_F(VersionPageTest, LaterButtonPutsTheUpdateAside) {
  TOstrel& w = StartWithUpdate(1, 1);
  Page().DL_NEXTTIME_TntButton->click();
  EXPECT_FALSE(Shown(Page().DL_TntButton));
  EXPECT_FALSE(Shown(Page().DL_NEXTTIME_TntButton));
  EXPECT_EQ(w.TntTabControl1->currentWidget(), w.TntTabSheet1);
  EXPECT_EQ(Page().session().downloadState(), State::kNone);
  EXPECT_EQ(Page().session().announcement().flags.system, 1);
}

}  // namespace
}  // namespace ravlek
