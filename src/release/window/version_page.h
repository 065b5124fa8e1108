#pragma once
// The version page (版本資訊 / 進版下載安裝): the installed versions, the release notes or the
// announced update, the download's progress and the download and later buttons. It shows what
// the update session finds and forwards the buttons to it.

#include <QString>
#include <functional>
#include <memory>

#include "app/window/designed_layout.h"
#include "release/release_settings.h"
#include "release/update_session.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QWidget;

namespace ravlek {

class VersionPage : private UpdateReporter {
 public:
  // Lays out the page's controls on `page` (a page of `tabs`) and the update buttons on `window`.
  // `startPage` is where the later button leads.
  VersionPage(QTabWidget* tabs, QWidget* page, QWidget* startPage, QWidget* window,
              const DesignUnits& units);
  ~VersionPage() override;
  VersionPage(const VersionPage&) = delete;
  VersionPage& operator=(const VersionPage&) = delete;

  // The page's layout table, and its controls on a window grown by `extra` beyond its design.
  static LayoutTable Places();
  void FollowGrowth(QSize extra) { layout_.Follow(extra); }

  // The release server, the key and the time-outs of this run.
  void UseSettings(const ReleaseSettings& settings);

  // ---- start-up steps 10 to 20, and the close
  void StartupReleaseAddress();
  void InstallStagedStarter(bool notify);
  void ReportRefusedUpdate();
  void StartupFetchManifest();
  void StartupRefreshPackages();
  void StartupShowInstalledVersions();
  void StartupListLatestRelease();
  // True when an update is announced: the version page is then the page to show first.
  bool StartupAnnounceUpdate();
  void StartupShowReleaseNotes();
  void StartupSetDownloadFlags();

  // ---- handlers
  void DL_TntButtonClick();
  void DL_NEXTTIME_TntButtonClick();
  void DL_Cancel_TntButtonClick();
  // The page-change part of the version page: the gate after an unfinished download, and the
  // update buttons, shown on this page only.
  void PageChanged();

  UpdateSession& session() { return *session_; }
  const UpdateSession& session() const { return *session_; }

  // A completed download ends the program without its close handler: this ends the event loop
  // (the window is hidden first). Tests put a recorder in its place.
  std::function<void()> endProgram;
  bool programEnding() const { return programEnding_; }

  // ---- controls
  QLabel* TntStaticSYS_Ver0 = nullptr;
  QLabel* system_ver = nullptr;
  QLabel* TntStaticBD_Ver = nullptr;
  QLabel* database_ver = nullptr;
  QPlainTextEdit* ReleaseNote_TntMemo = nullptr;
  QLabel* TntLabel3 = nullptr;
  QLabel* TntLabel4 = nullptr;
  QProgressBar* DL_upgrade_TntProgressBar = nullptr;
  QLabel* DL_Status = nullptr;
  QLabel* TntLabel5 = nullptr;
  QLabel* TntLabel6 = nullptr;
  QPlainTextEdit* upgrade_ver_TntMemo = nullptr;
  // beside the status line while an update downloads: breaks the download off
  QPushButton* DL_Cancel_TntButton = nullptr;
  // on the window itself, above the page control
  QPushButton* DL_TntButton = nullptr;
  QPushButton* DL_NEXTTIME_TntButton = nullptr;

 private:
  void LayOut();
  UpdateReporter& Reporter() { return *this; }
  // Runs `show` on the window's thread and waits for it: the download reports from its own.
  void OnWindowThread(const std::function<void()>& show);
  void EnableButtons(bool enabled);

  // UpdateReporter
  void Notice(const QString& text, const QString& caption, int milliseconds) override;
  void Message(const QString& text, const QString& caption) override;
  void Failure(const QString& text, const QString& details) override;
  void Progress(int percent, qint64 size) override;

  QTabWidget* tabs_;
  QWidget* page_;
  QWidget* startPage_;
  QWidget* window_;
  std::unique_ptr<UpdateSession> session_;
  bool programEnding_ = false;
  DesignedLayout layout_;
};

}  // namespace ravlek
