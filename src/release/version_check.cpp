#include "release/version_check.h"

#include "release/release_texts.h"

namespace ravlek {

QString ReleaseBaseAddress(const QString& root, const QString& xmlPath) {
  return root + QStringLiteral("/RavlekSystem_Release/") + xmlPath;
}

InstalledVersions InstalledVersionsOf(const std::vector<ReleaseEntry>& releases) {
  InstalledVersions installed;
  for (const ReleaseEntry& release : releases) {
    if (release.sysVersion) installed.system = *release.sysVersion;
    if (release.sysDownloadUrl && release.sysNotes && release.dbVersion)
      installed.database = *release.dbVersion;
  }
  return installed;
}

LatestRelease LatestReleaseOf(const std::vector<ReleaseEntry>& releases) {
  LatestRelease latest;
  for (const ReleaseEntry& release : releases) {
    latest.memoLines << texts::kMemoRelease + release.id;
    if (release.sysVersion) {
      latest.memoLines << texts::kMemoSysVersion + *release.sysVersion;
      latest.system = *release.sysVersion;
    }
    if (release.sysDownloadUrl) {
      latest.systemUrl = *release.sysDownloadUrl;
      latest.systemArchive = release.sysArchive;
    }
    if (release.sysNotes) latest.memoLines << texts::kMemoSysNotes + *release.sysNotes;
    if (release.dbVersion) {
      latest.memoLines << texts::kMemoDbVersion + *release.dbVersion;
      latest.database = *release.dbVersion;
    }
    if (release.dbDownloadUrl) {
      latest.databaseUrl = *release.dbDownloadUrl;
      latest.databaseArchive = release.dbArchive;
    }
    if (release.dbNotes) latest.memoLines << texts::kMemoDbNotes + *release.dbNotes;
  }
  return latest;
}

bool UpdateAnnounced(const InstalledVersions& installed, const LatestRelease& latest) {
  return latest.system != installed.system || latest.database != installed.database;
}

DownloadFlags DownloadFlagsFor(const InstalledVersions& installed, const LatestRelease& latest) {
  DownloadFlags flags;
  if (latest.system != installed.system)
    flags.system = latest.systemUrl == texts::kNoUpdateAddress ? 0 : 1;
  if (latest.database != installed.database)
    flags.database = latest.databaseUrl == texts::kNoUpdateAddress ||
                             latest.databaseUrl == texts::kInsideSysArchiveAddress
                         ? 0
                         : 1;
  return flags;
}

}  // namespace ravlek
