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

#include "app/app_folder.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "release/IdHTTPProgress.h"
#include "release/download.h"
#include "release/release_files.h"
#include "release/release_signature.h"
#include "release/release_texts.h"
#include "release/staged_archive.h"
#include "release/window/download_progress_display.h"
#include "release/window/page_labels.h"
#include "release/window/release_state.h"

using ravlek::AppFolderFile;

namespace {

void EnableButtons(TOstrel& window, bool enabled) {
  window.DL_TntButton->setEnabled(enabled);
  window.DL_NEXTTIME_TntButton->setEnabled(enabled);
}

// A complete archive whose signature verifies is marked ready for the starter. False (archive
// deleted, user told) otherwise.
bool MarkReady(TOstrel& window, const QString& url, const QString& target) {
  const ravlek::TIdHTTPProgress& client = *window.IdHTTPProgress;
  const QString caFile = client.IOHndl ? client.IOHndl->CAFile : QString();
  if (!ravlek::ReleaseFileSigned(url, target, caFile)) {
    ravlek::DeleteFileQuietly(target);
    ravlek::ShowCaptionedMessage(&window, ravlek::texts::kSignatureRefusedText,
                                 ravlek::texts::kNetworkErrorCaption);
    EnableButtons(window, true);
    return false;
  }
  if (ravlek::WriteReadyMark(target)) return true;
  ravlek::DeleteFileQuietly(target);
  ravlek::ShowCaptionedMessage(&window, ravlek::texts::kDownloadFailedText,
                               ravlek::texts::kNetworkErrorCaption);
  EnableButtons(window, true);
  return false;
}

// Fetches one archive with progress, checks it against the announced size and tries once more.
// False when it is still incomplete; the target is then deleted and the user has been told.
bool FetchArchive(TOstrel& window, const QString& url, const QString& target) {
  if (!window.IdHTTPProgress) window.IdHTTPProgress = std::make_shared<ravlek::TIdHTTPProgress>();
  ravlek::TIdHTTPProgress& client = *window.IdHTTPProgress;
  client.SetOnChange([&window](ravlek::TIdHTTPProgress*) { window.DownloadProgressChanged(); });
  // The file must match the last announced size; an empty file is never an archive, even when
  // no size has been announced in this run yet (the kept size is then 0 as well).
  const auto complete = [&window, &target] {
    const qint64 size = ravlek::FileSizeOf(target);
    return size > 0 && size == window.GLOBAL_DL_size;
  };
  // A mark left by an earlier download never vouches for this one.
  ravlek::DeleteFileQuietly(ravlek::ReadyMarkPath(target));
  client.DownloadFile(url, target);
  if (complete()) return MarkReady(window, url, target);
  ravlek::ShowTimedNotice(QDir::toNativeSeparators(target) + ravlek::texts::kRetryNoticeSuffix,
                          ravlek::texts::kPoorNetworkCaption, 5000);
  client.DownloadFile(url, target);
  if (complete()) return MarkReady(window, url, target);
  ravlek::ShowCaptionedMessage(&window, ravlek::texts::kDownloadFailedText,
                               ravlek::texts::kNetworkErrorCaption);
  EnableButtons(window, true);
  ravlek::DeleteFileQuietly(target);
  return false;
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
  const QString manifestUrl = GLOBAL_HOST_XML_Path + QStringLiteral("/LastVersion.xml");
  if (!ravlek::DownloadToFile(manifestUrl, manifest, ravlek::ManifestDownloadLimits()) ||
      !ravlek::ReleaseFileSigned(manifestUrl, manifest)) {
    ravlek::CopyFileReplacing(backup, manifest);
    ravlek::ShowCaptionedMessage(this, ravlek::texts::kNetworkDownText,
                                 ravlek::texts::kNetworkErrorCaption);
    EnableButtons(*this, true);
    return;
  }

  const QString systemArchive = AppFolderFile(ravlek::kSystemArchiveFile);
  const QString databaseArchive = AppFolderFile(ravlek::kDatabaseArchiveFile);
  if (GLOBAL_sys_DL == 1) {
    if (!FetchArchive(*this, GLOBAL_sys_DLURL, systemArchive)) return;
    ravlek::SetLabelText(TntLabel5, ravlek::texts::kSysArchiveDoneLabel);
    TntLabel5->show();
  }
  if (GLOBAL_db_DL == 1) {
    // A database archive that fails for good takes a staged system archive with it; the
    // evaluation below then reports the failure.
    if (!FetchArchive(*this, GLOBAL_db_DLURL, databaseArchive)) {
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
  if (ravlek::CopyFileReplacing(staged, AppFolderFile(ravlek::kStarterFileName)))
    ravlek::DeleteFileQuietly(staged);
  if (notify) {
    const QString crlf = QStringLiteral("\r\n");
    ravlek::ShowTimedNotice(ravlek::texts::kStarterNoticeLine1 + crlf +
                                ravlek::texts::kStarterNoticeLine2 + crlf +
                                ravlek::texts::kStarterNoticeLine3,
                            ravlek::texts::kInfoCaption, 3000);
  }
}
