// The dictionary upgrade that keeps the user's notes, by every path that installs a newer
// dictionary: ravlek-cli upgrade on a SQLite file (from a TSV release or a shipped database, as
// the package launcher runs it), and the starter installing a database archive. The user's notes
// and the new readings are both there afterwards; a kill -9 during the merge leaves the old
// dictionary whole. (PostgreSQL: postgres_test.cpp; the launcher itself: launcher_test.sh.)

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include "base/app_folder.h"
#include "release/staged_archive.h"
#include "starter.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/upgrade_scenario.h"
#include "tests/support/zip_writer.h"

namespace {

using namespace ravlek;

// Runs f on a connection to the SQLite file.
template <typename F>
void WithDatabase(const QString& path, F f) {
  static int counter = 0;
  const QString name = QStringLiteral("upgrade-test-%1").arg(++counter);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    f(db);
  }
  QSqlDatabase::removeDatabase(name);
}

// An application folder whose Ravlek.db is the old release with the user's notes typed in, and
// the two releases beside it.
class UserFolder {
 public:
  UserFolder() {
    test::WriteOldRelease(OldRelease());
    test::WriteNewRelease(NewRelease());
    test::WriteShippedDatabase(Database(), OldRelease());
    WithDatabase(Database(), [](QSqlDatabase& db) { test::TypeUserNotes(db); });
  }
  QString Path() const { return app_.path(); }
  QString Database() const { return app_.filePath(QStringLiteral("Ravlek.db")); }
  QString OldRelease() const { return releases_.filePath(QStringLiteral("old")); }
  QString NewRelease() const { return releases_.filePath(QStringLiteral("new")); }
  QString Scratch() const { return releases_.path(); }

 private:
  QTemporaryDir app_;
  QTemporaryDir releases_;
};

QString RunCli(const QStringList& arguments, int& exitCode) {
  QProcess process;
  process.start(QStringLiteral(RAVLEK_CLI_PATH), arguments);
  EXPECT_TRUE(process.waitForFinished(30000));
  exitCode = process.exitCode();
  return QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
}

TEST(DictionaryUpgrade, TheNoteHashIsTheBuildsSha1Prefix) {
  // The values data/build_dictionary_db.py writes into RavlekShippedNotes.
  EXPECT_EQ(ShippedNoteHash(QString()), QStringLiteral("da39a3ee5e6b4b0d"));
  EXPECT_EQ(ShippedNoteHash(QStringLiteral("讚：稱美。")), QStringLiteral("b39641895aee1c94"));
  EXPECT_EQ(ShippedNoteHash(QStringLiteral("a\nb")), QStringLiteral("fcd127ffa1016069"));
}

TEST(DictionaryUpgrade, RavlekCliKeepsTheNotesAndBringsTheNewReadings) {
  // From a TSV release, and from a shipped database as the package launcher runs it.
  for (const bool fromDatabase : {false, true}) {
    SCOPED_TRACE(fromDatabase ? "--from" : "--release");
    UserFolder user;
    QStringList arguments = {QStringLiteral("--db"), user.Database(), QStringLiteral("upgrade")};
    if (fromDatabase) {
      const QString shipped = QDir(user.Scratch()).filePath(QStringLiteral("Ravlek.db"));
      test::WriteShippedDatabase(shipped, user.NewRelease());
      arguments << QStringLiteral("--from") << shipped;
    } else {
      arguments << QStringLiteral("--release") << user.NewRelease();
    }
    int exitCode = -1;
    const QString output = RunCli(arguments, exitCode);
    ASSERT_EQ(exitCode, 0) << output.toStdString();
    WithDatabase(user.Database(),
                 [](QSqlDatabase& db) { EXPECT_EQ(test::CheckUpgraded(db), QString()); });
    EXPECT_EQ(test::CheckOrphanedNotes(user.Path(), output), QString());
    EXPECT_TRUE(output.contains(QStringLiteral("保留您修改過的註解 2 則"))) << output.toStdString();
  }
}

TEST(DictionaryUpgrade, ADictionaryWithoutShippedNotesKeepsEveryNoteThatDiffers) {
  // Made before the shipped notes were recorded: a note that differs from the new text may be
  // the user's, and is kept.
  UserFolder user;
  WithDatabase(user.Database(), [](QSqlDatabase& db) {
    ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("DROP TABLE RavlekShippedNotes")));
  });
  int exitCode = -1;
  const QString output = RunCli({QStringLiteral("--db"), user.Database(), QStringLiteral("upgrade"),
                                 QStringLiteral("--release"), user.NewRelease()},
                                exitCode);
  ASSERT_EQ(exitCode, 0) << output.toStdString();
  WithDatabase(user.Database(), [](QSqlDatabase& db) {
    QSqlQuery query(db);
    ASSERT_TRUE(
        query.exec(QStringLiteral("SELECT Phone_desc, Desc FROM RavlekTable WHERE "
                                  "HanWord = '讚'")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toString(), QStringLiteral("舊語音註"));  // kept: it differs
    EXPECT_EQ(query.value(1).toString(), QStringLiteral("我的釋義"));
    // The next upgrade knows the shipped notes.
    EXPECT_TRUE(query.exec(QStringLiteral("SELECT count(*) FROM RavlekShippedNotes")));
  });
}

TEST(DictionaryUpgrade, RavlekCliRefusesABadReleaseAndChangesNothing) {
  UserFolder user;
  QFile::remove(QDir(user.NewRelease()).filePath(QStringLiteral("BaseWords.tsv")));
  int exitCode = -1;
  const QString output = RunCli({QStringLiteral("--db"), user.Database(), QStringLiteral("upgrade"),
                                 QStringLiteral("--release"), user.NewRelease()},
                                exitCode);
  EXPECT_EQ(exitCode, 1) << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("BaseWords.tsv"))) << output.toStdString();
  WithDatabase(user.Database(),
               [](QSqlDatabase& db) { EXPECT_EQ(test::CheckNotUpgraded(db), QString()); });
  EXPECT_EQ(RunCli({QStringLiteral("--db"), user.Database(), QStringLiteral("upgrade")}, exitCode)
                .contains(QStringLiteral("one of --release and --from")),
            true);
  EXPECT_EQ(exitCode, 2);
}

TEST(DictionaryUpgrade, TheStarterInstallingADatabaseArchiveKeepsTheNotes) {
  UserFolder user;
  const QString shipped = QDir(user.Scratch()).filePath(QStringLiteral("Ravlek.db"));
  test::WriteShippedDatabase(shipped, user.NewRelease());
  const QDir app(user.Path());
  QDir().mkpath(app.filePath(kUpgradeFolder));
  const QString archive = app.filePath(kUpgradeFolder + u'/' + kDatabaseArchiveName);
  ASSERT_TRUE(ravlek::testing::WriteZip(archive, {{"Ravlek.db", ReadAll(shipped)}}));
  ASSERT_TRUE(WriteReadyMark(archive));

  const StarterReport report = InstallStagedArchives(user.Path());
  ASSERT_TRUE(report.failures.isEmpty()) << report.failures.join(u'\n').toStdString();
  EXPECT_EQ(report.installed, QStringList{kDatabaseArchiveName});
  WithDatabase(user.Database(),
               [](QSqlDatabase& db) { EXPECT_EQ(test::CheckUpgraded(db), QString()); });
  const QStringList notes = app.entryList({QStringLiteral("Ravlek-notes-*.tsv")}, QDir::Files);
  EXPECT_EQ(test::CheckOrphanedNotes(user.Path(), notes.value(0)), QString());
}

TEST(DictionaryUpgrade, TheStarterRefusesAnArchiveWhoseDictionaryCannotBeRead) {
  UserFolder user;
  const QDir app(user.Path());
  QDir().mkpath(app.filePath(kUpgradeFolder));
  const QString archive = app.filePath(kUpgradeFolder + u'/' + kDatabaseArchiveName);
  ASSERT_TRUE(ravlek::testing::WriteZip(archive, {{"Ravlek.db", "not a dictionary"}}));
  ASSERT_TRUE(WriteReadyMark(archive));
  const StarterReport report = InstallStagedArchives(user.Path());
  EXPECT_EQ(report.failures.size(), 1);
  WithDatabase(user.Database(),
               [](QSqlDatabase& db) { EXPECT_EQ(test::CheckNotUpgraded(db), QString()); });
}

TEST(DictionaryUpgrade, AKillDuringTheMergeLeavesTheOldDictionaryWhole) {
  UserFolder user;
  const QString marker = QDir(user.Scratch()).filePath(QStringLiteral("written"));
  QProcess process;
  process.start(QStringLiteral(RAVLEK_UPGRADE_UNTIL_KILLED_PATH),
                {user.Database(), user.NewRelease(), marker});
  ASSERT_TRUE(process.waitForStarted());
  QElapsedTimer clock;
  clock.start();
  while (!QFile::exists(marker) && clock.elapsed() < 20000 &&
         process.state() == QProcess::Running) {
    QThread::msleep(20);
  }
  ASSERT_TRUE(QFile::exists(marker)) << process.readAllStandardError().toStdString();
  process.kill();  // SIGKILL: nothing of the process runs after it
  ASSERT_TRUE(process.waitForFinished(10000));
  WithDatabase(user.Database(),
               [](QSqlDatabase& db) { EXPECT_EQ(test::CheckNotUpgraded(db), QString()); });
}

}  // namespace
