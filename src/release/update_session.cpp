#include "release/update_session.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <cmath>
#include <optional>
#include <type_traits>

#include "base/app_folder.h"
#include "base/error.h"
#include "base/profile.h"
#include "release/manifest.h"
#include "release/manifest_binding.h"
#include "release/release_files.h"
#include "release/release_notes.h"
#include "release/release_texts.h"
#include "release/signed_fetch.h"
#include "release/staged_archive.h"
#include "release/unzip.h"

namespace ravlek {
namespace {

const QString kLatestManifestName = QStringLiteral("LastVersion.xml");
const QString kPackagesManifestName = QStringLiteral("information.xml");

// A package file that does not come whole and signed is never used, the file in use unchanged.
// With a key, a package archive must be the one information.xml names (its SHA-256 and size):
// it is cut off at that size and checked before it takes its place.
FetchResult FetchPackageFile(const QString& base, const QString& name, const QString& file,
                             const ArchiveFacts& facts, const ReleaseSettings& settings,
                             const std::atomic<bool>& cancel) {
  DownloadLimits limits;
  FetchCheck accept;
  if (!settings.publicKey.isEmpty()) {
    if (!facts.known()) {
      return {FetchResult::Outcome::kRefused, texts::kArchiveUnboundText.arg(name)};
    }
    limits.maxBytes = facts.size;
    accept = [&facts, &name](const QString& partial) {
      return FileMatches(partial, facts) ? QString() : texts::kArchiveMismatchText.arg(name);
    };
  } else if (facts.known()) {
    limits.maxBytes = facts.size;
  }
  FetchProgress progress;
  progress.cancel = &cancel;
  return FetchSignedFile(base + u'/' + name, file, limits, settings, accept, progress);
}

// The sequence floor that the installed release ships; -1 when it ships none.
qint64 InstalledSequence() {
  return ReadKeptSequence(AppFolderFile(kInstalledSequenceFile));
}

// Whether a manifest's download address names an archive at all.
bool IsArchiveAddress(const QString& url) {
  return !url.isEmpty() && url != texts::kNoUpdateAddress && url != texts::kInsideSysArchiveAddress;
}

}  // namespace

UpdateSession::UpdateSession(ReleaseSettings settings, UpdateReporter& reporter)
    : settings_(std::move(settings)), reporter_(reporter) {}

template <typename Read>
std::optional<std::invoke_result_t<Read, const QString&>> UpdateSession::ReadManifestFile(
    const QString& path, Read read) {
  try {
    return read(path);
  } catch (const Error& error) {
    reporter_.Failure(texts::kManifestUnreadableText.arg(QFileInfo(path).fileName()),
                      error.message());
    return std::nullopt;
  }
}

bool UpdateSession::FetchPackage(const QString& name, const QString& archive,
                                 const ArchiveFacts& facts, const QString& folder) {
  const FetchResult fetched = FetchPackageFile(base_, name, archive, facts, settings_, cancel_);
  if (fetched.outcome == FetchResult::Outcome::kCancelled) return false;
  if (!fetched.ok()) {
    reporter_.Failure(FetchFailureText(fetched, name), fetched.detail);
    return false;
  }
  try {
    UnzipToFolder(archive, folder, PackageUnzipLimits());
  } catch (const DiskFullError& error) {
    reporter_.Failure(texts::kFetchNoSpaceText.arg(name), error.message());
    return false;
  } catch (const Error& error) {
    reporter_.Failure(texts::kPackageUnusableText.arg(name), error.message());
    return false;
  }
  return true;
}

void UpdateSession::ResolveAddress() {
  const QString xmlPath = ReadProfileString(AppFolderFile(QStringLiteral("FDConnectionDefs.ini")),
                                            QStringLiteral("Connect_RavlekXML"),
                                            QStringLiteral("XMLpath"), kLastReleaseFolder);
  base_ = ReleaseBaseAddress(settings_.root, xmlPath);
  if (xmlPath != kLastReleaseFolder) {
    reporter_.Notice(texts::kTestModeNoticeText + base_, texts::kTestModeCaption, 5000);
  }
}

bool UpdateSession::InstallStagedStarter() {
  const QString staged = AppFolderFile(kStagedStarterFile);
  if (!QFileInfo::exists(staged)) return false;
  // A failed copy keeps the staged starter for the next try.
  if (CopyExecutableReplacing(staged, AppFolderFile(kStarterFileName))) DeleteFileQuietly(staged);
  return true;
}

void UpdateSession::ReportRefusedUpdate() {
  const QString noSpace = AppFolderFile(kNoSpaceNote);
  if (QFileInfo::exists(noSpace)) {
    // What the starter met, in the system's words, waits behind the details button.
    QFile note(noSpace);
    const QString met = note.open(QIODevice::ReadOnly)
                            ? QString::fromUtf8(note.read(64 * 1024)).trimmed()
                            : QString();
    note.close();
    DeleteFileQuietly(noSpace);
    reporter_.Failure(texts::kUpdateNoSpaceText, met);
  }
  const QString note = AppFolderFile(kRefusedUpdateNote);
  if (!QFileInfo::exists(note)) return;
  DeleteFileQuietly(note);
  reporter_.Message(texts::kUpdateRefusedText, texts::kInfoCaption);
}

void UpdateSession::FetchLatestManifest() {
  const QString manifest = AppFolderFile(kLatestManifestFile);
  CopyFileReplacing(manifest, AppFolderFile(kLatestManifestBackup));
  // A manifest without the publisher's signature, or one of an older release than one accepted,
  // counts as not fetched; the one in use stays.
  const ManifestFetch fetch =
      FetchManifest(base_, kLatestManifestName, manifest, AppFolderFile(kKeptSequenceFile),
                    settings_, InstalledSequence(), &cancel_);
  manifestFetched_ = fetch.result.ok();
  // Broken off because the window goes: nobody is left to tell.
  if (fetch.result.outcome == FetchResult::Outcome::kCancelled) return;
  if (fetch.result.outcome == FetchResult::Outcome::kRefused) {
    reporter_.Notice(fetch.result.detail, texts::kInfoCaption, 6000);
  } else if (!manifestFetched_) {
    const QString crlf = QStringLiteral("\r\n");
    reporter_.Notice(texts::kManifestFailedLine1 + crlf + texts::kManifestFailedLine2 + crlf +
                         texts::kManifestFailedLine3 + crlf + texts::kManifestFailedLine4,
                     texts::kInfoCaption, 5000);
  }
  // A stale manifest is told once, and used all the same.
  if (ExpiryToTell(fetch.stamp, AppFolderFile(kExpiryWarnedFile))) {
    reporter_.Notice(texts::kManifestExpiredText.arg(QLocale::c().toString(
                         fetch.stamp.expires.toUTC(), QStringLiteral("yyyy-MM-dd"))),
                     texts::kInfoCaption, 5000);
  }
}

void UpdateSession::RefreshPackages() {
  if (!manifestFetched_) return;
  const ManifestFetch information =
      FetchManifest(base_, kPackagesManifestName, AppFolderFile(kLatestPackagesFile),
                    AppFolderFile(kKeptSequenceFile), settings_, InstalledSequence(), &cancel_);
  if (information.result.outcome == FetchResult::Outcome::kCancelled) return;
  if (!information.result.ok()) {
    reporter_.Failure(FetchFailureText(information.result, kPackagesManifestName),
                      information.result.detail);
    return;
  }
  const auto installed = ReadManifestFile(AppFolderFile(kInstalledPackagesFile), ReadPackageIds);
  const auto latest = ReadManifestFile(AppFolderFile(kLatestPackagesFile), ReadPackageIds);
  if (!installed || !latest) return;
  bool changed = false;
  bool allInPlace = true;
  if (latest->html != installed->html) {
    changed = true;
    allInPlace &= FetchPackage(QStringLiteral("HTML.zip"),
                               AppFolderFile(kLastReleaseFolder + QStringLiteral("//HTML.zip")),
                               latest->htmlArchive, AppFolderFile(kLastReleaseFolder));
  }
  if (latest->images != installed->images) {
    changed = true;
    allInPlace &=
        FetchPackage(QStringLiteral("HTML_images.zip"),
                     AppFolderFile(kLastReleaseFolder + QStringLiteral("/HTML_images.zip")),
                     latest->imagesArchive, HanImagesFolder());
  }
  // The installed manifest moves on only once both packages are in place.
  if (changed && allInPlace) {
    CopyFileReplacing(AppFolderFile(kLatestPackagesFile), AppFolderFile(kInstalledPackagesFile));
  }
}

void UpdateSession::FetchReleaseFiles() {
  FetchLatestManifest();
  if (!cancel_) RefreshPackages();
}

void UpdateSession::ReadInstalledVersions() {
  const auto releases = ReadManifestFile(AppFolderFile(kInstalledManifestFile), ReadReleases);
  if (!releases) return;
  announcement_.installed = InstalledVersionsOf(*releases);
  announcement_.installedKnown = !releases->empty();
}

QStringList UpdateSession::ReadLatestRelease() {
  LatestRelease& latest = announcement_.latest;
  latest = LatestRelease();
  // Nothing announced: the latest release counts as the installed one.
  const auto announceNothing = [this, &latest] {
    latest.system = announcement_.installed.system;
    latest.database = announcement_.installed.database;
    return QStringList();
  };
  // A manifest never fetched is no failure: a first start without the network has none.
  const QString manifest = AppFolderFile(kLatestManifestFile);
  if (!QFileInfo::exists(manifest)) return announceNothing();
  // A manifest that no longer carries its signature (one left from before signatures were kept,
  // or one whose signature did not reach the disk) announces nothing.
  if (!KeptFileSigned(manifest, settings_.publicKey)) return announceNothing();
  const auto releases = ReadManifestFile(manifest, ReadReleases);
  if (!releases) return announceNothing();
  latest = LatestReleaseOf(*releases);
  return latest.memoLines;
}

void UpdateSession::SetDownloadFlags() {
  announcement_.flags = DownloadFlagsFor(announcement_.installed, announcement_.latest);
}

QStringList UpdateSession::ReleaseNotes() const {
  return ReadReleaseNotes(AppFolderFile(QStringLiteral("ReleaseNote.txt")));
}

bool UpdateSession::FetchArchive(const QString& url, const QString& target,
                                 const ArchiveFacts& facts, bool& cancelled) {
  const QString name = QFileInfo(target).fileName();
  // With a key, only an archive that the manifest names with its SHA-256 and size is fetched.
  if (!settings_.publicKey.isEmpty() && !facts.known()) {
    reporter_.Message(texts::kArchiveUnboundText.arg(name), texts::kNetworkErrorCaption);
    return false;
  }
  // An archive and mark left by an earlier download never vouch for this one.
  DeleteFileQuietly(ReadyMarkPath(target));
  DeleteFileQuietly(target);
  QDir().mkpath(QFileInfo(target).path());

  // A body longer than the manifest says is cut off there. The archive must be the one the
  // manifest names; without a key (and so without the manifest's facts) it must at least be as
  // long as its transfer announced, and never empty.
  DownloadLimits limits;
  limits.maxBytes = facts.known() ? facts.size : 0;
  qint64 announced = 0;
  bool cameShort = false;
  const FetchCheck accept = [&facts, &name, &announced, &cameShort](const QString& partial) {
    if (facts.known()) {
      return FileMatches(partial, facts) ? QString() : texts::kArchiveMismatchText.arg(name);
    }
    const qint64 size = FileSizeOf(partial);
    cameShort = size <= 0 || size != announced;
    return cameShort ? texts::kDownloadFailedText : QString();
  };
  int percent = 0;
  const auto report = [this, &percent](int value) {
    percent = value;
    reporter_.Progress(percent, lastSize_);
  };
  FetchProgress progress;
  progress.begin = [this, &announced](qint64 size) {
    announced = size;
    if (size > 0) lastSize_ = size;
  };
  progress.progress = [&announced, &report](qint64 received) {
    if (announced == 0) return;
    // The default rounding mode sends halves to the even neighbour (1/8 → 12, 3/8 → 38).
    report(static_cast<int>(
        std::nearbyint(static_cast<double>(received) / static_cast<double>(announced) * 100.0)));
  };
  progress.end = [&report] { report(100); };
  progress.cancel = &cancel_;

  for (int attempt = 0; attempt < 2; ++attempt) {
    report(0);
    announced = 0;
    const FetchResult result = FetchSignedFile(url, target, limits, settings_, accept, progress);
    if (result.ok()) {
      if (WriteReadyMark(target)) return true;
      DeleteFileQuietly(target);
      reporter_.Message(texts::kDownloadFailedText, texts::kNetworkErrorCaption);
      return false;
    }
    switch (result.outcome) {
      case FetchResult::Outcome::kCancelled:
        cancelled = true;
        return false;
      case FetchResult::Outcome::kUnsigned:
        reporter_.Message(texts::kSignatureRefusedText, texts::kNetworkErrorCaption);
        return false;
      case FetchResult::Outcome::kNoSpace:
        reporter_.Failure(texts::kDownloadNoSpaceText.arg(name), result.detail);
        return false;
      case FetchResult::Outcome::kCannotWrite:
        reporter_.Failure(FetchFailureText(result, name), result.detail);
        return false;
      case FetchResult::Outcome::kRefused:
        if (!cameShort) {
          reporter_.Message(result.detail, texts::kNetworkErrorCaption);
          return false;
        }
        break;
      case FetchResult::Outcome::kTooLarge:
        reporter_.Message(texts::kArchiveMismatchText.arg(name), texts::kNetworkErrorCaption);
        return false;
      case FetchResult::Outcome::kUnreachable:
      case FetchResult::Outcome::kFetched:
        break;
    }
    // A transfer that broke off or came short is tried once more.
    if (attempt == 0) {
      reporter_.Notice(QDir::toNativeSeparators(target) + texts::kRetryNoticeSuffix,
                       texts::kPoorNetworkCaption, 5000);
    }
  }
  reporter_.Message(texts::kDownloadFailedText, texts::kNetworkErrorCaption);
  return false;
}

DownloadOutcome UpdateSession::Download() {
  DownloadOutcome outcome;
  cancel_ = false;
  // Is the release server there at all? Only what the manifest verified at this press names is
  // fetched, never an address kept from the start-up.
  const QString manifest = AppFolderFile(kLatestManifestFile);
  CopyFileReplacing(manifest, AppFolderFile(kLatestManifestBackup));
  const FetchResult fetched =
      FetchManifest(base_, kLatestManifestName, manifest, AppFolderFile(kKeptSequenceFile),
                    settings_, InstalledSequence())
          .result;
  if (!fetched.ok()) {
    if (fetched.outcome == FetchResult::Outcome::kCancelled) {
      outcome.end = DownloadOutcome::End::kCancelled;
      return outcome;
    }
    reporter_.Message(fetched.outcome == FetchResult::Outcome::kUnreachable
                          ? texts::kNetworkDownText
                          : FetchFailureText(fetched, kLatestManifestName),
                      texts::kNetworkErrorCaption);
    return outcome;
  }
  LatestRelease& latest = announcement_.latest;
  const LatestRelease pressed = LatestReleaseOf(ReadReleases(manifest));
  latest.systemUrl = pressed.systemUrl;
  latest.databaseUrl = pressed.databaseUrl;
  latest.systemArchive = pressed.systemArchive;
  latest.databaseArchive = pressed.databaseArchive;

  const DownloadFlags& flags = announcement_.flags;
  const QString systemArchive = AppFolderFile(kSystemArchiveFile);
  const QString databaseArchive = AppFolderFile(kDatabaseArchiveFile);
  bool cancelled = false;
  if (flags.system == 1 && IsArchiveAddress(latest.systemUrl)) {
    if (!FetchArchive(latest.systemUrl, systemArchive, latest.systemArchive, cancelled)) {
      outcome.end = cancelled ? DownloadOutcome::End::kCancelled : DownloadOutcome::End::kStopped;
      return outcome;
    }
    outcome.systemFetched = true;
  }
  if (flags.database == 1 && IsArchiveAddress(latest.databaseUrl)) {
    outcome.databaseTried = true;
    // A database archive that fails for good takes a staged system archive with it; the
    // evaluation below then reports the failure.
    if (!FetchArchive(latest.databaseUrl, databaseArchive, latest.databaseArchive, cancelled)) {
      DeleteFileQuietly(systemArchive);
      DeleteFileQuietly(ReadyMarkPath(systemArchive));
      if (cancelled) {
        outcome.end = DownloadOutcome::End::kCancelled;
        return outcome;
      }
    }
  }

  downloadState_ = DownloadState::kDownloading;
  const bool systemThere = QFileInfo::exists(systemArchive);
  const bool databaseThere = QFileInfo::exists(databaseArchive);
  const bool complete = (flags.system == 1 || flags.database == 1) &&
                        (flags.system == 0 || systemThere) &&
                        (flags.database == 0 || databaseThere);
  if (complete) downloadState_ = DownloadState::kStaged;
  outcome.end = complete ? DownloadOutcome::End::kStaged : DownloadOutcome::End::kIncomplete;
  return outcome;
}

void UpdateSession::EndForInstall() {
  DeleteFileQuietly(AppFolderFile(kStartMarkerFile));
}

}  // namespace ravlek
