#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "build_paths.h"
#include "starter.h"
#include "tests/support/zip_writer.h"

namespace {

using ravlek::testing::WriteZip;

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(Starter, InstallsGoodArchivesAndLeavesBrokenOnesInPlace) {
  QTemporaryDir app;
  const QDir dir(app.path());
  ASSERT_TRUE(dir.mkdir(QStringLiteral("upgrade_zip")));
  ASSERT_TRUE(WriteZip(dir.filePath("upgrade_zip/Ravlek_sys_upgrade.zip"),
                       {{"installedXML/CurrentVersion.xml", "<r/>"}, {"ReleaseNote.txt", "new"}}));
  WriteAll(dir.filePath("upgrade_zip/Ravlek_db_upgrade.zip"), "this is no zip archive");

  const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());

  EXPECT_EQ(report.installed, QStringList{QStringLiteral("Ravlek_sys_upgrade.zip")});
  ASSERT_EQ(report.failures.size(), 1);
  EXPECT_TRUE(report.failures[0].startsWith(QStringLiteral("Ravlek_db_upgrade.zip")));
  EXPECT_EQ(ReadAll(dir.filePath("ReleaseNote.txt")), "new");
  EXPECT_EQ(ReadAll(dir.filePath("installedXML/CurrentVersion.xml")), "<r/>");
  EXPECT_FALSE(QFile::exists(dir.filePath("upgrade_zip/Ravlek_sys_upgrade.zip")));
  EXPECT_TRUE(QFile::exists(dir.filePath("upgrade_zip/Ravlek_db_upgrade.zip")));
}

TEST(Starter, NothingStagedIsNoFailure) {
  QTemporaryDir app;
  const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());
  EXPECT_TRUE(report.installed.isEmpty());
  EXPECT_TRUE(report.failures.isEmpty());
}

TEST(Starter, MarkerLeftByAnEarlierRunIsReplacedByANewOne) {
  QTemporaryDir app;
  const QString marker = QDir(app.path()).filePath(QStringLiteral("__sys_Ravlek.ini"));
  WriteAll(marker, "[RavlekSYS]\r\nLuncher_ID=2\r\n");  // the editor was started in that run
  ASSERT_TRUE(ravlek::CreateStartMarker(app.path()));
  EXPECT_TRUE(QFile::exists(marker));
  EXPECT_EQ(ReadAll(marker), QByteArray());
}

// The built starter, copied into a fresh folder beside a stand-in program that writes down where
// and how it was started; the starter is run from another current directory.
TEST(Starter, CreatesTheMarkerAndStartsTheProgramInItsOwnFolder) {
  QTemporaryDir app;
  const QDir dir(app.path());
  const QString starter = dir.filePath(QStringLiteral("Ravlek_Start"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek_Start"), starter));
  WriteAll(dir.filePath(QStringLiteral("Ravlek")),
           "#!/bin/sh\n"
           "test -f __sys_Ravlek.ini && marker=yes || marker=no\n"
           "printf '%s\\n%s\\n%s\\n' \"$(pwd)\" \"$#\" \"$marker\" > started.tmp\n"
           "mv started.tmp started.txt\n");
  QFile::setPermissions(dir.filePath(QStringLiteral("Ravlek")),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_TRUE(dir.mkdir(QStringLiteral("upgrade_zip")));
  ASSERT_TRUE(WriteZip(dir.filePath("upgrade_zip/Ravlek_db_upgrade.zip"), {{"Ravlek.db", "db"}}));

  QProcess process;
  process.setWorkingDirectory(QDir::tempPath());
  process.start(starter, {});
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("__sys_Ravlek.ini"))));
  EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("Ravlek.db"))), "db");
  EXPECT_FALSE(QFile::exists(dir.filePath("upgrade_zip/Ravlek_db_upgrade.zip")));

  QElapsedTimer clock;
  clock.start();
  while (!QFile::exists(dir.filePath(QStringLiteral("started.txt"))) && clock.elapsed() < 5000) {
    QThread::msleep(10);
  }
  const QList<QByteArray> lines = ReadAll(dir.filePath(QStringLiteral("started.txt"))).split('\n');
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(QDir(QString::fromUtf8(lines[0])).canonicalPath(), dir.canonicalPath());
  EXPECT_EQ(lines[1], "0");    // no arguments
  EXPECT_EQ(lines[2], "yes");  // the marker was there before the program started
}

}  // namespace
