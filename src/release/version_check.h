#pragma once
// The start-up comparison of the installed with the latest release, without the window.

#include <QString>
#include <QStringList>
#include <vector>

#include "release/manifest.h"

namespace ravlek {

// RAVLEK_RELEASE_ROOT + "/RavlekSystem_Release/" + XMLpath, nothing added between the last two.
QString ReleaseBaseAddress(const QString& root, const QString& xmlPath);

// The installed versions of CurrentVersion.xml. The database version only counts from a release
// that also names sys_download_url and sys_notes.
struct InstalledVersions {
  QString system;
  QString database;
};
InstalledVersions InstalledVersionsOf(const std::vector<ReleaseEntry>& releases);

// What LastVersion.xml announces, with the memo lines that list it; the last release wins.
struct LatestRelease {
  QStringList memoLines;
  QString system;
  QString database;
  QString systemUrl;
  QString databaseUrl;
  ArchiveFacts systemArchive;  // as the release that gave the address names it
  ArchiveFacts databaseArchive;
};
LatestRelease LatestReleaseOf(const std::vector<ReleaseEntry>& releases);

// Whether version `a` is older than `b` by their leading numbers ("0.9.0" before "1.0.0",
// "1.2" before "1.10"). Versions whose numbers are equal, or that do not start with a number, are
// not ordered: a different one of them counts as a change.
bool VersionOlder(const QString& a, const QString& b);

// An update is a system or database version that differs from the installed one and is not older
// than it: a lower version is never offered, even when a signed manifest names it.
bool UpdateAnnounced(const InstalledVersions& installed, const LatestRelease& latest);

// Which archives the download button fetches: a changed, not older version with a real address.
struct DownloadFlags {
  int system = 0;
  int database = 0;
};
DownloadFlags DownloadFlagsFor(const InstalledVersions& installed, const LatestRelease& latest);

}  // namespace ravlek
