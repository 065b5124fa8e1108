// The update session without a window: the start-up's release steps and the update download
// against a release server on 127.0.0.1, in a temporary application folder.

#include "release/update_session.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "base/app_folder.h"
#include "base/error.h"
#include "base/program_end.h"
#include "release/release_files.h"
#include "release/release_notes.h"
#include "release/release_texts.h"
#include "release/staged_archive.h"
#include "starter.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/release_publisher.h"
#include "tests/support/zip_writer.h"

namespace ravlek {
namespace {

using test::AppFolderFixture;
using test::CurrentDirGuard;
using test::ForgedSignature;
using test::Forgery;
using test::ForgeryName;
using test::Information;
using test::kForgeries;
using test::LastVersion;
using End = DownloadOutcome::End;
using State = UpdateSession::DownloadState;

const QString kCrLf = QStringLiteral("\r\n");

// What the session told, in order.
struct Told {
  enum class Kind { kNotice, kMessage, kFailure };
  Kind kind;
  QString text;
  QString caption;  // a failure's details
};

// A failure is told in the program's language: no path, no system or library text (those go to
// the details).
void ExpectPlainWords(const Told& told) {
  QString text = told.text;
  for (const char* name :
       {"LastVersion.xml", "CurrentVersion.xml", "information.xml", "HTML_images.zip", "HTML.zip",
        "Ravlek_sys_upgrade.zip", "Ravlek_db_upgrade.zip", "SHA-256", "ZIP"})
    text.remove(QLatin1String(name));
  static const QRegularExpression latin(QStringLiteral("[A-Za-z/\\\\]{2,}"));
  EXPECT_FALSE(latin.match(text).hasMatch()) << told.text.toStdString();
  EXPECT_TRUE(text.endsWith(u'。')) << told.text.toStdString();
}

class RecordingReporter : public UpdateReporter {
 public:
  void Notice(const QString& text, const QString& caption, int) override {
    told.push_back({Told::Kind::kNotice, text, caption});
  }
  void Message(const QString& text, const QString& caption) override {
    told.push_back({Told::Kind::kMessage, text, caption});
  }
  void Failure(const QString& text, const QString& details) override {
    told.push_back({Told::Kind::kFailure, text, details});
  }
  void Progress(int percent, qint64 size) override {
    if (progress.empty() || progress.back() != percent) progress.push_back(percent);
    lastSize = size;
  }
  QStringList Texts() const {
    QStringList texts;
    for (const Told& one : told) texts << one.text;
    return texts;
  }
  std::string Joined() const { return Texts().join(" | ").toStdString(); }
  std::vector<Told> told;
  std::vector<int> progress;  // the percentages, each change once
  qint64 lastSize = 0;
};

class UpdateSessionTest : public test::ReleasePublisherTest {
 protected:
  void TearDown() override {
    session_.reset();
    guard_.reset();
    ReleasePublisherTest::TearDown();
  }

  // A new session in the application folder, as at the program's start; the start-up's release
  // steps run in their order, and a step's failure ends them as it ends the window's start-up.
  UpdateSession& Start() {
    session_.reset();
    guard_.reset();
    guard_ = std::make_unique<CurrentDirGuard>(app_->Path());
    // The working folders that the window's start-up makes before the release steps.
    for (const QString& folder : {kLastReleaseFolder, kUpgradeFolder})
      QDir(app_->Path()).mkpath(folder);
    reporter_ = RecordingReporter();
    session_ = std::make_unique<UpdateSession>(settings_, reporter_);
    UpdateSession& s = *session_;
    try {
      s.ResolveAddress();
      s.InstallStagedStarter();
      s.ReportRefusedUpdate();
      s.FetchLatestManifest();
      s.RefreshPackages();
      s.ReadInstalledVersions();
      memo_ = s.ReadLatestRelease();
      notes_ = s.announcement().updateAnnounced() ? QStringList() : s.ReleaseNotes();
      s.SetDownloadFlags();
    } catch (const Error& error) {
      reporter_.Failure(error.message(), {});
    }
    return s;
  }
  const std::vector<Told>& told() const { return reporter_.told; }

  std::unique_ptr<CurrentDirGuard> guard_;
  RecordingReporter reporter_;
  std::unique_ptr<UpdateSession> session_;
  QStringList memo_;
  QStringList notes_;
};

// ---- start-up

TEST_F(UpdateSessionTest, NoUpdateShowsTheReleaseNotes) {
  PublishRelease(installed_.system, installed_.database);
  UpdateSession& s = Start();
  EXPECT_TRUE(told().empty()) << reporter_.Joined();
  EXPECT_FALSE(s.announcement().updateAnnounced());
  EXPECT_EQ(notes_, ReadReleaseNotes(app_->FilePath("ReleaseNote.txt")));
  EXPECT_EQ(s.announcement().flags.system, 0);
  EXPECT_EQ(s.announcement().flags.database, 0);
  EXPECT_EQ(s.announcement().installed.system, installed_.system);
  EXPECT_TRUE(s.announcement().installedKnown);
  ASSERT_FALSE(memo_.isEmpty());
  EXPECT_EQ(memo_[0], QStringLiteral("更新版 Release: R"));
  // Only the two manifests were fetched: the packages are the installed ones.
  EXPECT_EQ(server_.paths(), (std::vector<std::string>{
                                 "/RavlekSystem_Release/last_release_XML/LastVersion.xml",
                                 "/RavlekSystem_Release/last_release_XML/LastVersion.xml.sig",
                                 "/RavlekSystem_Release/last_release_XML/information.xml",
                                 "/RavlekSystem_Release/last_release_XML/information.xml.sig"}));
}

struct AnnounceCase {
  const char* label;
  bool systemChanged;
  bool databaseChanged;
  const char* systemUrl;
  const char* databaseUrl;
  int systemFlag;
  int databaseFlag;
};

TEST_F(UpdateSessionTest, AnAnnouncedUpdateSelectsTheArchivesToFetch) {
  const std::vector<AnnounceCase> cases = {
      {"both", true, true, "http://h/s.zip", "http://h/d.zip", 1, 1},
      {"system only", true, false, "http://h/s.zip", "無更新", 1, 0},
      {"database inside the system archive", false, true, "無更新", "已包入Ravlek_sys_upgrade.zip",
       0, 0},
      {"database without archive", false, true, "無更新", "無更新", 0, 0},
      {"system without archive", true, true, "無更新", "http://h/d.zip", 0, 1},
  };
  for (const AnnounceCase& c : cases) {
    SCOPED_TRACE(c.label);
    PublishRelease(c.systemChanged ? installed_.system + " " : installed_.system,
                   c.databaseChanged ? installed_.database + "x" : installed_.database,
                   QString::fromUtf8(c.systemUrl), QString::fromUtf8(c.databaseUrl));
    UpdateSession& s = Start();
    EXPECT_TRUE(told().empty()) << reporter_.Joined();
    EXPECT_TRUE(s.announcement().updateAnnounced());
    EXPECT_TRUE(notes_.isEmpty());
    EXPECT_EQ(s.announcement().flags.system, c.systemFlag);
    EXPECT_EQ(s.announcement().flags.database, c.databaseFlag);
    EXPECT_EQ(s.announcement().latest.systemUrl, QString::fromUtf8(c.systemUrl));
    EXPECT_EQ(s.announcement().latest.databaseUrl, QString::fromUtf8(c.databaseUrl));
  }
}

TEST_F(UpdateSessionTest, UnreachableServerFallsBackOnThePreviousManifest) {
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  const QByteArray previous =
      LastVersion(installed_.system + "-older", installed_.database, "http://h/s.zip", "無更新");
  KeepManifest(previous);
  UpdateSession& s = Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(told()[0].text,
            QStringLiteral("(((下載網站Server最新版本資訊失敗!!)))") + kCrLf +
                QStringLiteral("開啟程式前, 請保持網路連線.....  ") + kCrLf +
                QStringLiteral("系統會自動通知資料庫和程式更新, 及update最新訊息.") + kCrLf +
                QStringLiteral("(網路沒連線也可操作此系統, 但無最新訊息和訊息交流!)"));
  EXPECT_TRUE(s.announcement().updateAnnounced());
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestBackup)), previous);
  EXPECT_EQ(s.announcement().flags.system, 1);
}

// A first start without the network has no manifest at all: that is told by the notice alone,
// never as an error, and the release notes are shown.
TEST_F(UpdateSessionTest, OfflineFirstStartIsNoError) {
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  UpdateSession& s = Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(s.announcement().installed.system, installed_.system);
  EXPECT_FALSE(s.announcement().updateAnnounced());
  EXPECT_TRUE(memo_.isEmpty());
  EXPECT_FALSE(notes_.isEmpty());
}

TEST_F(UpdateSessionTest, OversizedManifestIsAFailedDownloadAndKeepsTheBackup) {
  const QByteArray previous =
      LastVersion(installed_.system, installed_.database, "無更新", "無更新");
  app_->WriteFile(kLatestManifestFile, previous);
  QByteArray huge = LastVersion("9", "9", "無更新", "無更新");
  huge.insert(huge.indexOf("</sys_notes>"), QByteArray(2 * 1024 * 1024, 'n'));
  Publish("LastVersion.xml", huge);
  UpdateSession& s = Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
  EXPECT_FALSE(s.announcement().updateAnnounced());
}

TEST_F(UpdateSessionTest, LongVersionIsAMalformedManifest) {
  PublishRelease(QString(65, u'9'), installed_.database);
  UpdateSession& s = Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].kind, Told::Kind::kFailure);
  EXPECT_EQ(told()[0].text, texts::kManifestUnreadableText.arg("LastVersion.xml"));
  ExpectPlainWords(told()[0]);
  EXPECT_TRUE(told()[0].caption.contains("64")) << told()[0].caption.toStdString();
  EXPECT_FALSE(s.announcement().updateAnnounced());
  EXPECT_TRUE(memo_.isEmpty());
  EXPECT_FALSE(notes_.isEmpty());  // the rest goes on
}

TEST_F(UpdateSessionTest, ServerThatDripsBytesCannotHoldTheStartUp) {
  // One byte at a time, never silent for long: only the low-speed limit ends it.
  server_.http().Get("/drip/RavlekSystem_Release/last_release_XML/LastVersion.xml",
                     [this](const httplib::Request&, httplib::Response& res) {
                       res.set_content_provider(
                           1000, "text/xml", [this](size_t, size_t, httplib::DataSink& sink) {
                             if (server_.stopping()) return false;
                             std::this_thread::sleep_for(std::chrono::milliseconds(50));
                             sink.write("<", 1);
                             return true;
                           });
                     });
  settings_.root = server_.url("/drip");
  settings_.timeouts = {2000, 300, 1024, 1};
  const QByteArray previous =
      LastVersion(installed_.system, installed_.database, "無更新", "無更新");
  app_->WriteFile(kLatestManifestFile, previous);
  QElapsedTimer clock;
  clock.start();
  UpdateSession& s = Start();
  EXPECT_LT(clock.elapsed(), 5000);
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
  EXPECT_FALSE(s.announcement().updateAnnounced());
}

// The start-up fetches run beside the window; when it goes, they are broken off from its thread
// while the server holds a file back: they end without waiting for the server, tell nothing, and
// leave the manifest in use as it was.
TEST_F(UpdateSessionTest, StartUpFetchesBrokenOffFromAnotherThreadEndQuietly) {
  const auto asked = std::make_shared<std::atomic<int>>(0);
  const auto held = std::make_shared<std::string>();  // set before each run's first request
  server_.http().Get(R"(/hold/RavlekSystem_Release/last_release_XML/(.*))",
                     [this, asked, held](const httplib::Request& req, httplib::Response& res) {
                       const std::string file = req.matches[1];
                       if (file == *held) {
                         ++*asked;
                         while (!server_.stopping())
                           std::this_thread::sleep_for(std::chrono::milliseconds(10));
                         return;
                       }
                       res.set_content(Served(QString::fromStdString(file)).toStdString(),
                                       "application/octet-stream");
                     });
  for (const char* name : {"LastVersion.xml", "information.xml"}) {
    SCOPED_TRACE(name);
    PublishUpdate();
    *held = name;
    settings_.root = server_.url("/hold");
    const QByteArray previous =
        LastVersion(installed_.system, installed_.database, "無更新", "無更新");
    KeepManifest(previous);
    guard_ = std::make_unique<CurrentDirGuard>(app_->Path());
    QDir(app_->Path()).mkpath(kLastReleaseFolder);
    reporter_ = RecordingReporter();
    session_ = std::make_unique<UpdateSession>(settings_, reporter_);
    session_->ResolveAddress();
    *asked = 0;
    std::thread fetches([this] { session_->FetchReleaseFiles(); });
    while (*asked == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    QElapsedTimer clock;
    clock.start();
    session_->Cancel();
    fetches.join();
    EXPECT_LT(clock.elapsed(), 5000);  // the stall limit (30 s) did not end it
    EXPECT_TRUE(told().empty()) << reporter_.Joined();
    if (QLatin1String(name) == QLatin1String("LastVersion.xml")) {
      EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
    }
    EXPECT_EQ(QDir(app_->FilePath(kLastReleaseFolder)).entryList({"*.part"}), QStringList());
    EXPECT_FALSE(QFile::exists(app_->FilePath(kLatestManifestFile) + ".part"));
    session_.reset();
    guard_.reset();
    app_ = std::make_unique<AppFolderFixture>();
  }
}

TEST_F(UpdateSessionTest, TestModeFetchesFromItsOwnFolderAfterANotice) {
  app_->WriteFile("FDConnectionDefs.ini",
                  "[Connect_RavlekDB]\nDriverID=SQLite\nDatabase=Ravlek.db\n\n"
                  "[Connect_RavlekXML]\nXMLpath=Last_release_XML\n");
  Publish("LastVersion.xml", LastVersion("9", "9", "無更新", "無更新"),
          QStringLiteral("Last_release_XML"));
  Publish("information.xml", Information(packages_.html, packages_.images),
          QStringLiteral("Last_release_XML"));
  UpdateSession& s = Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 測試專用"));
  EXPECT_EQ(told()[0].text, QStringLiteral("測試測試.... get XML files from : ") +
                                server_.url(QString()) + "/RavlekSystem_Release/Last_release_XML");
  EXPECT_TRUE(s.announcement().updateAnnounced());
  EXPECT_EQ(s.baseAddress(), server_.url(QString()) + "/RavlekSystem_Release/Last_release_XML");
}

TEST_F(UpdateSessionTest, ChangedImagePackageIsUnpackedIntoTheImagesFolder) {
  PublishRelease(installed_.system, installed_.database);
  const QByteArray information = Information(packages_.html, packages_.images + "-2");
  Publish("information.xml", information);
  const QString zip = serverRoot_.filePath("images.zip");
  ASSERT_TRUE(testing::WriteZip(zip, {{"sub/pic.png", "picture"}}));
  Publish("HTML_images.zip", ReadAll(zip));
  Start();
  EXPECT_TRUE(told().empty()) << reporter_.Joined();
  EXPECT_EQ(ReadAll(home_.filePath("HAN_images/sub/pic.png")), "picture");
  EXPECT_EQ(ReadAll(app_->FilePath(kInstalledPackagesFile)), Served("information.xml"));
  EXPECT_TRUE(Served("information.xml").contains("<HTML_images_sha256>"));
  for (const std::string& path : server_.paths())
    EXPECT_EQ(path.find("HTML.zip"), std::string::npos);
}

TEST_F(UpdateSessionTest, BrokenPagePackageKeepsTheInstalledManifest) {
  PublishRelease(installed_.system, installed_.database);
  Publish("information.xml", Information(packages_.html + "-2", packages_.images));
  Publish("HTML.zip", "this is no archive");
  const QByteArray before = ReadAll(app_->FilePath(kInstalledPackagesFile));
  UpdateSession& s = Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].kind, Told::Kind::kFailure);
  EXPECT_EQ(told()[0].text, texts::kPackageUnusableText.arg("HTML.zip"));
  ExpectPlainWords(told()[0]);
  EXPECT_FALSE(told()[0].caption.isEmpty());
  EXPECT_EQ(ReadAll(app_->FilePath(kInstalledPackagesFile)), before);
  EXPECT_TRUE(s.announcement().installedKnown);  // the later steps ran
  EXPECT_FALSE(notes_.isEmpty());
}

// A release file whose signature is missing or does not verify is a failed download: nothing
// of it is read (no update announced, no package fetched or unpacked) and it never becomes the
// backup or the installed manifest.
TEST_F(UpdateSessionTest, ForgedManifestFallsBackOnThePreviousOneUnread) {
  const QByteArray previous =
      LastVersion(installed_.system, installed_.database, "無更新", "無更新");
  const QByteArray forged = LastVersion("9", "9", ArchiveUrl("sys"), ArchiveUrl("db"));
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    app_->WriteFile(kLatestManifestFile, previous);
    Publish("information.xml", Information(packages_.html, packages_.images));
    PublishSigned("LastVersion.xml", forged, ForgedSignature(forged, forgery));
    const size_t before = server_.paths().size();
    {
      UpdateSession& s = Start();
      ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
      EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
      EXPECT_FALSE(s.announcement().updateAnnounced());
      EXPECT_EQ(s.announcement().flags.system, 0);
      EXPECT_FALSE(s.announcement().latest.systemUrl.contains("archives"));
      EXPECT_FALSE(notes_.isEmpty());
    }
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
    // information.xml is fetched only after a manifest that was accepted.
    EXPECT_EQ(server_.paths().size(), before + 2);
    // The next start does not take the forged manifest for its backup either.
    Publish("LastVersion.xml", previous);
    Start();
    EXPECT_TRUE(told().empty()) << reporter_.Joined();
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestBackup)), previous);
  }
}

// A fresh installation has no manifest of an earlier start: a forged one is never read, never
// announces an update and never stays on disk, and one left unsigned by an earlier version (or a
// run killed while it waited for the signature) announces nothing with the server away.
TEST_F(UpdateSessionTest, NoValidManifestNoUpdate) {
  const QByteArray forged = LastVersion("9", "9", ArchiveUrl("sys"), ArchiveUrl("db"));
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    Publish("information.xml", Information(packages_.html, packages_.images));
    PublishSigned("LastVersion.xml", forged, ForgedSignature(forged, forgery));
    const size_t before = server_.paths().size();
    UpdateSession& s = Start();
    EXPECT_FALSE(s.announcement().updateAnnounced());
    EXPECT_EQ(s.announcement().flags.system, 0);
    EXPECT_FALSE(app_->Exists(kLatestManifestFile));
    EXPECT_FALSE(app_->Exists(kLatestManifestFile + ".part"));
    EXPECT_EQ(server_.paths().size(), before + 2);  // information.xml not asked for
    for (const QString& text : reporter_.Texts())
      EXPECT_FALSE(text.contains(QStringLiteral("有新UPDATE"))) << text.toStdString();
  }
  app_ = std::make_unique<AppFolderFixture>();
  app_->WriteFile(kLatestManifestFile, forged);  // no signature kept beside it
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  UpdateSession& s = Start();
  EXPECT_FALSE(s.announcement().updateAnnounced());
  EXPECT_EQ(s.announcement().flags.system, 0);
  EXPECT_FALSE(s.announcement().latest.systemUrl.contains("archives"));
}

TEST_F(UpdateSessionTest, AnUpdateDroppedForSpaceIsToldWithItsCauseOnce) {
  PublishRelease(installed_.system, installed_.database);
  app_->WriteFile(kNoSpaceNote, "Ravlek_sys_upgrade.zip: No space left on device");
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    Start();
    EXPECT_EQ(reporter_.Texts().contains(texts::kUpdateNoSpaceText), start == 0)
        << reporter_.Joined();
  }
}

// The starter's own words (a path, the system's error) only behind the details.
TEST_F(UpdateSessionTest, AnUpdateDroppedForSpaceKeepsTheSystemWordsInTheDetails) {
  PublishRelease(installed_.system, installed_.database);
  const QByteArray met =
      "Cannot create folder \"/app/Ravlek_unpack/pages\": No space left on device";
  app_->WriteFile(kNoSpaceNote, met + "\n");
  Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].kind, Told::Kind::kFailure);
  EXPECT_EQ(told()[0].text, texts::kUpdateNoSpaceText);
  ExpectPlainWords(told()[0]);
  EXPECT_EQ(told()[0].caption, QString::fromUtf8(met));  // a failure's details
}

// ---- manifests that bind: role, release sequence, expiry, archives

// A file validly signed for one role, served in another, or an old-format manifest without a
// stamp, or an older release than one accepted: refused with the reason, nothing announced.
TEST_F(UpdateSessionTest, ManifestOfAnotherRoleOrAnOlderReleaseIsRefusedWithWords) {
  sequence_ = 5;
  PublishRelease(installed_.system, installed_.database);
  Start();
  EXPECT_TRUE(told().empty()) << reporter_.Joined();
  EXPECT_EQ(ReadKeptSequence(app_->FilePath(kKeptSequenceFile)), 5);
  const QByteArray older =
      LastVersion(installed_.system + "-old", installed_.database, ArchiveUrl("sys"), "無更新");
  struct Case {
    const char* label;
    QByteArray served;
    QString text;
  };
  const QByteArray swapped = test::StampForTest(Information("h", "i"), "information.xml", 6);
  const QByteArray rolledBack = test::StampForTest(older, "LastVersion.xml", 4);
  const std::vector<Case> cases = {
      {"information.xml served as LastVersion.xml", swapped,
       texts::kStampWrongRoleText.arg("LastVersion.xml")},
      {"a signed manifest without a stamp", older, texts::kStampMissingText.arg("LastVersion.xml")},
      {"an older release replayed", rolledBack,
       QStringLiteral(
           "更新網站的 LastVersion.xml 版本序號 4 比已接受的序號 5 舊（可能是重播的舊版本），"
           "沒有使用，系統不會退回舊版。")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const QByteArray before = ReadAll(app_->FilePath(kLatestManifestFile));
    PublishSigned("LastVersion.xml", c.served, test::TestSignature(c.served));
    UpdateSession& s = Start();
    EXPECT_TRUE(reporter_.Texts().contains(c.text)) << reporter_.Joined();
    EXPECT_FALSE(s.announcement().updateAnnounced());
    EXPECT_EQ(s.announcement().flags.system, 0);
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), before);
    EXPECT_EQ(ReadKeptSequence(app_->FilePath(kKeptSequenceFile)), 5);
  }
}

// A fresh installation has accepted no sequence yet: the sequence its release ships is the floor,
// so an older signed release replayed to it is refused, never downloaded.
TEST_F(UpdateSessionTest, AFreshInstallationTakesNoReleaseBelowItsOwnSequence) {
  ASSERT_FALSE(app_->Exists(kKeptSequenceFile));
  ASSERT_EQ(ReadKeptSequence(app_->FilePath(kInstalledSequenceFile)), 1);
  sequence_ = 0;
  PublishRelease(QStringLiteral("0.9.0"), QStringLiteral("0.9.0"), ArchiveUrl("sys"),
                 ArchiveUrl("db"));
  UpdateSession& s = Start();
  EXPECT_TRUE(
      reporter_.Texts().contains(texts::kRollbackRefusedText.arg("LastVersion.xml").arg(0).arg(1)))
      << reporter_.Joined();
  EXPECT_FALSE(s.manifestFetched());
  EXPECT_FALSE(s.announcement().updateAnnounced());
  EXPECT_FALSE(app_->Exists(kLatestManifestFile));
  // The shipped floor itself is taken.
  sequence_ = 1;
  PublishUpdate();
  EXPECT_TRUE(Start().announcement().updateAnnounced()) << reporter_.Joined();
}

// A signed manifest of a later sequence that names a lower version offers nothing to fetch.
TEST_F(UpdateSessionTest, ALowerVersionIsNeverAnUpdate) {
  struct Case {
    const char* system;
    const char* database;
    bool announced;
    int systemFlag;
    int databaseFlag;
  };
  const Case cases[] = {
      {"0.9.0", "0.9.0", false, 0, 0},    {"0.9.9", "1.0.0", false, 0, 0},
      {"1.0.0", "0.10", false, 0, 0},     {"1.0.1", "0.9.0", true, 1, 0},
      {"1.0.0", "1.0.0-fix", true, 0, 1},
  };
  ASSERT_EQ(installed_.system, QStringLiteral("1.0.0"));
  ASSERT_EQ(installed_.database, QStringLiteral("1.0.0"));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.system) + " " + c.database);
    ++sequence_;
    PublishRelease(c.system, c.database, ArchiveUrl("sys"), ArchiveUrl("db"));
    UpdateSession& s = Start();
    EXPECT_EQ(s.announcement().updateAnnounced(), c.announced);
    EXPECT_EQ(s.announcement().flags.system, c.systemFlag);
    EXPECT_EQ(s.announcement().flags.database, c.databaseFlag);
  }
}

// The release root may be https (checked against the trust store given); a redirect from https
// down to http is never followed.
TEST_F(UpdateSessionTest, AnHttpsRootIsUsedAndNeverLeftForHttp) {
  const testing::TestCertificate& certificate = testing::MakeTestCertificate();
  ASSERT_TRUE(certificate.ok);
  testing::LocalServer tls(certificate);
  tls.http().set_mount_point("/", serverRoot_.path().toStdString());
  tls.http().Get("/down/(.*)", [this](const httplib::Request& req, httplib::Response& res) {
    res.set_redirect(server_.url("/" + QString::fromStdString(req.matches[1])).toStdString());
  });
  tls.Start();
  settings_.caFile = certificate.certFile;
  PublishUpdate();
  settings_.root = tls.url(QString());
  EXPECT_TRUE(Start().announcement().updateAnnounced()) << reporter_.Joined();
  EXPECT_TRUE(told().empty()) << reporter_.Joined();

  const size_t plainBefore = server_.paths().size();
  settings_.root = tls.url("/down");
  UpdateSession& s = Start();
  EXPECT_FALSE(s.manifestFetched());
  EXPECT_EQ(server_.paths().size(), plainBefore);  // the plain server was never asked
}

// A stale manifest is told once and used all the same.
TEST_F(UpdateSessionTest, ExpiredManifestIsToldOnceNotBlocking) {
  expires_ = QDateTime(QDate(2020, 1, 31), QTime(0, 0), QTimeZone::utc());
  PublishUpdate();
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    UpdateSession& s = Start();
    EXPECT_EQ(reporter_.Texts().contains(texts::kManifestExpiredText.arg("2020-01-31")), start == 0)
        << reporter_.Joined();
    EXPECT_TRUE(s.announcement().updateAnnounced());  // the update is announced all the same
    EXPECT_EQ(s.announcement().flags.system, 1);
  }
}

// A resource package must be the one information.xml names: a signed package of another release
// (or one cut longer) ends the start-up before it is unpacked.
TEST_F(UpdateSessionTest, PackageThatIsNotTheNamedOneIsNeverUnpacked) {
  PublishRelease(installed_.system, installed_.database);
  Publish("information.xml", Information(packages_.html + "-2", packages_.images));
  QTemporaryDir scratch;
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("named.zip"), {{"named.htm", "named"}}));
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("other.zip"), {{"other.htm", "other"}}));
  Publish("HTML.zip", ReadAll(scratch.filePath("named.zip")));  // information.xml names this one
  const QByteArray other = ReadAll(scratch.filePath("other.zip"));
  Serve("HTML.zip", other, test::TestSignature(other), "last_release_XML");  // signed, not named
  Start();
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_TRUE(told()[0].text.startsWith(texts::kArchiveMismatchText.arg("HTML.zip")))
      << told()[0].text.toStdString();
  EXPECT_FALSE(app_->Exists("last_release_XML/other.htm"));
  EXPECT_FALSE(app_->Exists("last_release_XML/HTML.zip"));
}

// One release file that fails (changed, unsigned, too large, older) is told on its own: the
// installed versions, the valid update of LastVersion.xml and its flags are all still there.
TEST_F(UpdateSessionTest, OneFailedFileHidesNeitherTheVersionsNorTheUpdate) {
  QTemporaryDir scratch;
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("HTML.zip"), {{"page.htm", "page"}}));
  const QByteArray pages = ReadAll(scratch.filePath("HTML.zip"));
  struct Case {
    const char* label;
    std::function<void()> spoil;
  };
  const std::vector<Case> cases = {
      {"information.xml changed after signing",
       [this] {
         const QByteArray bytes = Served("information.xml");
         PublishSigned("information.xml", bytes + " ", test::TestSignature(bytes));
       }},
      {"information.xml of an older release",
       [this] {
         const QByteArray older = test::StampForTest(
             Information(packages_.html + "-2", packages_.images), "information.xml", 0);
         PublishSigned("information.xml", older, test::TestSignature(older));
       }},
      {"HTML.zip unsigned", [this, pages] { PublishSigned("HTML.zip", pages, QByteArray()); }},
      {"HTML.zip larger than named",
       [this, pages] {
         const QByteArray longer = pages + QByteArray(4096, 'x');
         PublishSigned("HTML.zip", longer, test::TestSignature(longer));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    app_ = std::make_unique<AppFolderFixture>();
    PublishUpdate();
    Publish("information.xml", Information(packages_.html + "-2", packages_.images));
    Publish("HTML.zip", pages);
    c.spoil();
    UpdateSession& s = Start();
    ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
    EXPECT_EQ(told()[0].kind, Told::Kind::kFailure);
    ExpectPlainWords(told()[0]);
    EXPECT_TRUE(s.announcement().installedKnown);
    EXPECT_EQ(s.announcement().installed.system, installed_.system);
    EXPECT_TRUE(s.announcement().updateAnnounced());
    EXPECT_EQ(s.announcement().flags.system, 1);
    EXPECT_EQ(s.announcement().flags.database, 1);
    EXPECT_FALSE(memo_.isEmpty());
    EXPECT_FALSE(app_->Exists("last_release_XML/page.htm"));
  }
}

struct ForgedPackageCase {
  const char* file;  // the forged one; the others are signed
};

TEST_F(UpdateSessionTest, ForgedPackageFileIsNeverUsed) {
  QTemporaryDir scratch;
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("HTML.zip"), {{"forged.htm", "forged page"}}));
  const QByteArray pages = ReadAll(scratch.filePath("HTML.zip"));
  const std::vector<ForgedPackageCase> cases = {{"information.xml"}, {"HTML.zip"}};
  for (const ForgedPackageCase& c : cases) {
    for (Forgery forgery : kForgeries) {
      SCOPED_TRACE(std::string(c.file) + ", " + ForgeryName(forgery));
      app_ = std::make_unique<AppFolderFixture>();
      const QByteArray installedInformation = ReadAll(app_->FilePath(kInstalledPackagesFile));
      PublishRelease(installed_.system, installed_.database);
      const QByteArray information = Information(packages_.html + "-2", packages_.images);
      Publish("information.xml", information);
      Publish("HTML.zip", pages);
      const QByteArray forged = c.file == std::string("HTML.zip") ? pages : information;
      PublishSigned(c.file, forged, ForgedSignature(forged, forgery));
      const size_t before = server_.paths().size();
      UpdateSession& s = Start();
      ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
      EXPECT_EQ(told()[0].kind, Told::Kind::kFailure);
      EXPECT_TRUE(told()[0].text.contains(QLatin1String(c.file))) << told()[0].text.toStdString();
      ExpectPlainWords(told()[0]);
      EXPECT_TRUE(s.announcement().installedKnown);
      // A forged information.xml is not read: the page package it names is never fetched.
      const std::vector<std::string> paths = server_.paths();
      const bool pagesFetched =
          std::find(paths.begin() + static_cast<std::ptrdiff_t>(before), paths.end(),
                    "/RavlekSystem_Release/last_release_XML/HTML.zip") != paths.end();
      EXPECT_EQ(pagesFetched, c.file == std::string("HTML.zip"));
      EXPECT_FALSE(app_->Exists("last_release_XML/forged.htm"));
      // The file in use was never replaced by the forged one.
      EXPECT_NE(ReadAll(app_->FilePath("last_release_XML/") + c.file), forged);
      EXPECT_FALSE(app_->Exists(QStringLiteral("last_release_XML/%1.part").arg(c.file)));
      EXPECT_EQ(ReadAll(app_->FilePath(kInstalledPackagesFile)), installedInformation);
    }
  }
}

TEST_F(UpdateSessionTest, StagedStarterIsInstalledAtStartUpAndAtClose) {
  PublishRelease(installed_.system, installed_.database);
  app_->WriteFile("Ravlek_Start", "old starter");
  app_->WriteFile(kStagedStarterFile, "new starter");
  UpdateSession& s = Start();
  EXPECT_EQ(ReadAll(app_->FilePath("Ravlek_Start")), "new starter");
  EXPECT_FALSE(app_->Exists(kStagedStarterFile));
  EXPECT_FALSE(s.InstallStagedStarter());  // nothing staged any more
  app_->WriteFile(kStagedStarterFile, "newer starter");
  EXPECT_TRUE(s.InstallStagedStarter());
  EXPECT_EQ(ReadAll(app_->FilePath("Ravlek_Start")), "newer starter");
  EXPECT_FALSE(app_->Exists(kStagedStarterFile));
}

// ---- the download

class UpdateDownloadTest : public UpdateSessionTest {
 protected:
  UpdateSession& StartWithUpdate(int systemFlag, int databaseFlag) {
    PublishUpdate();
    UpdateSession& s = Start();
    s.announcement().flags = {systemFlag, databaseFlag};
    reporter_ = RecordingReporter();
    return s;
  }
  // The manifest of the press names these archive addresses.
  void PublishAddresses(const QString& systemUrl, const QString& databaseUrl) {
    PublishRelease(installed_.system + "-new", installed_.database + "-new", systemUrl,
                   databaseUrl);
  }
  QString Staged(const QString& name) const { return app_->FilePath(kUpgradeFolder + "/" + name); }
  void ExpectNothingStaged(const QString& name) const {
    EXPECT_FALSE(QFile::exists(Staged(name)));
    EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged(name))));
    EXPECT_FALSE(QFile::exists(Staged(name) + ".part"));
  }
};

TEST_F(UpdateDownloadTest, CompleteDownloadStagesTheSelectedArchives) {
  struct Case {
    int system;
    int database;
  };
  for (const Case& c : {Case{1, 0}, Case{1, 1}, Case{0, 1}}) {
    SCOPED_TRACE(QStringLiteral("%1%2").arg(c.system).arg(c.database).toStdString());
    app_ = std::make_unique<AppFolderFixture>();
    UpdateSession& s = StartWithUpdate(c.system, c.database);
    const DownloadOutcome outcome = s.Download();
    EXPECT_EQ(outcome.end, End::kStaged) << reporter_.Joined();
    EXPECT_TRUE(told().empty()) << reporter_.Joined();
    EXPECT_EQ(outcome.systemFetched, c.system == 1);
    EXPECT_EQ(outcome.databaseTried, c.database == 1);
    EXPECT_EQ(s.downloadState(), State::kStaged);
    EXPECT_EQ(ReadAll(Staged(kSystemArchiveName)),
              c.system ? QByteArray::fromStdString(systemArchive_) : "<missing>");
    EXPECT_EQ(ReadAll(Staged(kDatabaseArchiveName)),
              c.database ? QByteArray::fromStdString(databaseArchive_) : "<missing>");
    // Each archive fetched whole is marked ready for the starter.
    EXPECT_EQ(
        ReadyMarkMatches(Staged(kSystemArchiveName), QByteArray::fromStdString(systemArchive_)),
        c.system == 1);
    EXPECT_EQ(
        ReadyMarkMatches(Staged(kDatabaseArchiveName), QByteArray::fromStdString(databaseArchive_)),
        c.database == 1);
    const qint64 last = c.database ? databaseArchive_.size() : systemArchive_.size();
    EXPECT_EQ(s.lastTransferSize(), last);
    EXPECT_EQ(reporter_.lastSize, last);
    ASSERT_FALSE(reporter_.progress.empty());
    EXPECT_EQ(reporter_.progress.back(), 100);
    s.EndForInstall();
    EXPECT_FALSE(app_->Exists(kStartMarkerFile));
  }
}

// The size that counts is the one the signed manifest names, not the one a response announces:
// an archive sent without Content-Length (chunked) is staged.
TEST_F(UpdateDownloadTest, ArchiveSentWithoutItsLengthIsStaged) {
  announceSizes_ = false;
  UpdateSession& s = StartWithUpdate(1, 1);
  EXPECT_EQ(s.Download().end, End::kStaged) << reporter_.Joined();
  EXPECT_TRUE(told().empty()) << reporter_.Joined();
  EXPECT_TRUE(
      ReadyMarkMatches(Staged(kSystemArchiveName), QByteArray::fromStdString(systemArchive_)));
  EXPECT_TRUE(
      ReadyMarkMatches(Staged(kDatabaseArchiveName), QByteArray::fromStdString(databaseArchive_)));
}

TEST_F(UpdateDownloadTest, NothingSelectedIsIncomplete) {
  UpdateSession& s = StartWithUpdate(0, 0);
  const size_t before = server_.paths().size();
  EXPECT_EQ(s.Download().end, End::kIncomplete);
  EXPECT_EQ(server_.paths().size(), before + 2);  // the manifest and its signature only
  EXPECT_TRUE(told().empty()) << reporter_.Joined();
  EXPECT_EQ(s.downloadState(), State::kDownloading);
  EXPECT_TRUE(app_->Exists(kStartMarkerFile));
}

TEST_F(UpdateDownloadTest, EmptyArchiveIsNeverComplete) {
  systemArchive_.clear();
  UpdateSession& s = StartWithUpdate(1, 0);
  EXPECT_EQ(s.Download().end, End::kStopped);
  ASSERT_EQ(told().size(), 2u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 網路連線品質差"));
  EXPECT_EQ(told()[0].text, QDir::toNativeSeparators(Staged(kSystemArchiveName)) +
                                QStringLiteral(" 下載失敗!  稍後自動再重下載一次..."));
  EXPECT_EQ(
      told()[1].text,
      QStringLiteral("          (((網路連線品質太差...下載失敗!! 請過一段時間再下載更新!!)))    "));
  ExpectNothingStaged(kSystemArchiveName);
  EXPECT_EQ(s.downloadState(), State::kNone);
}

TEST_F(UpdateDownloadTest, FailedDatabaseArchiveTakesTheSystemArchiveAlong) {
  UpdateSession& s = StartWithUpdate(1, 1);
  archiveBodies_["none-such-db"] = QByteArray::fromStdString(databaseArchive_);
  PublishAddresses(ArchiveUrl("sys"), server_.url("/none-such-db"));
  const DownloadOutcome outcome = s.Download();
  EXPECT_EQ(outcome.end, End::kIncomplete);
  EXPECT_TRUE(outcome.systemFetched);
  EXPECT_TRUE(outcome.databaseTried);
  ASSERT_EQ(told().size(), 2u) << reporter_.Joined();
  EXPECT_EQ(
      told()[1].text,
      QStringLiteral("          (((網路連線品質太差...下載失敗!! 請過一段時間再下載更新!!)))    "));
  ExpectNothingStaged(kSystemArchiveName);
  ExpectNothingStaged(kDatabaseArchiveName);
  EXPECT_EQ(s.downloadState(), State::kDownloading);
}

TEST_F(UpdateDownloadTest, NetworkGoneBeforeThePressStagesNothing) {
  UpdateSession& s = StartWithUpdate(1, 1);
  const QByteArray manifest = ReadAll(app_->FilePath(kLatestManifestFile));
  s.SetBaseAddress(QStringLiteral("http://127.0.0.1:%1/RavlekSystem_Release/last_release_XML")
                       .arg(testing::UnusedPort()));
  EXPECT_EQ(s.Download().end, End::kStopped);
  ASSERT_EQ(told().size(), 1u);
  EXPECT_EQ(told()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 網路錯誤訊息"));
  EXPECT_EQ(told()[0].text, QStringLiteral("          (((網路未連線...下載失敗!!)))    "));
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), manifest);
  ExpectNothingStaged(kSystemArchiveName);
  EXPECT_EQ(s.downloadState(), State::kNone);
}

// A program that is ending, or the user, breaks the transfer off: nothing to tell, nothing
// marked ready.
TEST_F(UpdateDownloadTest, AnEndingProgramOrACancelBreaksTheDownloadOffSilently) {
  const auto served = std::make_shared<std::atomic<int>>(0);
  const auto archive = std::make_shared<const std::string>(systemArchive_);
  server_.http().Get("/drip/archive.zip",
                     [this, served, archive](const httplib::Request&, httplib::Response& res) {
                       res.set_content_provider(
                           archive->size(), "application/zip",
                           [this, served, archive](size_t offset, size_t, httplib::DataSink& sink) {
                             if (server_.stopping()) return false;
                             std::this_thread::sleep_for(std::chrono::milliseconds(20));
                             sink.write(archive->data() + offset, 1);
                             ++*served;
                             return true;
                           });
                     });
  for (const bool cancel : {false, true}) {
    SCOPED_TRACE(cancel ? "cancelled" : "program ending");
    app_ = std::make_unique<AppFolderFixture>();
    UpdateSession& s = StartWithUpdate(1, 0);
    archiveBodies_["archive.zip"] = QByteArray::fromStdString(systemArchive_);
    PublishAddresses(server_.url("/drip/archive.zip"), ArchiveUrl("db"));
    const int before = *served;
    std::thread ender([served, before, cancel, &s] {
      while (*served < before + 3) std::this_thread::sleep_for(std::chrono::milliseconds(5));
      if (cancel) {
        s.Cancel();
      } else {
        RequestProgramEnd();
      }
    });
    const DownloadOutcome outcome = s.Download();
    ender.join();
    ResetProgramEnd();
    EXPECT_EQ(outcome.end, End::kCancelled);
    EXPECT_TRUE(told().empty()) << reporter_.Joined();
    ExpectNothingStaged(kSystemArchiveName);
    EXPECT_TRUE(app_->Exists(kStartMarkerFile));
  }
}

TEST_F(UpdateDownloadTest, MissingArchiveIsTriedTwiceThenToldAsAFailedDownload) {
  UpdateSession& s = StartWithUpdate(1, 0);
  archiveBodies_["none-such"] = "whatever the manifest names";
  PublishAddresses(server_.url("/archives/none-such"), ArchiveUrl("db"));
  EXPECT_EQ(s.Download().end, End::kStopped);
  ASSERT_EQ(told().size(), 2u) << reporter_.Joined();
  EXPECT_EQ(told()[0].caption, texts::kPoorNetworkCaption);
  EXPECT_EQ(told()[1].text, texts::kDownloadFailedText);
  ExpectNothingStaged(kSystemArchiveName);
  EXPECT_EQ(s.downloadState(), State::kNone);
}

// A signature that does not arrive is a network failure, not a bad signature.
TEST_F(UpdateDownloadTest, ArchiveSignatureThatDoesNotArriveIsANetworkFailure) {
  server_.http().Get("/stalled-sig/sys.zip",
                     [this](const httplib::Request&, httplib::Response& res) {
                       res.set_content(systemArchive_, "application/zip");
                     });
  server_.http().Get("/stalled-sig/sys.zip.sig",
                     [this](const httplib::Request&, httplib::Response& res) {
                       for (int i = 0; i < 40 && !server_.stopping(); ++i)
                         std::this_thread::sleep_for(std::chrono::milliseconds(50));
                       res.set_content("late", "text/plain");
                     });
  settings_.timeouts = {2000, 300, 1, 1};
  UpdateSession& s = StartWithUpdate(1, 0);
  archiveBodies_["sys.zip"] = QByteArray::fromStdString(systemArchive_);
  PublishAddresses(server_.url("/stalled-sig/sys.zip"), ArchiveUrl("db"));
  EXPECT_EQ(s.Download().end, End::kStopped);
  ASSERT_FALSE(told().empty());
  EXPECT_EQ(told().back().text, texts::kDownloadFailedText) << reporter_.Joined();
  EXPECT_FALSE(reporter_.Texts().contains(texts::kSignatureRefusedText));
  ExpectNothingStaged(kSystemArchiveName);
}

TEST_F(UpdateDownloadTest, ArchiveCutShortIsNeverInstalledAndTheUserIsToldAtTheNextStart) {
  // A valid ZIP that arrives 1,000 bytes short of the size its response announced.
  QTemporaryDir scratch;  // not under the server's mounted folder, which would serve it whole
  const QString zip = scratch.filePath("short.zip");
  ASSERT_TRUE(testing::WriteZip(zip, {{"ReleaseNote.txt", "new notes"}}));
  const std::string body = ReadAll(zip).toStdString();
  server_.http().Get("/short.zip", [body](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(body.size() + 1000, "application/zip",
                             [body](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset > 0) return false;
                               sink.write(body.data(), body.size());
                               return true;
                             });
  });
  UpdateSession& s = StartWithUpdate(1, 0);
  archiveBodies_["short.zip"] = QByteArray::fromStdString(body);
  PublishAddresses(server_.url("/short.zip"), ArchiveUrl("db"));
  const QByteArray notes = ReadAll(app_->FilePath("ReleaseNote.txt"));
  EXPECT_EQ(s.Download().end, End::kStopped);
  // Its response announces more than the manifest names: refused before the transfer ends.
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].text, texts::kArchiveMismatchText.arg(kSystemArchiveName));
  ExpectNothingStaged(kSystemArchiveName);
  session_.reset();

  // What an earlier version left staged of such a transfer: the starter refuses the unverified
  // archive and sets it aside.
  app_->WriteFile(kSystemArchiveFile, QByteArray::fromStdString(body));
  const StarterReport report = InstallStagedArchives(app_->Path());
  EXPECT_TRUE(report.installed.isEmpty());
  EXPECT_EQ(ReadAll(app_->FilePath("ReleaseNote.txt")), notes);
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));

  PublishRelease(installed_.system, installed_.database);
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    Start();
    // Told once, at the first start after the refusal.
    EXPECT_EQ(reporter_.Texts().contains(texts::kUpdateRefusedText), start == 0)
        << reporter_.Joined();
  }
}

TEST_F(UpdateDownloadTest, ForgedArchiveIsNeverStagedOrMarkedReady) {
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    signArchives_ = [forgery](const QByteArray& bytes) { return ForgedSignature(bytes, forgery); };
    UpdateSession& s = StartWithUpdate(1, 0);
    EXPECT_EQ(s.Download().end, End::kStopped);
    ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
    EXPECT_EQ(told()[0].text, texts::kSignatureRefusedText);
    EXPECT_NE(s.downloadState(), State::kStaged);
    ExpectNothingStaged(kSystemArchiveName);
  }
}

TEST_F(UpdateDownloadTest, ForgedDatabaseArchiveTakesTheSignedSystemArchiveAlong) {
  signArchives_ = [this](const QByteArray& bytes) {
    return bytes == QByteArray::fromStdString(databaseArchive_)
               ? ForgedSignature(bytes, Forgery::kOtherKey)
               : test::TestSignature(bytes);
  };
  UpdateSession& s = StartWithUpdate(1, 1);
  EXPECT_EQ(s.Download().end, End::kIncomplete);
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].text, texts::kSignatureRefusedText);
  for (const QString& name : {kSystemArchiveName, kDatabaseArchiveName}) {
    SCOPED_TRACE(name.toStdString());
    ExpectNothingStaged(name);
  }
}

TEST_F(UpdateDownloadTest, ForgedManifestAtThePressStagesNothing) {
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    UpdateSession& s = StartWithUpdate(1, 1);
    const QByteArray manifest = ReadAll(app_->FilePath(kLatestManifestFile));
    const QByteArray forged = LastVersion("9", "9", ArchiveUrl("sys"), ArchiveUrl("db"));
    PublishSigned("LastVersion.xml", forged, ForgedSignature(forged, forgery));
    const size_t before = server_.paths().size();
    EXPECT_EQ(s.Download().end, End::kStopped);
    ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
    EXPECT_EQ(told()[0].text, QStringLiteral("LastVersion.xml 的簽章驗證失敗，沒有使用。"));
    EXPECT_EQ(server_.paths().size(), before + 2);  // no archive asked for
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), manifest);
    ExpectNothingStaged(kSystemArchiveName);
  }
}

// The press fetches only what the manifest verified at the press names, never the addresses the
// start-up saw.
TEST_F(UpdateDownloadTest, ThePressUsesOnlyTheManifestItVerified) {
  UpdateSession& s = StartWithUpdate(1, 0);
  server_.http().Get("/moved/sys.zip", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(systemArchive_, "application/zip");
  });
  server_.http().Get("/moved/sys.zip.sig", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(test::TestSignature(QByteArray::fromStdString(systemArchive_)).toStdString(),
                    "text/plain");
  });
  PublishAddresses(server_.url("/moved/sys.zip"), ArchiveUrl("db"));
  const size_t before = server_.paths().size();
  EXPECT_EQ(s.Download().end, End::kStaged) << reporter_.Joined();
  const std::vector<std::string> all = server_.paths();
  const std::vector<std::string> paths(all.begin() + static_cast<std::ptrdiff_t>(before),
                                       all.end());
  EXPECT_NE(std::find(paths.begin(), paths.end(), "/moved/sys.zip"), paths.end());
  EXPECT_EQ(std::find(paths.begin(), paths.end(), "/archives/sys.zip"), paths.end());
  EXPECT_EQ(s.announcement().latest.systemUrl, server_.url("/moved/sys.zip"));
}

// Signed archives that the manifest of the press does not name with their SHA-256 and size are
// never staged: another signed archive in the system archive's place, a body longer than named
// (cut off there), or a manifest that names no hash.
TEST_F(UpdateDownloadTest, OnlyTheArchiveTheManifestNamesIsStaged) {
  struct Case {
    const char* label;
    std::function<void()> serve;
  };
  const std::vector<Case> cases = {
      {"the database archive as the system archive", [this] { systemArchive_ = databaseArchive_; }},
      {"a longer body", [this] { systemArchive_ += "appended"; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    app_ = std::make_unique<AppFolderFixture>();
    systemArchive_ = std::string(300000, 's');
    UpdateSession& s = StartWithUpdate(1, 0);
    c.serve();  // after the manifest named the archive
    EXPECT_EQ(s.Download().end, End::kStopped);
    ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
    EXPECT_EQ(told()[0].text, texts::kArchiveMismatchText.arg(kSystemArchiveName));
    ExpectNothingStaged(kSystemArchiveName);
  }
  // A manifest that names no hash: nothing is fetched.
  app_ = std::make_unique<AppFolderFixture>();
  systemArchive_ = std::string(300000, 's');
  UpdateSession& s = StartWithUpdate(1, 0);
  const QByteArray unbound =
      test::StampForTest(LastVersion(installed_.system + "-new", installed_.database + "-new",
                                     ArchiveUrl("sys"), ArchiveUrl("db")),
                         "LastVersion.xml", 1);
  PublishSigned("LastVersion.xml", unbound, test::TestSignature(unbound));
  const size_t before = server_.paths().size();
  EXPECT_EQ(s.Download().end, End::kStopped);
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_EQ(told()[0].text, texts::kArchiveUnboundText.arg(kSystemArchiveName));
  EXPECT_EQ(server_.paths().size(), before + 2);  // the manifest and its signature only
}

// An older release replayed at the press is refused with words, and nothing is fetched.
TEST_F(UpdateDownloadTest, RollbackAtThePressIsRefused) {
  sequence_ = 7;
  UpdateSession& s = StartWithUpdate(1, 0);
  sequence_ = 6;
  PublishAddresses(ArchiveUrl("sys"), ArchiveUrl("db"));
  const size_t before = server_.paths().size();
  EXPECT_EQ(s.Download().end, End::kStopped);
  ASSERT_EQ(told().size(), 1u) << reporter_.Joined();
  EXPECT_TRUE(told()[0].text.contains(QStringLiteral("版本序號 6 比已接受的序號 7 舊")))
      << told()[0].text.toStdString();
  EXPECT_EQ(server_.paths().size(), before + 2);
  ExpectNothingStaged(kSystemArchiveName);
}

}  // namespace
}  // namespace ravlek
