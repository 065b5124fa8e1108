// The binding elements of the release manifests: the publisher's stamp and the program's checks,
// without a window.

#include "release/manifest_binding.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <string>
#include <vector>

#include "release/manifest.h"

namespace ravlek {
namespace {

const QByteArray kLastVersion =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ravlek>\n  <release id=\"R&amp;1\">"
    "<sys_version>2.0 &lt;b&gt; &#23383;</sys_version>"
    "<sys_download_url>http://h/x/Ravlek_sys_upgrade.zip?a=1</sys_download_url>"
    "<sys_notes>notes</sys_notes><db_version>2</db_version>"
    "<db_download_url>無更新</db_download_url></release>\n</Ravlek>\n";

const QDateTime kExpires(QDate(2027, 6, 30), QTime(0, 0), QTimeZone::utc());

QString Write(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes) {
  QFile file(dir.filePath(name));
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
  return file.fileName();
}

std::optional<ArchiveFacts> SystemArchiveOnly(const QString& name) {
  if (name != "Ravlek_sys_upgrade.zip") return std::nullopt;
  return ArchiveFacts{QByteArray(64, 'a'), 1234};
}

TEST(ManifestBinding, StampAddsElementsAndKeepsTheExistingTexts) {
  QTemporaryDir dir;
  const QByteArray stamped =
      StampManifest(kLastVersion, "LastVersion.xml", 12, kExpires, SystemArchiveOnly);
  const QString path = Write(dir, "LastVersion.xml", stamped);
  const std::vector<ReleaseEntry> releases = ReadReleases(path);
  ASSERT_EQ(releases.size(), 1u);
  EXPECT_EQ(releases[0].id, "R&1");
  EXPECT_EQ(*releases[0].sysVersion, "2.0 <b> &#23383;");  // as the reader always read it
  EXPECT_EQ(*releases[0].dbDownloadUrl, QStringLiteral("無更新"));
  EXPECT_EQ(releases[0].sysArchive.sha256, QByteArray(64, 'a'));
  EXPECT_EQ(releases[0].sysArchive.size, 1234);
  EXPECT_FALSE(releases[0].dbArchive.known());
  const auto stamp = ReadManifestStamp(path);
  ASSERT_TRUE(stamp);
  EXPECT_EQ(stamp->file, "LastVersion.xml");
  EXPECT_EQ(stamp->sequence, 12);
  EXPECT_EQ(stamp->expires, kExpires);
  // Stamping again replaces the stamp and the facts, never doubles them.
  const QByteArray again =
      StampManifest(stamped, "LastVersion.xml", 13, kExpires, SystemArchiveOnly);
  EXPECT_EQ(again.count("<signed "), 1);
  EXPECT_EQ(again.count("<sys_sha256>"), 1);
  EXPECT_TRUE(
      StampManifest("not xml", "LastVersion.xml", 1, kExpires, SystemArchiveOnly).isEmpty());
}

TEST(ManifestBinding, PackagesOfInformationGetTheirFacts) {
  QTemporaryDir dir;
  const QByteArray stamped = StampManifest(
      "<Ravlek><info><HTML_release_id>h</HTML_release_id></info></Ravlek>", "information.xml", 3,
      kExpires, [](const QString& name) -> std::optional<ArchiveFacts> {
        if (name == "HTML.zip") return ArchiveFacts{QByteArray(64, 'b'), 9};
        return std::nullopt;
      });
  const PackageIds ids = ReadPackageIds(Write(dir, "information.xml", stamped));
  EXPECT_EQ(ids.html, "h");
  EXPECT_EQ(ids.htmlArchive.size, 9);
  EXPECT_FALSE(ids.imagesArchive.known());
}

struct VerdictCase {
  const char* label;
  QByteArray manifest;
  qint64 kept;
  StampVerdict::Kind kind;
  bool expired;
};

TEST(ManifestBinding, TheProgramAcceptsOnlyItsRoleAndNoOlderRelease) {
  const QDateTime now(QDate(2027, 1, 1), QTime(0, 0), QTimeZone::utc());
  const auto stamp = [](const char* role, qint64 sequence, const QDateTime& expires) {
    return StampManifest(kLastVersion, role, sequence, expires, SystemArchiveOnly);
  };
  const std::vector<VerdictCase> cases = {
      {"first ever", stamp("LastVersion.xml", 1, kExpires), -1, StampVerdict::Kind::kAccepted,
       false},
      {"same release again", stamp("LastVersion.xml", 4, kExpires), 4,
       StampVerdict::Kind::kAccepted, false},
      {"newer", stamp("LastVersion.xml", 5, kExpires), 4, StampVerdict::Kind::kAccepted, false},
      {"older", stamp("LastVersion.xml", 3, kExpires), 4, StampVerdict::Kind::kRolledBack, false},
      {"other role", stamp("information.xml", 5, kExpires), 4, StampVerdict::Kind::kWrongRole,
       false},
      {"no stamp", kLastVersion, -1, StampVerdict::Kind::kMissing, false},
      {"expired, still accepted", stamp("LastVersion.xml", 5, now.addDays(-1)), 4,
       StampVerdict::Kind::kAccepted, true},
  };
  QTemporaryDir dir;
  for (const VerdictCase& c : cases) {
    SCOPED_TRACE(c.label);
    const QString path = Write(dir, "m.xml", c.manifest);
    const StampVerdict verdict = CheckManifestStamp(path, "LastVersion.xml", c.kept, now);
    EXPECT_EQ(verdict.kind, c.kind);
    EXPECT_EQ(verdict.expired, c.expired);
    EXPECT_EQ(StampRefusalText(verdict, "LastVersion.xml", c.kept).isEmpty(), verdict.accepted());
  }
}

TEST(ManifestBinding, TheKeptSequenceAndTheExpiryToldOnce) {
  QTemporaryDir dir;
  const QString kept = dir.filePath("accepted_sequence.txt");
  EXPECT_EQ(ReadKeptSequence(kept), -1);
  ASSERT_TRUE(KeepSequence(kept, 42));
  EXPECT_EQ(ReadKeptSequence(kept), 42);

  StampVerdict verdict;
  verdict.kind = StampVerdict::Kind::kAccepted;
  verdict.expired = true;
  verdict.expires = kExpires;
  const QString warned = dir.filePath("expiry_warned.txt");
  EXPECT_TRUE(ExpiryToTell(verdict, warned));
  EXPECT_FALSE(ExpiryToTell(verdict, warned));
  verdict.expires = kExpires.addDays(1);  // a later manifest, stale again
  EXPECT_TRUE(ExpiryToTell(verdict, warned));
}

TEST(ManifestBinding, FileMatchesOnlyItsHashAndSize) {
  QTemporaryDir dir;
  const QString path = Write(dir, "a.zip", "archive bytes");
  const ArchiveFacts facts = FactsOfFile(path);
  EXPECT_TRUE(FileMatches(path, facts));
  EXPECT_FALSE(FileMatches(path, {facts.sha256, facts.size + 1}));
  EXPECT_FALSE(FileMatches(path, {QByteArray(64, '0'), facts.size}));
  EXPECT_FALSE(FileMatches(path, {}));
}

}  // namespace
}  // namespace ravlek
