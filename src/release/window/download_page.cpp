// The version page's update download: the download and later buttons, the progress display and
// the installation of a staged starter program.

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <exception>

#include "base/app_folder.h"
#include "base/error.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "release/IdHTTPProgress.h"
#include "release/download.h"
#include "release/manifest.h"
#include "release/manifest_binding.h"
#include "release/release_files.h"
#include "release/release_signature.h"
#include "release/release_texts.h"
#include "release/signed_fetch.h"
#include "release/staged_archive.h"
#include "release/version_check.h"
#include "release/window/download_progress_display.h"
#include "release/window/page_labels.h"
#include "release/window/release_state.h"

using ravlek::AppFolderFile;

namespace {

void EnableButtons(TOstrel& window, bool enabled) {
  window.DL_TntButton->setEnabled(enabled);
  window.DL_NEXTTIME_TntButton->setEnabled(enabled);
}

// A complete archive (fetched under its temporary name) whose signature verifies is renamed into
// place and marked ready for the starter. False (archive deleted, user told) otherwise.
bool MarkReady(TOstrel& window, const QString& url, const QString& partial, const QString& target,
               const ravlek::ArchiveFacts& facts) {
  const ravlek::TIdHTTPProgress& client = *window.IdHTTPProgress;
  const QString caFile = client.IOHndl ? client.IOHndl->CAFile : QString();
  if (!ravlek::ReleaseFileSigned(
          url, partial, ravlek::EnsureReleaseState(window.releaseState).settings, caFile)) {
    ravlek::DeleteFileQuietly(partial);
    ravlek::ShowCaptionedMessage(&window, ravlek::texts::kSignatureRefusedText,
                                 ravlek::texts::kNetworkErrorCaption);
    EnableButtons(window, true);
    return false;
  }
  // Signed is not enough: it must be the archive that the manifest verified at this press names.
  if (facts.known() && !ravlek::FileMatches(partial, facts)) {
    ravlek::DeleteFileQuietly(partial);
    ravlek::ShowCaptionedMessage(
        &window, ravlek::texts::kArchiveMismatchText.arg(QFileInfo(target).fileName()),
        ravlek::texts::kNetworkErrorCaption);
    EnableButtons(window, true);
    return false;
  }
  if (ravlek::SyncToDisk(partial) && ravlek::RenameDurably(partial, target) &&
      ravlek::WriteReadyMark(target)) {
    return true;
  }
  ravlek::DeleteFileQuietly(partial);
  ravlek::DeleteFileQuietly(target);
  ravlek::ShowCaptionedMessage(&window, ravlek::texts::kDownloadFailedText,
                               ravlek::texts::kNetworkErrorCaption);
  EnableButtons(window, true);
  return false;
}

// Fetches one archive with progress, checks it against the announced size and tries once more.
// False when it is still incomplete; the target is then deleted and the user has been told.
bool FetchArchive(TOstrel& window, const QString& url, const QString& target,
                  const ravlek::ArchiveFacts& facts) {
  // With a key, only an archive that the manifest names with its SHA-256 and size is fetched.
  if (!ravlek::EnsureReleaseState(window.releaseState).settings.publicKey.isEmpty() &&
      !facts.known()) {
    ravlek::ShowCaptionedMessage(
        &window, ravlek::texts::kArchiveUnboundText.arg(QFileInfo(target).fileName()),
        ravlek::texts::kNetworkErrorCaption);
    EnableButtons(window, true);
    return false;
  }
  if (!window.IdHTTPProgress) window.IdHTTPProgress = std::make_shared<ravlek::TIdHTTPProgress>();
  ravlek::TIdHTTPProgress& client = *window.IdHTTPProgress;
  client.SetOnChange([&window](ravlek::TIdHTTPProgress*) { window.DownloadProgressChanged(); });
  // A body longer than the manifest says is cut off there.
  client.MaxBytes = facts.known() ? facts.size : 0;
  // The archive comes under a temporary name and takes its place only once it is complete and
  // signed. It must match the last announced size; an empty file is never an archive, even when
  // no size has been announced in this run yet (the kept size is then 0 as well).
  const QString partial = ravlek::PartialFileOf(target);
  const auto complete = [&window, &partial] {
    const qint64 size = ravlek::FileSizeOf(partial);
    return size > 0 && size == window.GLOBAL_DL_size;
  };
  // An archive and mark left by an earlier download never vouch for this one.
  ravlek::DeleteFileQuietly(ravlek::ReadyMarkPath(target));
  ravlek::DeleteFileQuietly(target);
  // A failed transfer leaves nothing behind and is told in the program's language.
  const auto download = [&client, &url, &partial, &target] {
    try {
      client.DownloadFile(url, partial);
    } catch (const ravlek::DiskFullError&) {
      ravlek::DeleteFileQuietly(partial);
      throw ravlek::Error(ravlek::texts::kDownloadNoSpaceText.arg(QFileInfo(target).fileName()));
    } catch (const ravlek::Error& error) {
      ravlek::DeleteFileQuietly(partial);
      throw ravlek::Error(ravlek::texts::kArchiveDownloadFailedText.arg(
          QFileInfo(target).fileName(), error.message()));
    }
  };
  download();
  if (complete()) return MarkReady(window, url, partial, target, facts);
  ravlek::ShowTimedNotice(QDir::toNativeSeparators(target) + ravlek::texts::kRetryNoticeSuffix,
                          ravlek::texts::kPoorNetworkCaption, 5000);
  download();
  if (complete()) return MarkReady(window, url, partial, target, facts);
  ravlek::ShowCaptionedMessage(&window, ravlek::texts::kDownloadFailedText,
                               ravlek::texts::kNetworkErrorCaption);
  EnableButtons(window, true);
  ravlek::DeleteFileQuietly(partial);
  return false;
}

// Whether a manifest's download address names an archive at all.
bool IsArchiveAddress(const QString& url) {
  return !url.isEmpty() && url != ravlek::texts::kNoUpdateAddress &&
         url != ravlek::texts::kInsideSysArchiveAddress;
}

}  // namespace

void TOstrel::DownloadProgressChanged() {
  ravlek::ShowDownloadProgress(*IdHTTPProgress, *DL_upgrade_TntProgressBar, *DL_Status,
                               GLOBAL_DL_size);
}

void TOstrel::DL_TntButtonClick() {
  EnableButtons(*this, false);
  // A transfer's own error escapes to the error report; the buttons come back for another try.
  struct EnableOnError {
    TOstrel& window;
    int pending = std::uncaught_exceptions();
    ~EnableOnError() {
      if (std::uncaught_exceptions() > pending) EnableButtons(window, true);
    }
  } enableOnError{*this};
  DL_Status->show();

  // Is the release server there at all?
  const QString manifest = AppFolderFile(ravlek::kLatestManifestFile);
  const QString backup = AppFolderFile(ravlek::kLatestManifestBackup);
  ravlek::CopyFileReplacing(manifest, backup);
  const ravlek::ReleaseSettings& settings = ravlek::EnsureReleaseState(releaseState).settings;
  const ravlek::FetchResult fetched =
      ravlek::FetchManifest(GLOBAL_HOST_XML_Path, QStringLiteral("LastVersion.xml"), manifest,
                            AppFolderFile(ravlek::kKeptSequenceFile), settings)
          .result;
  if (!fetched.ok()) {
    ravlek::ShowCaptionedMessage(
        this,
        fetched.outcome == ravlek::FetchResult::Outcome::kUnreachable
            ? ravlek::texts::kNetworkDownText
            : ravlek::FetchFailureText(fetched, QStringLiteral("LastVersion.xml")),
        ravlek::texts::kNetworkErrorCaption);
    EnableButtons(*this, true);
    return;
  }
  // Only what the manifest verified at this press names is fetched, never an address kept from
  // the start-up.
  const ravlek::LatestRelease pressed = ravlek::LatestReleaseOf(ravlek::ReadReleases(manifest));
  GLOBAL_sys_DLURL = pressed.systemUrl;
  GLOBAL_db_DLURL = pressed.databaseUrl;

  const QString systemArchive = AppFolderFile(ravlek::kSystemArchiveFile);
  const QString databaseArchive = AppFolderFile(ravlek::kDatabaseArchiveFile);
  if (GLOBAL_sys_DL == 1 && IsArchiveAddress(GLOBAL_sys_DLURL)) {
    if (!FetchArchive(*this, GLOBAL_sys_DLURL, systemArchive, pressed.systemArchive)) return;
    ravlek::SetLabelText(TntLabel5, ravlek::texts::kSysArchiveDoneLabel);
    TntLabel5->show();
  }
  if (GLOBAL_db_DL == 1 && IsArchiveAddress(GLOBAL_db_DLURL)) {
    // A database archive that fails for good takes a staged system archive with it; the
    // evaluation below then reports the failure.
    if (!FetchArchive(*this, GLOBAL_db_DLURL, databaseArchive, pressed.databaseArchive)) {
      ravlek::DeleteFileQuietly(systemArchive);
      ravlek::DeleteFileQuietly(ravlek::ReadyMarkPath(systemArchive));
    }
    QLabel* label = GLOBAL_sys_DL == 1 ? TntLabel6 : TntLabel5;
    ravlek::SetLabelText(label, ravlek::texts::kDbArchiveDoneLabel);
    label->show();
  }

  const QString selection = QString::number(GLOBAL_sys_DL) + QString::number(GLOBAL_db_DL);
  GLOBAL_DL_status = QStringLiteral("downloading");
  const bool systemThere = QFileInfo::exists(systemArchive);
  const bool databaseThere = QFileInfo::exists(databaseArchive);
  if ((selection == QStringLiteral("11") && systemThere && databaseThere) ||
      (selection == QStringLiteral("10") && systemThere) ||
      (selection == QStringLiteral("01") && databaseThere)) {
    GLOBAL_DL_status = QStringLiteral("ok");
  }

  if (GLOBAL_DL_status == QStringLiteral("ok")) {
    ravlek::ShowPlainMessage(ravlek::texts::kDownloadCompleteMessage);
    // The program ends here without its close handler: the starter installs what is staged.
    ravlek::ReleaseState& state = ravlek::EnsureReleaseState(releaseState);
    state.programEnding = true;
    hide();
    if (state.endProgram) {
      state.endProgram();
    } else {
      QCoreApplication::exit(0);
    }
    ravlek::DeleteFileQuietly(AppFolderFile(ravlek::kStartMarkerFile));
  } else {
    ravlek::ShowPlainMessage(ravlek::texts::kDownloadProblemMessage);
    DL_NEXTTIME_TntButton->hide();
    ravlek::SetLabelText(TntLabel5, ravlek::texts::kDownloadErrorLabel);
    ravlek::SetLabelText(TntLabel6, QStringLiteral(" "));
  }
  EnableButtons(*this, true);
}

void TOstrel::DL_NEXTTIME_TntButtonClick() {
  DL_TntButton->hide();
  DL_NEXTTIME_TntButton->hide();
  SelectPage(TntTabSheet1);
}

void TOstrel::ReportRefusedUpdate() {
  const QString noSpace = AppFolderFile(ravlek::kNoSpaceNote);
  if (QFileInfo::exists(noSpace)) {
    ravlek::DeleteFileQuietly(noSpace);
    ravlek::ShowCaptionedMessage(this, ravlek::texts::kUpdateNoSpaceText,
                                 ravlek::texts::kInfoCaption);
  }
  const QString note = AppFolderFile(ravlek::kRefusedUpdateNote);
  if (!QFileInfo::exists(note)) return;
  ravlek::DeleteFileQuietly(note);
  ravlek::ShowCaptionedMessage(this, ravlek::texts::kUpdateRefusedText,
                               ravlek::texts::kInfoCaption);
}

void TOstrel::InstallStagedStarter(bool notify) {
  const QString staged = AppFolderFile(ravlek::kStagedStarterFile);
  if (!QFileInfo::exists(staged)) return;
  // A failed copy keeps the staged starter for the next try.
  if (ravlek::CopyExecutableReplacing(staged, AppFolderFile(ravlek::kStarterFileName)))
    ravlek::DeleteFileQuietly(staged);
  if (notify) {
    const QString crlf = QStringLiteral("\r\n");
    ravlek::ShowTimedNotice(ravlek::texts::kStarterNoticeLine1 + crlf +
                                ravlek::texts::kStarterNoticeLine2 + crlf +
                                ravlek::texts::kStarterNoticeLine3,
                            ravlek::texts::kInfoCaption, 3000);
  }
}
