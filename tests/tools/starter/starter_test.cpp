#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

#include "app/program_door.h"
#include "base/app_folder.h"
#include "build_paths.h"
#include "release/release_files.h"
#include "release/staged_archive.h"
#include "starter.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/small_disk.h"
#include "tests/support/zip_writer.h"

namespace {

using ravlek::testing::WriteZip;

// The starters these tests run see no screen, so that one that cannot go on tells it on standard
// error and ends instead of waiting in a box; a test that wants the box gives it a screen.
const bool kNoScreen = [] {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) qunsetenv(name);
  return true;
}();

QProcessEnvironment OffscreenEnvironment() {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
  environment.insert("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  return environment;
}

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

// A folder with the built starter and a stand-in program that notes each start in started.log.
void LayOutWithStarter(const QDir& app) {
  ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek_Start"),
                          app.filePath(ravlek::kStarterFileName)));
  WriteAll(app.filePath(ravlek::kProgramFileName), "#!/bin/sh\necho started >> started.log\n");
  QFile::setPermissions(app.filePath(ravlek::kProgramFileName),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// Waits up to five seconds for the stand-in program's start notes; answers how many there are.
int StartsNoted(const QDir& app, int expected) {
  QElapsedTimer clock;
  clock.start();
  int starts = 0;
  do {
    starts = static_cast<int>(ReadAll(app.filePath("started.log")).count("started"));
    if (starts >= expected) break;
    QThread::msleep(10);
  } while (clock.elapsed() < 5000);
  return starts;
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

// Every file that the installed release has executable stays so, however the archive packed it;
// a file that was not executable does not become so.
TEST(Starter, FilesTheInstallationHasExecutableStayExecutable) {
  QTemporaryDir folder;
  const QDir app(folder.path());
  const QStringList programs = {ravlek::kProgramFileName, QStringLiteral("Ravlek_Spell"),
                                QStringLiteral("ravlek-cli")};
  for (const QString& program : programs) {
    WriteAll(app.filePath(program), "old program");
    QFile::setPermissions(app.filePath(program), QFile::ReadOwner | QFile::WriteOwner |
                                                     QFile::ExeOwner | QFile::ReadGroup |
                                                     QFile::ExeGroup);
  }
  WriteAll(app.filePath("ReleaseNote.txt"), "old");
  StageVerified(app, ravlek::kSystemArchiveName,
                {{ravlek::kProgramFileName, "new program", ZIP_CM_DEFLATE, 0100644},
                 {"Ravlek_Spell", "new program", ZIP_CM_DEFLATE, 0, true},
                 {"ravlek-cli", "new program", ZIP_CM_DEFLATE, 0100644},
                 {"ReleaseNote.txt", "new", ZIP_CM_DEFLATE, 0100644}});
  const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());
  ASSERT_EQ(report.installed, QStringList{ravlek::kSystemArchiveName})
      << report.failures.join(" ").toStdString();
  for (const QString& program : programs) {
    SCOPED_TRACE(program.toStdString());
    EXPECT_EQ(ReadAll(app.filePath(program)), "new program");
    EXPECT_TRUE(QFileInfo(app.filePath(program)).isExecutable());
  }
  EXPECT_FALSE(QFileInfo(app.filePath("ReleaseNote.txt")).isExecutable());
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

unsigned ModeOf(const QString& path) {
  struct stat status;
  return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_mode & 07777 : 0;
}

struct SelfUpdateCase {
  const char* label;
  zip_uint32_t unixMode;
  bool windowsMade;
};

// The starter updates itself: its new copy, staged by the starter, is installed by the program
// (a copy renamed over the old one), and the new starter then runs, again and again, whatever
// mode the archive gave its member. So does a new program.
TEST(Starter, SelfUpdateLeavesAStarterThatStillRuns) {
  const std::vector<SelfUpdateCase> cases = {
      {"0755 member", 0100755, false},
      {"0644 member", 0100644, false},
      {"no Unix attributes", 0, true},
  };
  for (const SelfUpdateCase& c : cases) {
    SCOPED_TRACE(c.label);
    QTemporaryDir folder;
    const QDir app(folder.path());
    const QString starter = app.filePath(ravlek::kStarterFileName);
    ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek_Start"), starter));
    QFile::setPermissions(starter, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                       QFile::ReadGroup | QFile::ExeGroup);  // 0750
    const QByteArray program = "#!/bin/sh\ntouch started.txt\n";
    WriteAll(app.filePath(ravlek::kProgramFileName), program);
    QFile::setPermissions(app.filePath(ravlek::kProgramFileName),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);  // 0700
    ravlek::testing::ZipMember newStarter{ravlek::kStarterFileName, ReadAll(starter),
                                          ZIP_CM_DEFLATE, c.unixMode};
    newStarter.windowsMade = c.windowsMade;
    ravlek::testing::ZipMember newProgram{ravlek::kProgramFileName, program, ZIP_CM_DEFLATE,
                                          c.unixMode};
    newProgram.windowsMade = c.windowsMade;
    StageVerified(app, ravlek::kSystemArchiveName,
                  {newStarter, newProgram, {"ReleaseNote.txt", "new"}});

    for (int run = 0; run < 3; ++run) {
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
        ASSERT_TRUE(
            ravlek::CopyExecutableReplacing(app.filePath(ravlek::kStagedStarterFile), starter));
      }
      // Each keeps the mode of the one it replaced.
      EXPECT_EQ(ModeOf(starter), 0750u);
      EXPECT_EQ(ModeOf(app.filePath(ravlek::kProgramFileName)), 0700u);
    }
  }
}

struct InterruptedCase {
  const char* label;
  bool archiveStillGood;  // the retry installs it; otherwise it is refused
  QByteArray notesAfter;
};

// A run killed midway left new files in place and their old copies aside. The retry puts the old
// copies back before anything else (never deletes them first): refused now, the installation is
// the old one again; installed, it is the new one.
TEST(Starter, AnInterruptedInstallIsPutBackBeforeTheRetry) {
  const std::vector<InterruptedCase> cases = {{"installed at the retry", true, "new"},
                                              {"refused at the retry", false, "old"}};
  for (const InterruptedCase& c : cases) {
    SCOPED_TRACE(c.label);
    QTemporaryDir folder;
    const QDir app(folder.path());
    StageVerified(app, ravlek::kSystemArchiveName,
                  {{"ReleaseNote.txt", "new"}, {ravlek::kInstalledManifestFile, "<new/>"}});
    if (!c.archiveStillGood) WriteAll(Staged(app, ravlek::kSystemArchiveName), "changed");
    // Midway: the notes are in place, the manifest not yet; the old notes are aside.
    WriteAll(app.filePath("ReleaseNote.txt"), "new");
    WriteAll(app.filePath(ravlek::kUnpackBackupFolder + "/ReleaseNote.txt"), "old");
    WriteAll(app.filePath(ravlek::kInstalledManifestFile), "<old/>");
    WriteAll(app.filePath(ravlek::kUnpackFolder + "/" + ravlek::kInstalledManifestFile), "<new/>");

    const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());

    EXPECT_EQ(report.failures.isEmpty(), c.archiveStillGood);
    EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), c.notesAfter);
    EXPECT_EQ(ReadAll(app.filePath(ravlek::kInstalledManifestFile)),
              c.archiveStillGood ? "<new/>" : "<old/>");
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackBackupFolder)));
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackFolder)));
  }
}

// The old copies of an install that completed (the folder renamed as its last step) are only
// deleted, never put back over the new files.
TEST(Starter, TheOldCopiesOfACompletedInstallAreOnlyDeleted) {
  QTemporaryDir folder;
  const QDir app(folder.path());
  StageVerified(app, ravlek::kSystemArchiveName, {{"ReleaseNote.txt", "new"}});
  WriteAll(app.filePath("ReleaseNote.txt"), "new");
  WriteAll(app.filePath(ravlek::kUnpackDoneFolder + "/ReleaseNote.txt"), "old");
  EXPECT_TRUE(ravlek::InstallStagedArchives(app.path()).failures.isEmpty());
  EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), "new");
  EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackDoneFolder)));
}

// An update larger than the free space: nothing installed changes, the archives are deleted (not
// kept in refused/, where they would keep the disk full) and the program is told the cause.
TEST(Starter, AFullDiskDeletesTheArchivesAndLeavesTheCause) {
  ravlek::test::SmallDisk disk(256 * 1024);
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  const QDir app(disk.Path());
  WriteAll(app.filePath("ReleaseNote.txt"), "old");
  StageVerified(app, ravlek::kSystemArchiveName,
                {{"ReleaseNote.txt", "new"}, {"big.bin", QByteArray(1024 * 1024, '\0')}});

  const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());

  EXPECT_FALSE(report.failures.isEmpty());
  EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), "old");
  EXPECT_FALSE(QFile::exists(app.filePath("big.bin")));
  EXPECT_FALSE(QFile::exists(Staged(app, ravlek::kSystemArchiveName)));
  EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kRefusedUpdateFolder)));
  EXPECT_TRUE(QFile::exists(app.filePath(ravlek::kNoSpaceNote)));
  EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackFolder)));
}

// Fills a file system with empty files until it has no inode left, then frees `left` of them.
void LeaveInodes(const QDir& root, int left) {
  QDir().mkpath(root.filePath("filler"));
  int made = 0;
  for (;; ++made) {
    QFile file(root.filePath(QStringLiteral("filler/%1").arg(made)));
    if (!file.open(QIODevice::WriteOnly)) break;
  }
  for (int i = 0; i < left; ++i)
    ASSERT_TRUE(QFile::remove(root.filePath(QStringLiteral("filler/%1").arg(made - 1 - i))));
}

// Out of inodes wherever the install needs one more (a folder while unpacking, a file while
// unpacking, a folder while moving into place): told as a full disk with the system's words,
// never as an archive that was incomplete or not verified; nothing installed changes.
TEST(Starter, NoInodeLeftIsAFullDisk) {
  struct Case {
    const char* where;
    int inodesLeft;
    std::vector<ravlek::testing::ZipMember> members;
  };
  const std::vector<Case> cases = {
      {"a folder while unpacking", 1, {{"pages/a.htm", "new"}}},
      {"a file while unpacking", 2, {{"a.htm", "new"}, {"b.htm", "new"}}},
      {"a folder while moving into place", 3, {{"newdir/a.htm", "new"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.where);
    ravlek::test::SmallDisk disk(4 * 1024 * 1024, 1000);
    if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
    const QDir app(disk.Path());
    WriteAll(app.filePath("ReleaseNote.txt"), "old");
    std::vector<ravlek::testing::ZipMember> members = c.members;
    members.push_back({"ReleaseNote.txt", "new"});
    StageVerified(app, ravlek::kSystemArchiveName, members);
    LeaveInodes(QDir(disk.Path()), c.inodesLeft);

    const ravlek::StarterReport report = ravlek::InstallStagedArchives(app.path());

    ASSERT_EQ(report.failures.size(), 1);
    EXPECT_TRUE(report.failures[0].contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << report.failures[0].toStdString();
    EXPECT_EQ(ReadAll(app.filePath("ReleaseNote.txt")), "old");
    for (const auto& member : c.members) EXPECT_FALSE(QFile::exists(app.filePath(member.name)));
    EXPECT_TRUE(QFile::exists(app.filePath(ravlek::kNoSpaceNote)));
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kRefusedUpdateNote)));
    EXPECT_FALSE(QFile::exists(Staged(app, ravlek::kSystemArchiveName)));
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackFolder)));
  }
}

// The archive of a release that brings new versions of `count` pages.
std::vector<ravlek::testing::ZipMember> NewPages(int count) {
  std::vector<ravlek::testing::ZipMember> members;
  for (int i = 0; i < count; ++i)
    members.push_back({QStringLiteral("pages/%1.htm").arg(i), "new " + QByteArray::number(i)});
  return members;
}

// An application folder with the starter and the old versions of `count` pages.
void LayOutWithOldPages(const QDir& app, int count) {
  LayOutWithStarter(app);
  for (int i = 0; i < count; ++i)
    WriteAll(app.filePath(QStringLiteral("pages/%1.htm").arg(i)), "old");
}

// The starter killed (SIGKILL) at any moment of an install: the next start always ends with the
// whole new installation.
TEST(Starter, KilledAnywhereTheNextStartEndsWhole) {
  constexpr int kFiles = 150;
  std::vector<ravlek::testing::ZipMember> members = NewPages(kFiles);
  for (int trial = 0; trial < 10; ++trial) {
    SCOPED_TRACE(trial);
    QTemporaryDir folder;
    const QDir app(folder.path());
    LayOutWithOldPages(app, kFiles);
    StageVerified(app, ravlek::kSystemArchiveName, members);
    QProcess first;
    first.start(app.filePath(ravlek::kStarterFileName), {});
    ASSERT_TRUE(first.waitForStarted());
    QThread::msleep(static_cast<unsigned long>(5 * trial));
    first.kill();
    first.waitForFinished();

    QProcess second;
    second.start(app.filePath(ravlek::kStarterFileName), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    int broken = 0;
    for (int i = 0; i < kFiles; ++i) {
      broken += ReadAll(app.filePath(QStringLiteral("pages/%1.htm").arg(i))) !=
                "new " + QByteArray::number(i);
    }
    EXPECT_EQ(broken, 0) << second.readAllStandardError().toStdString();
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackBackupFolder)));
  }
}

TEST(Starter, ASecondStarterStartsNothingWhileTheFirstHoldsTheLock) {
  QTemporaryDir folder;
  const QDir app(folder.path());
  LayOutWithStarter(app);
  StageVerified(app, ravlek::kDatabaseArchiveName, {{"Ravlek.db", "db"}});
  const ravlek::StarterLock first(app.path());
  ASSERT_TRUE(first.held());

  QProcess second;
  second.start(app.filePath(ravlek::kStarterFileName), {});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_TRUE(
      QString::fromUtf8(second.readAllStandardError()).contains(ravlek::kAlreadyStartingText));
  EXPECT_TRUE(QFile::exists(Staged(app, ravlek::kDatabaseArchiveName)));  // not touched
  EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kStartMarkerFile)));
  EXPECT_EQ(StartsNoted(app, 0), 0);
  EXPECT_FALSE(ravlek::StarterLock(app.path()).held());
}

// Where there is a screen, a starter that cannot go on says so in a box and waits for the user.
TEST(Starter, ASecondStarterTellsItInABoxWhereThereIsAScreen) {
#if !RAVLEK_STARTER_BOX
  GTEST_SKIP() << "this build has no window toolkit: the starter tells on standard error only";
#endif
  QTemporaryDir folder;
  const QDir app(folder.path());
  LayOutWithStarter(app);
  const ravlek::StarterLock first(app.path());
  ASSERT_TRUE(first.held());
  QProcess second;
  second.setProcessEnvironment(OffscreenEnvironment());
  second.start(app.filePath(ravlek::kStarterFileName), {});
  QByteArray told;
  QElapsedTimer clock;
  clock.start();
  while (!QString::fromUtf8(told).contains(ravlek::kAlreadyStartingText) &&
         clock.elapsed() < 10000) {
    second.waitForReadyRead(100);
    told += second.readAllStandardError();
  }
  EXPECT_TRUE(QString::fromUtf8(told).contains(ravlek::kAlreadyStartingText));
  EXPECT_FALSE(second.waitForFinished(500));  // the box waits for the user
  second.kill();
  second.waitForFinished();
  EXPECT_EQ(StartsNoted(app, 0), 0);
}

// The Ravlek programs running in `folder` (by their executable).
QList<qint64> ProgramsIn(const QString& folder) {
  const QString program =
      QFileInfo(QDir(folder).filePath(ravlek::kProgramFileName)).canonicalFilePath();
  QList<qint64> pids;
  for (const QString& entry : QDir("/proc").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    bool number = false;
    const qint64 pid = entry.toLongLong(&number);
    if (number && QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget() == program)
      pids.append(pid);
  }
  return pids;
}

// One program per folder, with the real program: a starter or a second program while it runs
// brings its window forward (it answers through its door) and starts nothing, installs nothing
// and leaves its marker alone; the first program runs on, alone.
TEST(Starter, WhileTheProgramRunsLaterStartsBringItForward) {
  const QString built = QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek");
  if (!QFileInfo(built).isExecutable()) GTEST_SKIP() << "this build has no window program";
  ravlek::test::AppFolderFixture folder({.marker = false});
  const QDir app(folder.Path());
  ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/Ravlek_Start"),
                          app.filePath(ravlek::kStarterFileName)));
  ASSERT_TRUE(QFile::copy(built, app.filePath(ravlek::kProgramFileName)));

  QProcess starter;
  starter.setProcessEnvironment(OffscreenEnvironment());
  // The program inherits the starter's output: into files, never a pipe closed under it.
  QTemporaryDir logs;
  starter.setStandardOutputFile(logs.filePath("out"));
  starter.setStandardErrorFile(logs.filePath("err"));
  starter.start(app.filePath(ravlek::kStarterFileName), {});
  ASSERT_TRUE(starter.waitForFinished(20000));
  ASSERT_EQ(starter.exitCode(), 0) << ReadAll(logs.filePath("err")).toStdString();
  ASSERT_TRUE(ravlek::BringProgramForward(app.path(), 60000))
      << "the program never answered: " << ReadAll(logs.filePath("err")).toStdString();
  const QList<qint64> first = ProgramsIn(app.path());
  ASSERT_EQ(first.size(), 1);

  WriteAll(app.filePath(ravlek::kStartMarkerFile), "the first run's settings");
  StageVerified(app, ravlek::kDatabaseArchiveName, {{"Ravlek.db", "db"}});
  for (const QString& later : {ravlek::kStarterFileName, ravlek::kProgramFileName}) {
    SCOPED_TRACE(later.toStdString());
    QProcess second;
    second.setProcessEnvironment(OffscreenEnvironment());
    second.setWorkingDirectory(app.path());
    second.start(app.filePath(later), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
    EXPECT_EQ(ProgramsIn(app.path()), first);
    EXPECT_TRUE(QFile::exists(Staged(app, ravlek::kDatabaseArchiveName)));
    EXPECT_EQ(ReadAll(app.filePath(ravlek::kStartMarkerFile)), "the first run's settings");
  }
  for (const qint64 pid : first) ::kill(static_cast<pid_t>(pid), SIGKILL);
  QElapsedTimer clock;
  clock.start();
  while (!ProgramsIn(app.path()).isEmpty() && clock.elapsed() < 10000) QThread::msleep(20);
}

// A double double-click: two starters at once over a large staged update, again and again. Every
// installation ends whole, and the program runs.
TEST(Starter, TwoStartersAtOnceNeverBreakTheInstallation) {
  constexpr int kFiles = 150;
  std::vector<ravlek::testing::ZipMember> members = NewPages(kFiles);
  members.push_back({ravlek::kInstalledManifestFile, "<new/>"});
  for (int trial = 0; trial < 10; ++trial) {
    SCOPED_TRACE(trial);
    QTemporaryDir folder;
    const QDir app(folder.path());
    LayOutWithOldPages(app, kFiles);
    WriteAll(app.filePath(ravlek::kInstalledManifestFile), "<old/>");
    StageVerified(app, ravlek::kSystemArchiveName, members);

    QProcess starters[2];
    for (QProcess& starter : starters) starter.start(app.filePath(ravlek::kStarterFileName), {});
    for (QProcess& starter : starters) {
      ASSERT_TRUE(starter.waitForFinished(20000));
      EXPECT_EQ(starter.exitCode(), 0) << starter.readAllStandardError().toStdString();
    }
    int broken = 0;
    for (int i = 0; i < kFiles; ++i)
      broken += ReadAll(app.filePath(QStringLiteral("pages/%1.htm").arg(i))) !=
                "new " + QByteArray::number(i);
    EXPECT_EQ(broken, 0);
    EXPECT_EQ(ReadAll(app.filePath(ravlek::kInstalledManifestFile)), "<new/>");
    EXPECT_FALSE(QFile::exists(Staged(app, ravlek::kSystemArchiveName)));
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kRefusedUpdateFolder)));
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackFolder)));
    EXPECT_FALSE(QFile::exists(app.filePath(ravlek::kUnpackBackupFolder)));
    EXPECT_GE(StartsNoted(app, 1), 1);
  }
}

}  // namespace
