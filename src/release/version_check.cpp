#include "release/version_check.h"

#include <QRegularExpression>
#include <algorithm>

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

namespace {

// The leading numbers of a version: "1.10.2-rc" → 1, 10, 2.
std::vector<qint64> LeadingNumbers(const QString& version) {
  std::vector<qint64> numbers;
  static const QRegularExpression leading(QStringLiteral("^\\s*[vV]?(\\d+(?:\\.\\d+)*)"));
  const QRegularExpressionMatch match = leading.match(version);
  if (!match.hasMatch()) return numbers;
  for (const QString& part : match.captured(1).split(u'.')) numbers.push_back(part.toLongLong());
  return numbers;
}

// A changed version that is not a step back.
bool Advanced(const QString& latest, const QString& installed) {
  return latest != installed && !VersionOlder(latest, installed);
}

}  // namespace

bool VersionOlder(const QString& a, const QString& b) {
  const std::vector<qint64> left = LeadingNumbers(a);
  const std::vector<qint64> right = LeadingNumbers(b);
  if (left.empty() || right.empty()) return false;
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end());
}

bool UpdateAnnounced(const InstalledVersions& installed, const LatestRelease& latest) {
  return Advanced(latest.system, installed.system) || Advanced(latest.database, installed.database);
}

DownloadFlags DownloadFlagsFor(const InstalledVersions& installed, const LatestRelease& latest) {
  DownloadFlags flags;
  if (Advanced(latest.system, installed.system))
    flags.system = latest.systemUrl == texts::kNoUpdateAddress ? 0 : 1;
  if (Advanced(latest.database, installed.database))
    flags.database = latest.databaseUrl == texts::kNoUpdateAddress ||
                             latest.databaseUrl == texts::kInsideSysArchiveAddress
                         ? 0
                         : 1;
  return flags;
}

}  // namespace ravlek
