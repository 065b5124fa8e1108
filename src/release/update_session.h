#pragma once
// One run's update session: the release steps of the start-up (the release address, the latest
// manifest, the resource packages, the installed and the announced versions) and the update
// download (fetched, verified, staged for the starter). What it has to tell, it tells through an
// UpdateReporter; it shows nothing itself and works in the application folder (the current
// directory).

#include <QString>
#include <QStringList>
#include <atomic>
#include <optional>
#include <type_traits>

#include "release/release_settings.h"
#include "release/version_check.h"

namespace ravlek {

class UpdateReporter {
 public:
  virtual ~UpdateReporter() = default;
  // A notice that closes itself after `milliseconds`.
  virtual void Notice(const QString& text, const QString& caption, int milliseconds) = 0;
  // A message with its own caption that waits for the user.
  virtual void Message(const QString& text, const QString& caption) = 0;
  // A failure, told as an error in the program's language; `details` (the system's own words, a
  // path) only for those who ask for them.
  virtual void Failure(const QString& text, const QString& details) = 0;
  // The transfer under way: its percentage and its size (the last size a transfer announced;
  // 0 while none has).
  virtual void Progress(int percent, qint64 size) = 0;
};

// What the latest manifest announced, against what is installed: the one record that the
// version page and the download button read.
struct Announcement {
  InstalledVersions installed;
  bool installedKnown = false;  // CurrentVersion.xml names a release
  LatestRelease latest;
  DownloadFlags flags;  // which archives the download button fetches
  bool updateAnnounced() const { return UpdateAnnounced(installed, latest); }
};

// How a press of the download button ended.
struct DownloadOutcome {
  enum class End {
    kStaged,      // every selected archive is staged and marked ready: the program ends now
    kIncomplete,  // the press ran through, but not every selected archive is there
    kStopped,     // stopped early; the reason has been told
    kCancelled,   // broken off: the program is ending or the user cancelled
  };
  End end = End::kStopped;
  bool systemFetched = false;  // the system archive was fetched in this press
  bool databaseTried = false;  // the database archive was asked for in this press
};

class UpdateSession {
 public:
  enum class DownloadState { kNone, kDownloading, kStaged };

  UpdateSession(ReleaseSettings settings, UpdateReporter& reporter);

  // Start-up steps 10 and 11: the release base address from FDConnectionDefs.ini, with a notice
  // when it is a test folder. Each later step tells its own failures and never ends the others:
  // one file that fails hides nothing that the other files give.
  void ResolveAddress();
  // Step 12 and the close: installs a starter that an update staged. True when one was installed.
  bool InstallStagedStarter();
  // Tells, once, that the starter refused or dropped the update staged in the last run.
  void ReportRefusedUpdate();
  // Step 14: LastVersion.xml from the server, the one in use kept when that fails.
  void FetchLatestManifest();
  // Step 15: information.xml and the packages it names anew, each on its own.
  void RefreshPackages();
  // Steps 14 and 15 together. Like Download, this may run on a thread of its own, the reporter
  // then called on that thread; Cancel breaks it off without a word.
  void FetchReleaseFiles();
  // Step 16: the installed versions.
  void ReadInstalledVersions();
  // Step 17: the latest release; the memo lines that list it. A manifest never fetched (none on
  // disk) announces nothing and is no failure.
  QStringList ReadLatestRelease();
  // Step 20: which archives the button fetches.
  void SetDownloadFlags();
  // Step 19: the installed version's release notes.
  QStringList ReleaseNotes() const;

  // The download button: fetches the manifest again and the archives it names now. It may run on
  // a thread of its own: it touches nothing but the application folder, the network and the
  // reporter, which is then called on that thread.
  DownloadOutcome Download();
  // Breaks a running Download (it ends with kCancelled, nothing staged) or FetchReleaseFiles off,
  // from any thread.
  void Cancel() { cancel_ = true; }
  bool cancelled() const { return cancel_; }
  // After a completed download the program ends without its close handler.
  void EndForInstall();

  const Announcement& announcement() const { return announcement_; }
  Announcement& announcement() { return announcement_; }
  const QString& baseAddress() const { return base_; }
  void SetBaseAddress(const QString& base) { base_ = base; }
  DownloadState downloadState() const { return downloadState_; }
  void SetDownloadState(DownloadState state) { downloadState_ = state; }
  qint64 lastTransferSize() const { return lastSize_; }
  bool manifestFetched() const { return manifestFetched_; }
  const ReleaseSettings& settings() const { return settings_; }

 private:
  // A manifest on disk read by `read`; nullopt when it cannot be, the failure told.
  template <typename Read>
  std::optional<std::invoke_result_t<Read, const QString&>> ReadManifestFile(const QString& path,
                                                                             Read read);
  // A resource package fetched and unpacked into `folder`; false when it failed (told).
  bool FetchPackage(const QString& name, const QString& archive, const ArchiveFacts& facts,
                    const QString& folder);
  bool FetchArchive(const QString& url, const QString& target, const ArchiveFacts& facts,
                    bool& cancelled);

  ReleaseSettings settings_;
  UpdateReporter& reporter_;
  QString base_;  // the release folder's address
  bool manifestFetched_ = false;
  Announcement announcement_;
  std::atomic<DownloadState> downloadState_ = DownloadState::kNone;
  std::atomic<qint64> lastSize_ = 0;
  std::atomic<bool> cancel_ = false;
};

}  // namespace ravlek
