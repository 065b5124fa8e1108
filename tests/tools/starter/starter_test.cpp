#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>
#include <vector>

#include "build_paths.h"
#include "release/release_files.h"
#include "release/staged_archive.h"
#include "starter.h"
#include "tests/support/file_bytes.h"
#include "tests/support/zip_writer.h"

namespace {

using ravlek::testing::WriteZip;

void WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

QString Staged(const QDir& app, const QString& name) {
  return app.filePath(ravlek::kUpgradeFolder + "/" + name);
}

// Stages an archive as the program does once it has verified it: with its ready mark.
void StageVerified(const QDir& app, const QString& name,
                   const std::vector<ravlek::testing::ZipMember>& members) {
  QDir().mkpath(app.filePath(ravlek::kUpgradeFolder));
  ASSERT_TRUE(WriteZip(Staged(app, name), members));
  ASSERT_TRUE(ravlek::WriteReadyMark(Staged(app, name)));
}

TEST(Starter, InstallsVerifiedArchivesAndRemovesThem) {
  QTemporaryDir folder;
  const QDir app(folder.path());
  WriteAll(app.filePath("ReleaseNote.txt"), "old");
  StageVerified(app, ravlek::kSystemArchiveName,
                {{ravlek::kInstalledManifestFile, "<sys/>"}, {"ReleaseNote.txt", "new"}});
  StageVerified(app, ravlek::kDatabaseArchiveName, {{ravlek::kInstalledManifestFile, "<db/>"}});

  const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());

  EXPECT_EQ(report.installed, ravlek::kStagedArchives);
  EXPECT_TRUE(report.failures.isEmpty());
  EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), "new");
  EXPECT_EQ(ReadAll(app.filePath(ravlek::kInstalledManifestFile)), "<db/>");  // the later wins
  EXPECT_EQ(
      QDir(app.filePath(ravlek::kUpgradeFolder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
      QStringList());
  EXPECT_EQ(app.entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            (QStringList{"installedXML", "ReleaseNote.txt", "upgrade_zip"}));
}

struct RefusedCase {
  const char* label;
  std::function<void(const QDir& app)> stage;
};

TEST(Starter, RefusesUnverifiedOrUnsafeArchivesChangingNothing) {
  const std::vector<RefusedCase> cases = {
      {"no ready mark (a transfer cut short)",
       [](const QDir& app) {
         QDir().mkpath(app.filePath(ravlek::kUpgradeFolder));
         ASSERT_TRUE(
             WriteZip(Staged(app, ravlek::kSystemArchiveName), {{"ReleaseNote.txt", "new"}}));
       }},
      {"changed after it was marked",
       [](const QDir& app) {
         StageVerified(app, ravlek::kSystemArchiveName, {{"ReleaseNote.txt", "new"}});
         ASSERT_TRUE(
             WriteZip(Staged(app, ravlek::kSystemArchiveName), {{"ReleaseNote.txt", "evil"}}));
       }},
      {"a parent member",
       [](const QDir& app) {
         StageVerified(app, ravlek::kSystemArchiveName,
                       {{"ReleaseNote.txt", "new"}, {"../outside.txt", "bad"}});
       }},
      {"a symbolic link member",
       [](const QDir& app) {
         StageVerified(app, ravlek::kSystemArchiveName,
                       {{"ReleaseNote.txt", "new"}, {"link", "/etc", ZIP_CM_STORE, 0120777}});
       }},
      {"a good archive beside a broken one",
       [](const QDir& app) {
         StageVerified(app, ravlek::kSystemArchiveName, {{"ReleaseNote.txt", "new"}});
         WriteAll(Staged(app, ravlek::kDatabaseArchiveName), "this is no zip archive");
         ASSERT_TRUE(ravlek::WriteReadyMark(Staged(app, ravlek::kDatabaseArchiveName)));
       }},
      {"a file where the installation has a folder",
       [](const QDir& app) {
         StageVerified(app, ravlek::kSystemArchiveName,
                       {{"ReleaseNote.txt", "new"}, {"installedXML", "a file now"}});
       }},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.label);
    QTemporaryDir parent;
    const QDir app(parent.filePath("app"));
    QDir().mkpath(app.path());
    WriteAll(app.filePath("ReleaseNote.txt"), "old");
    WriteAll(app.filePath(ravlek::kInstalledManifestFile), "<old/>");
    c.stage(app);
    QStringList staged;
    for (const QString& name : ravlek::kStagedArchives)
      if (QFile::exists(app.filePath(ravlek::kUpgradeFolder + "/" + name))) staged.append(name);

    const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());

    EXPECT_TRUE(report.installed.isEmpty());
    EXPECT_FALSE(report.failures.isEmpty());
    EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), "old");
    EXPECT_EQ(ReadAll(app.filePath(ravlek::kInstalledManifestFile)), "<old/>");
    EXPECT_FALSE(QFile::exists(parent.filePath("outside.txt")));
    EXPECT_EQ(app.entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"installedXML", "ReleaseNote.txt", "upgrade_zip"}));
    // Set aside, not retried at the next start, and the program is told.
    for (const QString& name : staged) {
      EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUpgradeFolder + "/" + name)))
          << name.toStdString();
      EXPECT_TRUE(QFile::exists(app.filePath(ravlek::kRefusedUpdateFolder + "/" + name)));
    }
    EXPECT_TRUE(QFile::exists(app.filePath(ravlek::kRefusedUpdateNote)));
    EXPECT_TRUE(ravlek::InstallStagedArchives(app.path()).failures.isEmpty());
  }
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
  StageVerified(dir, ravlek::kDatabaseArchiveName, {{"Ravlek.db", "db"}});

  QProcess process;
  process.setWorkingDirectory(QDir::tempPath());
  process.start(starter, {});
  ASSERT_TRUE(process.waitForFinished(10000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

  EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("__sys_Ravlek.ini"))));
  EXPECT_EQ(ReadAll(dir.filePath(QStringLiteral("Ravlek.db"))), "db");
  EXPECT_FALSE(QFile::exists(dir.filePath(ravlek::kDatabaseArchiveFile)));

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

// The starter updates itself: its new copy, staged by the starter, is installed by the program
// (a copy renamed over the old one), and the new starter then runs.
TEST(Starter, SelfUpdateLeavesAStarterThatStillRuns) {
  QTemporaryDir folder;
  const QDir app(folder.path());
  const QString starter = app.filePath(QStringLiteral("Ravlek_Start"));
  ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek_Start"), starter));
  WriteAll(app.filePath(QStringLiteral("Ravlek")), "#!/bin/sh\ntouch started.txt\n");
  QFile::setPermissions(app.filePath(QStringLiteral("Ravlek")),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  StageVerified(
      app, ravlek::kSystemArchiveName,
      {{"Ravlek_Start", ReadAll(starter), ZIP_CM_DEFLATE, 0100755}, {"ReleaseNote.txt", "new"}});

  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    QFile::remove(app.filePath("started.txt"));
    QProcess process;
    process.start(starter, {});
    ASSERT_TRUE(process.waitForFinished(10000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(app.filePath("started.txt")) && clock.elapsed() < 5000)
      QThread::msleep(10);
    EXPECT_TRUE(QFile::exists(app.filePath("started.txt")));
    if (run == 0) {
      EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), "new");
      // What the program does at its start-up with the staged starter.
      ASSERT_TRUE(QFile::exists(app.filePath(ravlek::kStagedStarterFile)));
      ASSERT_TRUE(ravlek::CopyFileReplacing(app.filePath(ravlek::kStagedStarterFile), starter));
      struct stat mode;
      ASSERT_EQ(::stat(QFile::encodeName(starter).constData(), &mode), 0);
      EXPECT_TRUE(mode.st_mode & S_IXUSR);
    }
  }
}

}  // namespace
