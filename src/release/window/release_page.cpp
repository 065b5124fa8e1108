// The release steps of the start-up sequence: the release base address, the manifests, the
// package refresh, the version comparison and the announcement of an update.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>

#include "base/app_folder.h"
#include "base/error.h"
#include "base/profile.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "release/download.h"
#include "release/manifest.h"
#include "release/manifest_binding.h"
#include "release/release_files.h"
#include "release/release_notes.h"
#include "release/release_texts.h"
#include "release/signed_fetch.h"
#include "release/unzip.h"
#include "release/version_check.h"
#include "release/window/page_labels.h"
#include "release/window/release_state.h"

using ravlek::AppFolderFile;

namespace {

using ravlek::kLastReleaseFolder;

// A package file that does not come whole and signed is never used: the start-up ends here with
// the reason, the file in use unchanged.
// With a key, a package archive must be the one information.xml names (its SHA-256 and size):
// it is cut off at that size and checked before it takes its place.
void FetchPackageFile(const QString& base, const QString& name, const QString& file,
                      const ravlek::ArchiveFacts& facts, const ravlek::ReleaseSettings& settings) {
  ravlek::DownloadLimits limits;
  ravlek::FetchCheck accept;
  if (!settings.publicKey.isEmpty()) {
    if (!facts.known()) throw ravlek::Error(ravlek::texts::kArchiveUnboundText.arg(name));
    limits.maxBytes = facts.size;
    accept = [&facts, &name](const QString& partial) {
      return ravlek::FileMatches(partial, facts) ? QString()
                                                 : ravlek::texts::kArchiveMismatchText.arg(name);
    };
  } else if (facts.known()) {
    limits.maxBytes = facts.size;
  }
  const ravlek::FetchResult result =
      ravlek::FetchSignedFile(base + u'/' + name, file, limits, settings, accept);
  if (!result.ok()) throw ravlek::Error(ravlek::FetchFailureText(result, name));
}

// A package archive that cannot be unpacked ends the start-up with the reason in the program's
// language.
void UnpackPackage(const QString& archive, const QString& folder, const QString& name) {
  try {
    ravlek::UnzipToFolder(archive, folder, ravlek::PackageUnzipLimits());
  } catch (const ravlek::DiskFullError&) {
    throw ravlek::Error(ravlek::texts::kFetchNoSpaceText.arg(name));
  } catch (const ravlek::Error& error) {
    throw ravlek::Error(ravlek::texts::kPackageUnusableText.arg(name, error.message()));
  }
}

// A manifest read, any failure told in the program's language.
template <typename Read>
auto ReadManifest(const QString& path, Read read) {
  try {
    return read(path);
  } catch (const ravlek::Error& error) {
    throw ravlek::Error(
        ravlek::texts::kManifestUnreadableText.arg(QFileInfo(path).fileName(), error.message()));
  }
}

}  // namespace

void TOstrel::StartupReleaseAddress() {
  ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  state.xmlPath = ravlek::ReadProfileString(AppFolderFile(QStringLiteral("FDConnectionDefs.ini")),
                                            QStringLiteral("Connect_RavlekXML"),
                                            QStringLiteral("XMLpath"), kLastReleaseFolder);
  GLOBAL_HOST_XML_Path = ravlek::ReleaseBaseAddress(state.settings.root, state.xmlPath);
  if (state.xmlPath != kLastReleaseFolder) {
    ravlek::ShowTimedNotice(ravlek::texts::kTestModeNoticeText + GLOBAL_HOST_XML_Path,
                            ravlek::texts::kTestModeCaption, 5000);
  }
}

void TOstrel::StartupFetchManifest() {
  ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  const QString manifest = AppFolderFile(ravlek::kLatestManifestFile);
  const QString backup = AppFolderFile(ravlek::kLatestManifestBackup);
  ravlek::CopyFileReplacing(manifest, backup);
  ReleaseNote_TntMemo->hide();
  ReleaseNote_TntMemo->setEnabled(false);
  // A manifest without the publisher's signature, or one of an older release than one accepted,
  // counts as not fetched; the one in use stays.
  const ravlek::ManifestFetch fetch =
      ravlek::FetchManifest(GLOBAL_HOST_XML_Path, QStringLiteral("LastVersion.xml"), manifest,
                            AppFolderFile(ravlek::kKeptSequenceFile), state.settings);
  state.manifestFetched = fetch.result.ok();
  if (fetch.result.outcome == ravlek::FetchResult::Outcome::kRefused) {
    ravlek::ShowTimedNotice(fetch.result.detail, ravlek::texts::kInfoCaption, 6000);
  } else if (!state.manifestFetched) {
    const QString crlf = QStringLiteral("\r\n");
    ravlek::ShowTimedNotice(
        ravlek::texts::kManifestFailedLine1 + crlf + ravlek::texts::kManifestFailedLine2 + crlf +
            ravlek::texts::kManifestFailedLine3 + crlf + ravlek::texts::kManifestFailedLine4,
        ravlek::texts::kInfoCaption, 5000);
  }
  // A stale manifest is told once, and used all the same.
  if (ravlek::ExpiryToTell(fetch.stamp, AppFolderFile(ravlek::kExpiryWarnedFile))) {
    ravlek::ShowTimedNotice(ravlek::texts::kManifestExpiredText.arg(QLocale::c().toString(
                                fetch.stamp.expires.toUTC(), QStringLiteral("yyyy-MM-dd"))),
                            ravlek::texts::kInfoCaption, 5000);
  }
}

void TOstrel::StartupRefreshPackages() {
  const ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  if (!state.manifestFetched) return;
  const ravlek::ManifestFetch information =
      ravlek::FetchManifest(GLOBAL_HOST_XML_Path, QStringLiteral("information.xml"),
                            AppFolderFile(ravlek::kLatestPackagesFile),
                            AppFolderFile(ravlek::kKeptSequenceFile), state.settings);
  if (!information.result.ok()) {
    throw ravlek::Error(
        ravlek::FetchFailureText(information.result, QStringLiteral("information.xml")));
  }
  const ravlek::PackageIds installed =
      ReadManifest(AppFolderFile(ravlek::kInstalledPackagesFile), ravlek::ReadPackageIds);
  const ravlek::PackageIds latest =
      ReadManifest(AppFolderFile(ravlek::kLatestPackagesFile), ravlek::ReadPackageIds);
  bool refreshed = false;
  if (latest.html != installed.html) {
    const QString archive = AppFolderFile(kLastReleaseFolder + QStringLiteral("//HTML.zip"));
    FetchPackageFile(GLOBAL_HOST_XML_Path, QStringLiteral("HTML.zip"), archive, latest.htmlArchive,
                     state.settings);
    UnpackPackage(archive, AppFolderFile(kLastReleaseFolder), QStringLiteral("HTML.zip"));
    refreshed = true;
  }
  if (latest.images != installed.images) {
    const QString archive = AppFolderFile(kLastReleaseFolder + QStringLiteral("/HTML_images.zip"));
    FetchPackageFile(GLOBAL_HOST_XML_Path, QStringLiteral("HTML_images.zip"), archive,
                     latest.imagesArchive, state.settings);
    UnpackPackage(archive, ravlek::HanImagesFolder(), QStringLiteral("HTML_images.zip"));
    refreshed = true;
  }
  // The installed manifest moves on only once both packages are in place.
  if (refreshed) {
    ravlek::CopyFileReplacing(AppFolderFile(ravlek::kLatestPackagesFile),
                              AppFolderFile(ravlek::kInstalledPackagesFile));
  }
}

void TOstrel::StartupShowInstalledVersions() {
  ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  const auto releases =
      ReadManifest(AppFolderFile(ravlek::kInstalledManifestFile), ravlek::ReadReleases);
  state.installed = ravlek::InstalledVersionsOf(releases);
  if (!releases.empty()) {
    // A version may be longer than the designed label: the label grows to show it whole.
    ravlek::SetLabelTextWidened(system_ver, state.installed.system);
    ravlek::SetLabelTextWidened(database_ver, state.installed.database);
  }
}

void TOstrel::StartupListLatestRelease() {
  ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  // A manifest that no longer carries its signature (one left from before signatures were kept,
  // or one whose signature did not reach the disk) announces nothing.
  const QString manifest = AppFolderFile(ravlek::kLatestManifestFile);
  const auto releases =
      !QFileInfo::exists(manifest) || ravlek::KeptFileSigned(manifest, state.settings.publicKey)
          ? ReadManifest(manifest, ravlek::ReadReleases)
          : std::vector<ravlek::ReleaseEntry>();
  state.latest = ravlek::LatestReleaseOf(releases);
  if (releases.empty() && QFileInfo::exists(manifest) &&
      !ravlek::KeptFileSigned(manifest, state.settings.publicKey)) {
    // Nothing is announced: the latest release counts as the installed one.
    state.latest.system = state.installed.system;
    state.latest.database = state.installed.database;
  }
  // The memo starts with one empty line; the release's lines follow it.
  QStringList lines = upgrade_ver_TntMemo->toPlainText().split(u'\n');
  lines += state.latest.memoLines;
  upgrade_ver_TntMemo->setPlainText(ravlek::CutForMemo(lines.join(u'\n')));
  if (!releases.empty()) {
    GLOBAL_sys_DLURL = state.latest.systemUrl;
    GLOBAL_db_DLURL = state.latest.databaseUrl;
  }
}

void TOstrel::StartupAnnounceUpdate() {
  const ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  if (!ravlek::UpdateAnnounced(state.installed, state.latest)) return;
  ravlek::ShowTimedNotice(ravlek::texts::kUpdateNoticeText, ravlek::texts::kUpdateNoticeCaption,
                          6000);
  GLOBAL_Control_page_ActivePage = QStringLiteral("TntTabSheet4");
  ravlek::SetLabelText(TntLabel3, ravlek::texts::kUpdateLabel3);
  TntLabel3->show();
  ravlek::SetLabelText(TntLabel4, ravlek::texts::kUpdateLabel4);
  TntLabel4->show();
  TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet4),
                             ravlek::texts::kUpdatePageCaption);
  upgrade_ver_TntMemo->show();
  DL_upgrade_TntProgressBar->show();
  DL_TntButton->show();
  DL_NEXTTIME_TntButton->show();
  GLOBAL_sys_DL = 0;
  GLOBAL_db_DL = 0;
  GLOBAL_sys_DLURL = state.latest.systemUrl;
  GLOBAL_db_DLURL = state.latest.databaseUrl;
}

void TOstrel::StartupShowReleaseNotes() {
  const ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  if (ravlek::UpdateAnnounced(state.installed, state.latest)) return;
  ReleaseNote_TntMemo->show();
  ReleaseNote_TntMemo->setEnabled(true);
  ReleaseNote_TntMemo->setPlainText(ravlek::CutForMemo(
      ravlek::ReadReleaseNotes(AppFolderFile(QStringLiteral("ReleaseNote.txt"))).join(u'\n')));
}

void TOstrel::StartupSetDownloadFlags() {
  const ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
  const ravlek::DownloadFlags flags = ravlek::DownloadFlagsFor(state.installed, state.latest);
  if (state.latest.system != state.installed.system) GLOBAL_sys_DL = flags.system;
  if (state.latest.database != state.installed.database) GLOBAL_db_DL = flags.database;
}
