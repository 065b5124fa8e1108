// The demo release folders and the release server that serves them: the current release matches
// the sample installation, the update's archives install the versions it announces.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "release/download.h"
#include "release/manifest.h"
#include "release/unzip.h"
#include "release/version_check.h"
#include "tests/support/qstring_printer.h"

namespace ravlek {
namespace {

const QString kDemo = QStringLiteral(RAVLEK_RELEASE_DEMO_DIR);
// The installed manifests as the build makes them (the application folder itself may have been
// updated by a demo run).
const QString kApp = QStringLiteral(RAVLEK_APP_TEMPLATE_DIR);

QString DemoFile(const QString& release, const QString& name) {
  return QStringLiteral("%1/%2/RavlekSystem_Release/last_release_XML/%3").arg(kDemo, release, name);
}

TEST(DemoRelease, CurrentReleaseIsTheSampleInstallation) {
  const auto installed =
      InstalledVersionsOf(ReadReleases(kApp + "/installedXML/CurrentVersion.xml"));
  const auto latest = LatestReleaseOf(ReadReleases(DemoFile("current", "LastVersion.xml")));
  EXPECT_FALSE(UpdateAnnounced(installed, latest));
  const auto installedIds = ReadPackageIds(kApp + "/installedXML/information.xml");
  const auto latestIds = ReadPackageIds(DemoFile("current", "information.xml"));
  EXPECT_EQ(latestIds.html, installedIds.html);
  EXPECT_EQ(latestIds.images, installedIds.images);

  QTemporaryDir pages;
  UnzipToFolder(DemoFile("current", "HTML.zip"), pages.path());
  for (const char* page :
       {"RavlekBasic.html", "MediaLink.html", "ToolAndResource.html", "About.html"})
    EXPECT_TRUE(QFile::exists(pages.filePath(page))) << page;
}

TEST(DemoRelease, UpdateArchivesInstallTheAnnouncedVersions) {
  const auto installed =
      InstalledVersionsOf(ReadReleases(kApp + "/installedXML/CurrentVersion.xml"));
  const auto latest = LatestReleaseOf(ReadReleases(DemoFile("update", "LastVersion.xml")));
  ASSERT_TRUE(UpdateAnnounced(installed, latest));
  const auto flags = DownloadFlagsFor(installed, latest);
  EXPECT_EQ(flags.system, 1);
  EXPECT_EQ(flags.database, 1);
  EXPECT_TRUE(latest.systemUrl.startsWith(QStringLiteral(RAVLEK_RELEASE_ROOT)));

  // What the starter does with the staged archives.
  QTemporaryDir app;
  UnzipToFolder(DemoFile("update", "Ravlek_sys_upgrade.zip"), app.path());
  UnzipToFolder(DemoFile("update", "Ravlek_db_upgrade.zip"), app.path());
  const auto now =
      InstalledVersionsOf(ReadReleases(app.filePath("installedXML/CurrentVersion.xml")));
  EXPECT_FALSE(UpdateAnnounced(now, latest));
  EXPECT_TRUE(QFile::exists(app.filePath("ReleaseNote.txt")));
}

TEST(ReleaseServer, ServesAFolderWithSizesAndThrottlesArchives) {
  QTemporaryDir root;
  QDir().mkpath(root.filePath("RavlekSystem_Release"));
  QFile file(root.filePath("RavlekSystem_Release/a.zip"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(QByteArray(40000, 'z'));
  file.close();
  // With --port 0 the system picks the port, and the first line on standard error names it.
  QProcess server;
  server.start(QStringLiteral(RAVLEK_RELEASE_SERVER_PATH),
               {"--port", "0", "--root", root.path(), "--rate", "400000"});
  server.setReadChannel(QProcess::StandardError);
  ASSERT_TRUE(server.waitForStarted());
  QByteArray said;
  while (!said.contains('\n') && server.waitForReadyRead(5000))
    said += server.readAllStandardError();
  const QRegularExpressionMatch named =
      QRegularExpression(QStringLiteral("at http://127\\.0\\.0\\.1:(\\d+)/\n"))
          .match(QString::fromUtf8(said));
  ASSERT_TRUE(named.hasMatch()) << said.toStdString();
  const int port = named.captured(1).toInt();
  ASSERT_GT(port, 0);
  QTemporaryDir out;
  const QString base = QStringLiteral("http://127.0.0.1:%1/RavlekSystem_Release/").arg(port);
  EXPECT_TRUE(DownloadToFile(base + "a.zip", out.filePath("a.zip")));
  EXPECT_EQ(QFileInfo(out.filePath("a.zip")).size(), 40000);
  EXPECT_FALSE(DownloadToFile(base + "missing.xml", out.filePath("m.xml")));
  server.terminate();
  EXPECT_TRUE(server.waitForFinished(5000));
}

}  // namespace
}  // namespace ravlek
