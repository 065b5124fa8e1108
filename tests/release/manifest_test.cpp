// The release manifests, the version comparison and the release notes.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "base/error.h"
#include "release/manifest.h"
#include "release/release_notes.h"
#include "release/version_check.h"

namespace {

class ManifestTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& bytes, const QString& name = QStringLiteral("m.xml")) {
    const QString path = folder_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QTemporaryDir folder_;
};

struct TextCase {
  QByteArray inner;  // what stands between <sys_version> and </sys_version>
  QString text;
};

TEST_F(ManifestTest, ElementTextIsTheCharacterDataUpToTheNextTag) {
  const std::vector<TextCase> cases = {
      {"1.0", "1.0"},
      {" 1.0 ", " 1.0 "},
      {" \t\r\n ", ""},
      {"a&lt;b&gt;c&quot;d&apos;e&amp;f", "a<b>c\"d'e&f"},
      {"&amp;lt;", "&lt;"},
      {"&#65;&#x42;", "&#65;&#x42;"},
      {"x<!--note-->y", "x"},
      {"<!--note-->y", ""},
      {"<![CDATA[z]]>", ""},
      {"v<![CDATA[z]]>", "v"},
      {"line1\r\nline2", "line1\r\nline2"},
      {"<b>inner</b>tail", ""},
      {"版本 2", "版本 2"},
      {"", ""},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.inner.toStdString());
    const QString path = Write("<r><release id=\"A&amp;B\"><sys_version>" + c.inner +
                               "</sys_version></release></r>");
    const auto releases = ravlek::ReadReleases(path);
    ASSERT_EQ(releases.size(), 1u);
    ASSERT_TRUE(releases[0].sysVersion.has_value());
    EXPECT_EQ(*releases[0].sysVersion, c.text);
    EXPECT_EQ(releases[0].id, QStringLiteral("A&B"));
  }
}

TEST_F(ManifestTest, RaisesForMissingEmptyRootlessOrBrokenFiles) {
  EXPECT_THROW(ravlek::ReadReleases(folder_.filePath("absent.xml")), ravlek::Error);
  EXPECT_THROW(ravlek::ReadReleases(Write("")), ravlek::Error);
  EXPECT_THROW(ravlek::ReadReleases(Write("<?xml version=\"1.0\"?><!-- none -->")), ravlek::Error);
  EXPECT_THROW(ravlek::ReadPackageIds(Write("<r><info></r>")), ravlek::Error);
}

TEST_F(ManifestTest, SkipsAByteOrderMarkAndIgnoresTheRootsName) {
  const auto releases = ravlek::ReadReleases(
      Write("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Anything>\n"
            "  <release><sys_version>2.1</sys_version></release>\n"
            "  <Release><sys_version>9.9</sys_version></Release>\n"
            "  <other><release><sys_version>8.8</sys_version></release></other>\n"
            "</Anything>"));
  ASSERT_EQ(releases.size(), 1u);
  EXPECT_EQ(releases[0].sysVersion.value_or("-"), QStringLiteral("2.1"));
  EXPECT_FALSE(releases[0].dbVersion.has_value());
}

TEST_F(ManifestTest, LatestReleaseLetsTheLastReleaseWinChildByChild) {
  const auto releases = ravlek::ReadReleases(
      Write("<LastVersion>"
            "<release id=\"R1\"><sys_version>1.1</sys_version>"
            "<sys_download_url>http://h/sys1.zip</sys_download_url><sys_notes>n1</sys_notes>"
            "<db_version>D1</db_version><db_download_url>http://h/db1.zip</db_download_url>"
            "<db_notes>d1</db_notes></release>"
            "<release id=\"R2\"><sys_version>1.2</sys_version></release>"
            "</LastVersion>"));
  const ravlek::LatestRelease latest = ravlek::LatestReleaseOf(releases);
  EXPECT_EQ(latest.system, QStringLiteral("1.2"));
  EXPECT_EQ(latest.database, QStringLiteral("D1"));
  EXPECT_EQ(latest.systemUrl, QStringLiteral("http://h/sys1.zip"));
  EXPECT_EQ(latest.databaseUrl, QStringLiteral("http://h/db1.zip"));
  EXPECT_EQ(
      latest.memoLines,
      (QStringList{"更新版 Release: R1", "系統版號 sys_version: 1.1", "系統更新說明 sys_notes: n1",
                   "資料庫版號 db_version: D1", "資料庫更新說明 db_notes: d1", "更新版 Release: R2",
                   "系統版號 sys_version: 1.2"}));
}

TEST_F(ManifestTest, InstalledDatabaseVersionNeedsTheReleasesThreeChildren) {
  struct Case {
    QByteArray releases;
    QString system;
    QString database;
  };
  const std::vector<Case> cases = {
      {"<release><sys_version>S</sys_version><sys_download_url>u</sys_download_url>"
       "<sys_notes>n</sys_notes><db_version>D</db_version></release>",
       "S", "D"},
      {"<release><sys_version>S</sys_version><sys_download_url>u</sys_download_url>"
       "<db_version>D</db_version></release>",
       "S", ""},
      {"<release><sys_version>S</sys_version><sys_download_url>u</sys_download_url>"
       "<sys_notes>n</sys_notes><db_version>D</db_version></release>"
       "<release><db_version>E</db_version></release>",
       "S", "D"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.releases.toStdString());
    const auto installed =
        ravlek::InstalledVersionsOf(ravlek::ReadReleases(Write("<c>" + c.releases + "</c>")));
    EXPECT_EQ(installed.system, c.system);
    EXPECT_EQ(installed.database, c.database);
  }
}

TEST_F(ManifestTest, PackageIdsComeFromTheLastInfoThatHasThem) {
  const auto ids = ravlek::ReadPackageIds(
      Write("<information><info><HTML_release_id>h1</HTML_release_id>"
            "<HTML_images_release_id>i1</HTML_images_release_id></info>"
            "<info><HTML_release_id>h2</HTML_release_id></info><info/></information>"));
  EXPECT_EQ(ids.html, QStringLiteral("h2"));
  EXPECT_EQ(ids.images, QStringLiteral("i1"));
  const auto none = ravlek::ReadPackageIds(Write("<information/>"));
  EXPECT_TRUE(none.html.isEmpty() && none.images.isEmpty());
}

struct FlagCase {
  const char* label;
  ravlek::InstalledVersions installed;
  QString system, database, systemUrl, databaseUrl;
  bool announced;
  int systemFlag, databaseFlag;
};

TEST(VersionCheck, FlagsSelectTheArchivesOfChangedVersions) {
  const QString noUpdate = QStringLiteral("無更新");
  const QString inside = QStringLiteral("已包入Ravlek_sys_upgrade.zip");
  const std::vector<FlagCase> cases = {
      {"no change", {"1", "D"}, "1", "D", "http://s", "http://d", false, 0, 0},
      {"system only", {"1", "D"}, "2", "D", "http://s", "http://d", true, 1, 0},
      {"both", {"1", "D"}, "2", "E", "http://s", "http://d", true, 1, 1},
      {"database inside the system archive", {"1", "D"}, "1", "E", "http://s", inside, true, 0, 0},
      {"database without update", {"1", "D"}, "1", "E", "http://s", noUpdate, true, 0, 0},
      {"system without update", {"1", "D"}, "2", "E", noUpdate, "http://d", true, 0, 1},
      // A lower version is never an update, whatever a signed manifest says.
      {"lower version", {"3", "D"}, "2", "D", "http://s", "", false, 0, 0},
      {"lower database", {"1", "1.10"}, "1", "1.9", "http://s", "http://d", false, 0, 0},
      {"trailing blank", {"1", "D"}, "1 ", "D", "", "", true, 1, 0},
  };
  for (const FlagCase& c : cases) {
    SCOPED_TRACE(c.label);
    ravlek::LatestRelease latest;
    latest.system = c.system;
    latest.database = c.database;
    latest.systemUrl = c.systemUrl;
    latest.databaseUrl = c.databaseUrl;
    EXPECT_EQ(ravlek::UpdateAnnounced(c.installed, latest), c.announced);
    const auto flags = ravlek::DownloadFlagsFor(c.installed, latest);
    EXPECT_EQ(flags.system, c.systemFlag);
    EXPECT_EQ(flags.database, c.databaseFlag);
  }
}

TEST(VersionCheck, BaseAddressJoinsRootFolderAndSetting) {
  EXPECT_EQ(ravlek::ReleaseBaseAddress("http://h:1", "last_release_XML"),
            QStringLiteral("http://h:1/RavlekSystem_Release/last_release_XML"));
  EXPECT_EQ(ravlek::ReleaseBaseAddress("http://h:1", "test_XML"),
            QStringLiteral("http://h:1/RavlekSystem_Release/test_XML"));
}

struct NotesCase {
  const char* label;
  QByteArray bytes;
  QString text;
};

TEST(ReleaseNotes, ByteOrderMarkOrValidUtf8ElseBig5) {
  const QString sample = QStringLiteral("版本 1.0\r\n中文");
  const std::vector<NotesCase> cases = {
      {"UTF-8 with mark", "\xEF\xBB\xBF" + sample.toUtf8(), sample},
      {"UTF-8 without mark", sample.toUtf8(), sample},
      {"UTF-16LE",
       QByteArray("\xFF\xFE") +
           QByteArray(reinterpret_cast<const char*>(sample.utf16()), sample.size() * 2),
       sample},
      {"UTF-16BE", QByteArray("\xFE\xFF\x4E\x2D\x65\x87", 6), QStringLiteral("中文")},
      {"Big5", QByteArray("\xA4\xA4\xA4\xE5 ok", 7), QStringLiteral("中文 ok")},
      {"ASCII", "plain", "plain"},
  };
  for (const NotesCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(ravlek::DecodeReleaseNotes(c.bytes), c.text);
  }
}

TEST_F(ManifestTest, ReleaseNotesAreReadAsLines) {
  EXPECT_EQ(ravlek::ReadReleaseNotes(Write("one\r\ntwo\nthree\r\n", "n.txt")),
            (QStringList{"one", "two", "three"}));
  EXPECT_EQ(ravlek::ReadReleaseNotes(Write("a\r\n\r\nb", "n.txt")), (QStringList{"a", "", "b"}));
  EXPECT_THROW(ravlek::ReadReleaseNotes(folder_.filePath("none.txt")), ravlek::Error);
}

}  // namespace
