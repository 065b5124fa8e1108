// The start-up version check, the update download and the staged starter in the real window
// (offscreen), against a release server on 127.0.0.1.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <thread>

#include "app/window/ostrel.h"
#include "release/download.h"
#include "release/download_status.h"
#include "release/manifest.h"
#include "release/manifest_binding.h"
#include "release/release_files.h"
#include "release/release_notes.h"
#include "release/release_signature.h"
#include "release/release_texts.h"
#include "release/staged_archive.h"
#include "release/version_check.h"
#include "release/window/release_state.h"
#include "starter.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/local_server.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/test_release_key.h"
#include "tests/support/window/modal_box_dismisser.h"
#include "tests/support/window/own_release_server.h"
#include "tests/support/zip_writer.h"

namespace ravlek {
namespace {

using test::AppFolderFixture;
using test::CurrentDirGuard;
using test::ModalBoxDismisser;

const QString kCrLf = QStringLiteral("\r\n");

QByteArray LastVersion(const QString& system, const QString& database, const QString& systemUrl,
                       const QString& databaseUrl) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ravlek>\n  <release id=\"R\">"
             "<sys_version>%1</sys_version><sys_download_url>%3</sys_download_url>"
             "<sys_notes>sn</sys_notes><db_version>%2</db_version>"
             "<db_download_url>%4</db_download_url><db_notes>dn</db_notes></release>\n"
             "</Ravlek>\n")
      .arg(system, database, systemUrl, databaseUrl)
      .toUtf8();
}

QByteArray Information(const QString& html, const QString& images) {
  return QStringLiteral(
             "<Ravlek><info><HTML_release_id>%1</HTML_release_id>"
             "<HTML_images_release_id>%2</HTML_images_release_id></info></Ravlek>")
      .arg(html, images)
      .toUtf8();
}

// How a forged release file comes with its signature.
enum class Forgery { kTampered, kMissingSignature, kOtherKey };

const char* ForgeryName(Forgery forgery) {
  switch (forgery) {
    case Forgery::kTampered:
      return "tampered";
    case Forgery::kMissingSignature:
      return "missing .sig";
    case Forgery::kOtherKey:
      return "other key";
  }
  return "";
}

// The .sig text a forger would serve beside `bytes`; empty: no .sig at all.
QByteArray ForgedSignature(const QByteArray& bytes, Forgery forgery) {
  static const ReleaseKeyPair otherKey = MakeReleaseKeyPair();
  switch (forgery) {
    case Forgery::kTampered:  // the publisher signed the file before one byte was changed
      return test::TestSignature(QByteArray(bytes).append('\n'));
    case Forgery::kMissingSignature:
      return {};
    case Forgery::kOtherKey:
      return SignReleaseFile(bytes, otherKey.privatePem);
  }
  return {};
}

const std::vector<Forgery> kForgeries = {Forgery::kTampered, Forgery::kMissingSignature,
                                         Forgery::kOtherKey};

bool Shown(QWidget* widget) {
  return !widget->isHidden();
}

// The controls that an announced update shows.
std::vector<QWidget*> UpdateControls(TOstrel& w) {
  return {w.DL_TntButton, w.DL_NEXTTIME_TntButton, w.TntLabel3,
          w.TntLabel4,    w.upgrade_ver_TntMemo,   w.DL_upgrade_TntProgressBar};
}

class ReleaseWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousHome_ = qgetenv("HOME");
    qputenv("HOME", home_.path().toLocal8Bit());
    server_.http().set_mount_point("/", serverRoot_.path().toStdString());
    // The upgrade archives, with or without their size announced.
    server_.http().Get(
        R"(/archives/(\w+)\.zip)", [this](const httplib::Request& req, httplib::Response& res) {
          const std::string body = req.matches[1] == "sys" ? systemArchive_ : databaseArchive_;
          if (announceSizes_) {
            res.set_content(body, "application/zip");
          } else {
            res.set_chunked_content_provider("application/zip",
                                             [body](size_t, httplib::DataSink& sink) {
                                               sink.write(body.data(), body.size());
                                               sink.done();
                                               return true;
                                             });
          }
        });
    // The archives' signatures, by the test key unless a test forges them.
    server_.http().Get(R"(/archives/(\w+)\.zip\.sig)", [this](const httplib::Request& req,
                                                              httplib::Response& res) {
      const std::string body = req.matches[1] == "sys" ? systemArchive_ : databaseArchive_;
      const QByteArray signature = signArchives_(QByteArray::fromStdString(body));
      if (signature.isEmpty()) {
        res.status = 404;
      } else {
        res.set_content(signature.toStdString(), "text/plain");
      }
    });
    server_.Start();
    settings_ = test::TestReleaseSettings(server_.url(QString()));
    app_ = std::make_unique<AppFolderFixture>();
    installed_ = InstalledVersionsOf(ReadReleases(app_->FilePath(kInstalledManifestFile)));
    packages_ = ReadPackageIds(app_->FilePath(kInstalledPackagesFile));
  }
  void TearDown() override {
    window_.reset();
    guard_.reset();
    qputenv("HOME", previousHome_);
  }

  // Publishes a file as the publisher does: the manifests stamped for their roles with sequence_
  // and their archives' facts (again whenever a package changes), everything signed.
  void Publish(const QString& name, const QByteArray& bytes,
               const QString& folder = QStringLiteral("last_release_XML")) {
    if (name == "LastVersion.xml" || name == "information.xml") {
      unstamped_[folder + '/' + name] = bytes;
    } else {
      Serve(name, bytes, test::TestSignature(bytes), folder);
    }
    Restamp(folder);
  }
  void Restamp(const QString& folder) {
    for (const QString& name :
         {QStringLiteral("LastVersion.xml"), QStringLiteral("information.xml")}) {
      const auto raw = unstamped_.find(folder + '/' + name);
      if (raw == unstamped_.end()) continue;
      const QByteArray stamped = test::StampForTest(
          raw->second, name, sequence_,
          [this, folder](const QString& base) { return FactsOf(folder, base); }, expires_);
      Serve(name, stamped, test::TestSignature(stamped), folder);
    }
  }
  std::optional<ArchiveFacts> FactsOf(const QString& folder, const QString& base) const {
    if (const auto known = archiveBodies_.find(base); known != archiveBodies_.end())
      return test::FactsOfBytes(known->second);
    if (base == "sys.zip") return test::FactsOfBytes(QByteArray::fromStdString(systemArchive_));
    if (base == "db.zip") return test::FactsOfBytes(QByteArray::fromStdString(databaseArchive_));
    const QString path =
        serverRoot_.filePath(QStringLiteral("RavlekSystem_Release/%1/%2").arg(folder, base));
    if (QFileInfo(path).isFile()) return FactsOfFile(path);
    return std::nullopt;
  }
  // Serves `bytes` with the given .sig text beside them, or without a .sig when it is empty.
  void PublishSigned(const QString& name, const QByteArray& bytes, const QByteArray& sig,
                     const QString& folder = QStringLiteral("last_release_XML")) {
    unstamped_.erase(folder + '/' + name);
    Serve(name, bytes, sig, folder);
  }
  QByteArray Served(const QString& name,
                    const QString& folder = QStringLiteral("last_release_XML")) const {
    return ReadAll(
        serverRoot_.filePath(QStringLiteral("RavlekSystem_Release/%1/%2").arg(folder, name)));
  }
  void Serve(const QString& name, const QByteArray& bytes, const QByteArray& sig,
             const QString& folder) {
    const QString path =
        serverRoot_.filePath(QStringLiteral("RavlekSystem_Release/%1/%2").arg(folder, name));
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QFile::remove(path + ".sig");
    if (sig.isEmpty()) return;
    QFile signature(path + ".sig");
    ASSERT_TRUE(signature.open(QIODevice::WriteOnly));
    signature.write(sig);
  }

  // A manifest fetched at an earlier start, kept with its signature as the program keeps it.
  void KeepManifest(const QByteArray& bytes) {
    app_->WriteFile(kLatestManifestFile, bytes);
    app_->WriteFile(kLatestManifestFile + ".sig", test::TestSignature(bytes));
  }

  // The server announces the installed release, or other versions when given.
  void PublishRelease(const QString& system, const QString& database,
                      const QString& systemUrl = QStringLiteral("無更新"),
                      const QString& databaseUrl = QStringLiteral("無更新")) {
    Publish("LastVersion.xml", LastVersion(system, database, systemUrl, databaseUrl));
    Publish("information.xml", Information(packages_.html, packages_.images));
  }
  QString ArchiveUrl(const char* which) const {
    return server_.url(QStringLiteral("/archives/%1.zip").arg(QLatin1String(which)));
  }
  void PublishUpdate() {
    PublishRelease(installed_.system + "-new", installed_.database + "-new", ArchiveUrl("sys"),
                   ArchiveUrl("db"));
  }

  // The window is built here, not through the window fixture (window_in_app_folder.h): these
  // tests start it again and again in one folder against a release server of their own, and look
  // at what each start-up fetched and showed before the window is shown.
  TOstrel& Start() {
    window_.reset();
    guard_.reset();  // the previous folder comes back before the next one is entered
    guard_ = std::make_unique<CurrentDirGuard>(app_->Path());
    window_ = std::make_unique<TOstrel>(settings_);
    EnsureReleaseState(window_->releaseState).endProgram = [this] { ++endRequests_; };
    return *window_;
  }

  QTemporaryDir home_;
  QTemporaryDir serverRoot_;
  QByteArray previousHome_;
  testing::LocalServer server_;
  std::unique_ptr<AppFolderFixture> app_;
  InstalledVersions installed_;
  PackageIds packages_;
  std::unique_ptr<CurrentDirGuard> guard_;
  std::unique_ptr<TOstrel> window_;
  ReleaseSettings settings_;
  qint64 sequence_ = 1;                          // the release sequence the publisher stamps
  QDateTime expires_;                            // the expiry stamped; invalid: a year ahead
  std::map<QString, QByteArray> unstamped_;      // the manifests as written, by folder/name
  std::map<QString, QByteArray> archiveBodies_;  // archives served elsewhere, by base name
  int endRequests_ = 0;
  bool announceSizes_ = true;
  std::function<QByteArray(const QByteArray&)> signArchives_ = test::TestSignature;
  std::string systemArchive_ = std::string(300000, 's');
  std::string databaseArchive_ = std::string(2000, 'd');
};

// ---- start-up

TEST_F(ReleaseWindowTest, NoUpdateShowsTheReleaseNotes) {
  PublishRelease(installed_.system, installed_.database);
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(w.GLOBAL_Control_page_ActivePage, QStringLiteral("TntTabSheet1"));
  EXPECT_EQ(w.TntTabControl1->tabText(w.TntTabControl1->indexOf(w.TntTabSheet4)),
            QStringLiteral("版本資訊"));
  EXPECT_TRUE(Shown(w.ReleaseNote_TntMemo));
  EXPECT_TRUE(w.ReleaseNote_TntMemo->isEnabled());
  EXPECT_EQ(w.ReleaseNote_TntMemo->toPlainText(),
            ReadReleaseNotes(app_->FilePath("ReleaseNote.txt")).join(u'\n'));
  for (QWidget* hidden : UpdateControls(w))
    EXPECT_FALSE(Shown(hidden)) << hidden->objectName().toStdString();
  EXPECT_EQ(w.GLOBAL_sys_DL, 0);
  EXPECT_EQ(w.GLOBAL_db_DL, 0);
  EXPECT_EQ(w.system_ver->text(), installed_.system);
  EXPECT_EQ(w.database_ver->text(), installed_.database);
  EXPECT_TRUE(w.upgrade_ver_TntMemo->toPlainText().startsWith(
      "\n更新版 Release: R\n系統版號 sys_version: "));
  // Only the two manifests were fetched: the packages are the installed ones.
  EXPECT_EQ(server_.paths(), (std::vector<std::string>{
                                 "/RavlekSystem_Release/last_release_XML/LastVersion.xml",
                                 "/RavlekSystem_Release/last_release_XML/LastVersion.xml.sig",
                                 "/RavlekSystem_Release/last_release_XML/information.xml",
                                 "/RavlekSystem_Release/last_release_XML/information.xml.sig"}));
}

// An installed version as long as a manifest may give it is shown whole, not cut at the label's
// designed width.
TEST_F(ReleaseWindowTest, LongInstalledVersionsAreShownWhole) {
  const QString system = QStringLiteral("1.0.0-demo-update") + QString(47, u'8');
  const QString database = QStringLiteral("1.0.0-demo-update");
  app_->WriteFile(kInstalledManifestFile, LastVersion(system, database, QStringLiteral("無更新"),
                                                      QStringLiteral("無更新")));
  PublishRelease(system, database);
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  for (QLabel* label : {w.system_ver, w.database_ver}) {
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()))
        << label->objectName().toStdString() << " " << label->text().toStdString();
  }
  EXPECT_EQ(w.system_ver->text(), system);
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

TEST_F(ReleaseWindowTest, AnAnnouncedUpdatePreparesTheVersionPage) {
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
    ModalBoxDismisser boxes;
    TOstrel& w = Start();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 進版 通知"));
    EXPECT_EQ(boxes.Boxes()[0].text,
              QStringLiteral("有新UPDATE 程式或資料庫Database  點選 [進版下載安裝] 分頁(TabPage) "
                             "可下載(download) 安裝"));
    EXPECT_EQ(w.GLOBAL_Control_page_ActivePage, QStringLiteral("TntTabSheet4"));
    EXPECT_EQ(w.TntTabControl1->tabText(w.TntTabControl1->indexOf(w.TntTabSheet4)),
              QStringLiteral("進版下載安裝"));
    EXPECT_EQ(
        w.TntLabel3->text(),
        QStringLiteral("有新UPDATE程式或資料庫Database 請按 [下載(download)安裝] 按鈕 進行更新 "));
    EXPECT_EQ(w.TntLabel4->text(),
              QStringLiteral("(下載到安裝完成,大約需3~10分鐘左右, 依網路下載速度而定...)"));
    for (QWidget* shown : UpdateControls(w))
      EXPECT_TRUE(Shown(shown)) << shown->objectName().toStdString();
    EXPECT_FALSE(Shown(w.ReleaseNote_TntMemo));
    EXPECT_EQ(w.GLOBAL_sys_DL, c.systemFlag);
    EXPECT_EQ(w.GLOBAL_db_DL, c.databaseFlag);
    EXPECT_EQ(w.GLOBAL_sys_DLURL, QString::fromUtf8(c.systemUrl));
    EXPECT_EQ(w.GLOBAL_db_DLURL, QString::fromUtf8(c.databaseUrl));
    window_.reset();
  }
}

TEST_F(ReleaseWindowTest, UnreachableServerFallsBackOnThePreviousManifest) {
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  const QByteArray previous =
      LastVersion(installed_.system + "-older", installed_.database, "http://h/s.zip", "無更新");
  KeepManifest(previous);
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(boxes.Boxes()[0].text,
            QStringLiteral("(((下載網站Server最新版本資訊失敗!!)))") + kCrLf +
                QStringLiteral("開啟程式前, 請保持網路連線.....  ") + kCrLf +
                QStringLiteral("系統會自動通知資料庫和程式更新, 及update最新訊息.") + kCrLf +
                QStringLiteral("(網路沒連線也可操作此系統, 但無最新訊息和訊息交流!)"));
  EXPECT_EQ(boxes.Boxes()[1].text,
            QStringLiteral("有新UPDATE 程式或資料庫Database  點選 [進版下載安裝] 分頁(TabPage) "
                           "可下載(download) 安裝"));
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestBackup)), previous);
  EXPECT_EQ(w.GLOBAL_sys_DL, 1);
}

TEST_F(ReleaseWindowTest, UnreachableServerWithoutManifestEndsTheStartUpAtTheList) {
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_TRUE(boxes.Boxes()[1].errorIcon);
  EXPECT_EQ(w.system_ver->text(), installed_.system);  // step 16 ran
  EXPECT_TRUE(w.upgrade_ver_TntMemo->toPlainText().isEmpty());
  EXPECT_FALSE(Shown(w.ReleaseNote_TntMemo));
  EXPECT_EQ(w.GLOBAL_Control_page_ActivePage, QStringLiteral("TntTabSheet1"));
}

TEST_F(ReleaseWindowTest, OversizedManifestIsAFailedDownloadAndKeepsTheBackup) {
  const QByteArray previous =
      LastVersion(installed_.system, installed_.database, "無更新", "無更新");
  app_->WriteFile(kLatestManifestFile, previous);
  QByteArray huge = LastVersion("9", "9", "無更新", "無更新");
  huge.insert(huge.indexOf("</sys_notes>"), QByteArray(2 * 1024 * 1024, 'n'));
  Publish("LastVersion.xml", huge);
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption,
            QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));  // the manifest was not fetched
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
  EXPECT_TRUE(Shown(w.ReleaseNote_TntMemo));
}

TEST_F(ReleaseWindowTest, LongVersionIsAMalformedManifest) {
  PublishRelease(QString(65, u'9'), installed_.database);
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
  EXPECT_TRUE(boxes.Boxes()[0].text.contains("64")) << boxes.Boxes()[0].text.toStdString();
  EXPECT_FALSE(Shown(w.DL_TntButton));
  EXPECT_TRUE(w.upgrade_ver_TntMemo->toPlainText().isEmpty());
}

TEST_F(ReleaseWindowTest, LongReleaseNotesAreCutInTheMemo) {
  QByteArray manifest = LastVersion("9", "9", "無更新", "無更新");
  manifest.insert(manifest.indexOf("</sys_notes>"), QByteArray(300 * 1024, 'n'));
  Publish("LastVersion.xml", manifest);
  Publish("information.xml", Information(packages_.html, packages_.images));
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  const QString memo = w.upgrade_ver_TntMemo->toPlainText();
  EXPECT_EQ(memo.size(),
            kMaxMemoNotes + 1 + QStringLiteral("（說明超過 256 KB，以下省略）").size());
  EXPECT_TRUE(memo.endsWith(u'\n' + QStringLiteral("（說明超過 256 KB，以下省略）")));
}

TEST_F(ReleaseWindowTest, ServerThatDripsBytesCannotHoldTheStartUp) {
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
  ModalBoxDismisser boxes;
  QElapsedTimer clock;
  clock.start();
  TOstrel& w = Start();
  EXPECT_LT(clock.elapsed(), 5000);
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
  EXPECT_TRUE(Shown(w.ReleaseNote_TntMemo));
}

TEST_F(ReleaseWindowTest, TestModeFetchesFromItsOwnFolderAfterANotice) {
  app_->WriteFile("FDConnectionDefs.ini",
                  "[Connect_RavlekDB]\nDriverID=SQLite\nDatabase=Ravlek.db\n\n"
                  "[Connect_RavlekXML]\nXMLpath=Last_release_XML\n");
  Publish("LastVersion.xml", LastVersion("9", "9", "無更新", "無更新"),
          QStringLiteral("Last_release_XML"));
  Publish("information.xml", Information(packages_.html, packages_.images),
          QStringLiteral("Last_release_XML"));
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 測試專用"));
  EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("測試測試.... get XML files from : ") +
                                       server_.url(QString()) +
                                       "/RavlekSystem_Release/Last_release_XML");
  EXPECT_EQ(boxes.Boxes()[1].text,
            QStringLiteral("有新UPDATE 程式或資料庫Database  點選 [進版下載安裝] 分頁(TabPage) "
                           "可下載(download) 安裝"));
  EXPECT_EQ(w.GLOBAL_HOST_XML_Path,
            server_.url(QString()) + "/RavlekSystem_Release/Last_release_XML");
}

TEST_F(ReleaseWindowTest, ChangedImagePackageIsUnpackedIntoTheImagesFolder) {
  PublishRelease(installed_.system, installed_.database);
  const QByteArray information = Information(packages_.html, packages_.images + "-2");
  Publish("information.xml", information);
  const QString zip = serverRoot_.filePath("images.zip");
  ASSERT_TRUE(testing::WriteZip(zip, {{"sub/pic.png", "picture"}}));
  Publish("HTML_images.zip", ReadAll(zip));
  ModalBoxDismisser boxes;
  Start();
  EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(ReadAll(home_.filePath("HAN_images/sub/pic.png")), "picture");
  EXPECT_EQ(ReadAll(app_->FilePath(kInstalledPackagesFile)), Served("information.xml"));
  EXPECT_TRUE(Served("information.xml").contains("<HTML_images_sha256>"));
  for (const std::string& path : server_.paths())
    EXPECT_EQ(path.find("HTML.zip"), std::string::npos);
}

TEST_F(ReleaseWindowTest, BrokenPagePackageKeepsTheInstalledManifest) {
  PublishRelease(installed_.system, installed_.database);
  Publish("information.xml", Information(packages_.html + "-2", packages_.images));
  Publish("HTML.zip", "this is no archive");
  const QByteArray before = ReadAll(app_->FilePath(kInstalledPackagesFile));
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
  EXPECT_EQ(ReadAll(app_->FilePath(kInstalledPackagesFile)), before);
  EXPECT_EQ(w.system_ver->text(), QStringLiteral("system_ver"));  // later steps did not run
}

// A release file whose signature is missing or does not verify is a failed download: nothing
// of it is read (no update announced, no package fetched or unpacked) and it never becomes the
// backup or the installed manifest.
TEST_F(ReleaseWindowTest, ForgedManifestFallsBackOnThePreviousOneUnread) {
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
      ModalBoxDismisser boxes;
      TOstrel& w = Start();
      ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
      EXPECT_EQ(boxes.Boxes()[0].caption,
                QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));  // the manifest was not fetched
      EXPECT_FALSE(Shown(w.DL_TntButton));
      EXPECT_EQ(w.GLOBAL_sys_DL, 0);
      EXPECT_FALSE(w.GLOBAL_sys_DLURL.contains("archives"));
      EXPECT_TRUE(Shown(w.ReleaseNote_TntMemo));
    }
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), previous);
    // information.xml is fetched only after a manifest that was accepted.
    const std::vector<std::string> paths = server_.paths();
    EXPECT_EQ(paths.size(), before + 2);
    // The next start does not take the forged manifest for its backup either.
    Publish("LastVersion.xml", previous);
    app_->WriteMarker();
    {
      ModalBoxDismisser boxes;
      Start();
      EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
    }
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestBackup)), previous);
    window_.reset();
  }
}

// A fresh installation has no manifest of an earlier start: a forged one is never read, never
// announces an update and never stays on disk, and one left unsigned by an earlier version (or a
// run killed while it waited for the signature) announces nothing with the server away.
TEST_F(ReleaseWindowTest, NoValidManifestNoUpdate) {
  const QByteArray forged = LastVersion("9", "9", ArchiveUrl("sys"), ArchiveUrl("db"));
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    Publish("information.xml", Information(packages_.html, packages_.images));
    PublishSigned("LastVersion.xml", forged, ForgedSignature(forged, forgery));
    const size_t before = server_.paths().size();
    ModalBoxDismisser boxes;
    TOstrel& w = Start();
    EXPECT_FALSE(Shown(w.DL_TntButton));
    EXPECT_EQ(w.GLOBAL_sys_DL, 0);
    EXPECT_FALSE(app_->Exists(kLatestManifestFile));
    EXPECT_FALSE(app_->Exists(kLatestManifestFile + ".part"));
    EXPECT_EQ(server_.paths().size(), before + 2);  // information.xml not asked for
    for (const QString& text : boxes.Texts())
      EXPECT_FALSE(text.contains(QStringLiteral("有新UPDATE"))) << text.toStdString();
    window_.reset();
  }
  app_ = std::make_unique<AppFolderFixture>();
  app_->WriteFile(kLatestManifestFile, forged);  // no signature kept beside it
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  EXPECT_FALSE(Shown(w.DL_TntButton));
  EXPECT_EQ(w.GLOBAL_sys_DL, 0);
  EXPECT_FALSE(w.GLOBAL_sys_DLURL.contains("archives"));
}

TEST_F(ReleaseWindowTest, AnUpdateDroppedForSpaceIsToldWithItsCauseOnce) {
  PublishRelease(installed_.system, installed_.database);
  app_->WriteFile(kNoSpaceNote, "Ravlek_sys_upgrade.zip: No space left on device");
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    app_->WriteMarker();
    ModalBoxDismisser boxes;
    Start();
    EXPECT_EQ(boxes.Texts().contains(texts::kUpdateNoSpaceText), start == 0)
        << boxes.Texts().join(" | ").toStdString();
    EXPECT_TRUE(texts::kUpdateNoSpaceText.startsWith(QStringLiteral("磁碟空間不足")));
  }
}

// ---- manifests that bind: role, release sequence, expiry, archives

// A file validly signed for one role, served in another, or an old-format manifest without a
// stamp, or an older release than one accepted: refused with the reason, nothing announced.
TEST_F(ReleaseWindowTest, ManifestOfAnotherRoleOrAnOlderReleaseIsRefusedWithWords) {
  sequence_ = 5;
  PublishRelease(installed_.system, installed_.database);
  {
    ModalBoxDismisser boxes;
    Start();
    EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  }
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
    app_->WriteMarker();
    ModalBoxDismisser boxes;
    TOstrel& w = Start();
    EXPECT_TRUE(boxes.Texts().contains(c.text)) << boxes.Texts().join(" | ").toStdString();
    EXPECT_FALSE(Shown(w.DL_TntButton));
    EXPECT_EQ(w.GLOBAL_sys_DL, 0);
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), before);
    EXPECT_EQ(ReadKeptSequence(app_->FilePath(kKeptSequenceFile)), 5);
  }
}

// A stale manifest is told once and used all the same.
TEST_F(ReleaseWindowTest, ExpiredManifestIsToldOnceNotBlocking) {
  expires_ = QDateTime(QDate(2020, 1, 31), QTime(0, 0), QTimeZone::utc());
  PublishUpdate();
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    app_->WriteMarker();
    ModalBoxDismisser boxes;
    TOstrel& w = Start();
    EXPECT_EQ(boxes.Texts().contains(texts::kManifestExpiredText.arg("2020-01-31")), start == 0)
        << boxes.Texts().join(" | ").toStdString();
    EXPECT_TRUE(Shown(w.DL_TntButton));  // the update is announced all the same
    EXPECT_EQ(w.GLOBAL_sys_DL, 1);
  }
}

// A resource package must be the one information.xml names: a signed package of another release
// (or one cut longer) ends the start-up before it is unpacked.
TEST_F(ReleaseWindowTest, PackageThatIsNotTheNamedOneIsNeverUnpacked) {
  PublishRelease(installed_.system, installed_.database);
  Publish("information.xml", Information(packages_.html + "-2", packages_.images));
  QTemporaryDir scratch;
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("named.zip"), {{"named.htm", "named"}}));
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("other.zip"), {{"other.htm", "other"}}));
  Publish("HTML.zip", ReadAll(scratch.filePath("named.zip")));  // information.xml names this one
  const QByteArray other = ReadAll(scratch.filePath("other.zip"));
  Serve("HTML.zip", other, test::TestSignature(other), "last_release_XML");  // signed, not named
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_TRUE(boxes.Boxes()[0].text.startsWith(texts::kArchiveMismatchText.arg("HTML.zip")))
      << boxes.Boxes()[0].text.toStdString();
  EXPECT_FALSE(app_->Exists("last_release_XML/other.htm"));
  EXPECT_FALSE(app_->Exists("last_release_XML/HTML.zip"));
  EXPECT_EQ(w.system_ver->text(), QStringLiteral("system_ver"));  // later steps did not run
}

struct ForgedPackageCase {
  const char* file;  // the forged one; the others are signed
  bool newPages;     // information.xml names a new page package
};

TEST_F(ReleaseWindowTest, ForgedPackageFileEndsTheStartUpBeforeItIsUsed) {
  QTemporaryDir scratch;
  ASSERT_TRUE(testing::WriteZip(scratch.filePath("HTML.zip"), {{"forged.htm", "forged page"}}));
  const QByteArray pages = ReadAll(scratch.filePath("HTML.zip"));
  const std::vector<ForgedPackageCase> cases = {{"information.xml", true}, {"HTML.zip", true}};
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
      {
        ModalBoxDismisser boxes;
        TOstrel& w = Start();
        ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
        EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
        EXPECT_TRUE(boxes.Boxes()[0].text.contains(QLatin1String(c.file)))
            << boxes.Boxes()[0].text.toStdString();
        EXPECT_EQ(w.system_ver->text(), QStringLiteral("system_ver"));  // later steps did not run
      }
      // A forged information.xml is not read: the page package it names is never fetched.
      const std::vector<std::string> paths = server_.paths();
      const bool pagesFetched =
          std::find(paths.begin() + before, paths.end(),
                    "/RavlekSystem_Release/last_release_XML/HTML.zip") != paths.end();
      EXPECT_EQ(pagesFetched, c.file == std::string("HTML.zip"));
      EXPECT_FALSE(app_->Exists("last_release_XML/forged.htm"));
      // The file in use was never replaced by the forged one.
      EXPECT_NE(ReadAll(app_->FilePath("last_release_XML/") + c.file), forged);
      EXPECT_FALSE(app_->Exists(QStringLiteral("last_release_XML/%1.part").arg(c.file)));
      EXPECT_EQ(ReadAll(app_->FilePath(kInstalledPackagesFile)), installedInformation);
      window_.reset();
    }
  }
}

TEST_F(ReleaseWindowTest, StagedStarterIsInstalledAtStartUpAndAtClose) {
  PublishRelease(installed_.system, installed_.database);
  app_->WriteFile("Ravlek_Start", "old starter");
  app_->WriteFile(kStagedStarterFile, "new starter");
  ModalBoxDismisser boxes;
  TOstrel& w = Start();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 訊息通知"));
  EXPECT_EQ(boxes.Boxes()[0].text,
            QStringLiteral("台語Ostrel輔助系統 Start_Ravlek.exe 有UPGRADE Version, ") + kCrLf +
                QStringLiteral(
                    "稍後關閉系統時自動安裝, 再點選Ravlek_Start.exe即可使用新Ravlek_Start.exe ") +
                kCrLf + QStringLiteral("(感謝使用!)"));
  EXPECT_EQ(ReadAll(app_->FilePath("Ravlek_Start")), "new starter");
  EXPECT_FALSE(app_->Exists(kStagedStarterFile));

  app_->WriteFile(kStagedStarterFile, "newer starter");
  w.close();
  EXPECT_EQ(ReadAll(app_->FilePath("Ravlek_Start")), "newer starter");
  EXPECT_FALSE(app_->Exists(kStagedStarterFile));
  EXPECT_EQ(boxes.Boxes().size(), 1);
}

// ---- the download button

class DownloadButtonTest : public ReleaseWindowTest {
 protected:
  TOstrel& StartWithUpdate(int systemFlag, int databaseFlag) {
    PublishUpdate();
    {
      ModalBoxDismisser startup;
      Start();
    }
    window_->GLOBAL_sys_DL = systemFlag;
    window_->GLOBAL_db_DL = databaseFlag;
    QObject::connect(window_->DL_upgrade_TntProgressBar, &QProgressBar::valueChanged,
                     [this](int value) { barValues_.push_back(value); });
    return *window_;
  }
  // The manifest of the press names these archive addresses.
  void PublishAddresses(const QString& systemUrl, const QString& databaseUrl) {
    PublishRelease(installed_.system + "-new", installed_.database + "-new", systemUrl,
                   databaseUrl);
  }
  QString Staged(const QString& name) const { return app_->FilePath(kUpgradeFolder + "/" + name); }
  std::vector<int> barValues_;
};

struct SelectionCase {
  int systemFlag;
  int databaseFlag;
  QString label5;
  QString label6;  // empty: TntLabel6 stays hidden
};

TEST_F(DownloadButtonTest, CompleteDownloadStagesTheArchivesAndEndsTheProgram) {
  const std::vector<SelectionCase> cases = {
      {1, 0,
       QStringLiteral(
           "Ravlek_sys_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_sys_ugrade.zip 完成"),
       QString()},
      {1, 1,
       QStringLiteral(
           "Ravlek_sys_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_sys_ugrade.zip 完成"),
       QStringLiteral(
           "Ravlek_db_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_db_ugrade.zip 完成")},
      {0, 1,
       QStringLiteral(
           "Ravlek_db_ugrade.zip 已下載到 {系統目錄}\\upgrade_zip\\Ravlek_db_ugrade.zip 完成"),
       QString()},
  };
  for (const SelectionCase& c : cases) {
    SCOPED_TRACE(QStringLiteral("%1%2").arg(c.systemFlag).arg(c.databaseFlag).toStdString());
    app_ = std::make_unique<AppFolderFixture>();
    barValues_.clear();
    endRequests_ = 0;
    TOstrel& w = StartWithUpdate(c.systemFlag, c.databaseFlag);
    ModalBoxDismisser boxes;
    w.DL_TntButton->click();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_EQ(
        boxes.Boxes()[0].text,
        QStringLiteral("系統下載完畢, 按[OK]後將自動關閉Ravlek.exe!  請關閉後再執行 Ravlek_Start "
                       "應用程式 來安裝更新系統 及 啟動 [台語Ostrel輔助系統 Ravlek.exe]"));
    EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("ok"));
    EXPECT_TRUE(w.releaseState->programEnding);
    EXPECT_EQ(endRequests_, 1);
    EXPECT_TRUE(w.isHidden());
    EXPECT_FALSE(app_->Exists("__sys_Ravlek.ini"));
    EXPECT_EQ(ReadAll(Staged(kSystemArchiveName)),
              c.systemFlag ? QByteArray::fromStdString(systemArchive_) : "<missing>");
    EXPECT_EQ(ReadAll(Staged(kDatabaseArchiveName)),
              c.databaseFlag ? QByteArray::fromStdString(databaseArchive_) : "<missing>");
    // Each archive fetched whole is marked ready for the starter.
    EXPECT_EQ(
        ReadyMarkMatches(Staged(kSystemArchiveName), QByteArray::fromStdString(systemArchive_)),
        c.systemFlag == 1);
    EXPECT_EQ(
        ReadyMarkMatches(Staged(kDatabaseArchiveName), QByteArray::fromStdString(databaseArchive_)),
        c.databaseFlag == 1);
    EXPECT_EQ(w.TntLabel5->text(), c.label5);
    EXPECT_TRUE(Shown(w.TntLabel5));
    EXPECT_EQ(Shown(w.TntLabel6), !c.label6.isEmpty());
    if (!c.label6.isEmpty()) {
      EXPECT_EQ(w.TntLabel6->text(), c.label6);
    }
    const qint64 last = c.databaseFlag ? databaseArchive_.size() : systemArchive_.size();
    EXPECT_EQ(w.GLOBAL_DL_size, last);
    EXPECT_EQ(w.DL_Status->text(), DownloadStatusCaption(last, 100));
    ASSERT_FALSE(barValues_.empty());
    EXPECT_EQ(barValues_.back(), 100);
    window_.reset();
  }
}

TEST_F(DownloadButtonTest, NothingSelectedReportsTheProblem) {
  TOstrel& w = StartWithUpdate(0, 0);
  const size_t before = server_.paths().size();
  ModalBoxDismisser boxes;
  ASSERT_TRUE(w.DL_TntButton->isEnabled());
  w.DL_TntButton->click();
  EXPECT_EQ(server_.paths().size(), before + 2);  // the manifest and its signature only
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(
      boxes.Boxes()[0].text,
      QStringLiteral(
          "更新系統 ZIP Files下載 出問題, 請確認網路連線後再 按[下載(download)安裝] 鈕重新下載"));
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("downloading"));
  EXPECT_FALSE(Shown(w.DL_NEXTTIME_TntButton));
  EXPECT_EQ(w.TntLabel5->text(), QStringLiteral("ERROR -> 更新系統 ZIP Files下載 出問題....."));
  EXPECT_EQ(w.TntLabel6->text(), QStringLiteral(" "));
  EXPECT_TRUE(w.DL_TntButton->isEnabled());
  EXPECT_TRUE(app_->Exists("__sys_Ravlek.ini"));
  EXPECT_EQ(endRequests_, 0);
}

TEST_F(DownloadButtonTest, ArchiveOfUnknownSizeIsFetchedTwiceThenDropped) {
  announceSizes_ = false;
  TOstrel& w = StartWithUpdate(1, 0);
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 網路連線品質差"));
  EXPECT_EQ(boxes.Boxes()[0].text, QDir::toNativeSeparators(Staged(kSystemArchiveName)) +
                                       QStringLiteral(" 下載失敗!  稍後自動再重下載一次..."));
  EXPECT_EQ(boxes.Boxes()[1].caption, QStringLiteral("台語Ostrel輔助系統 - 網路錯誤訊息"));
  EXPECT_EQ(
      boxes.Boxes()[1].text,
      QStringLiteral("          (((網路連線品質太差...下載失敗!! 請過一段時間再下載更新!!)))    "));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_EQ(w.GLOBAL_DL_size, 0);
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("none"));
  EXPECT_TRUE(w.DL_TntButton->isEnabled());
  EXPECT_TRUE(w.DL_NEXTTIME_TntButton->isEnabled());
  // Without a size the bar stays at 0 until each transfer's end.
  EXPECT_EQ(barValues_, (std::vector<int>{100, 0, 100}));

  // A second press, the server now announcing sizes, ends well.
  announceSizes_ = true;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 3) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(
      boxes.Boxes()[2].text,
      QStringLiteral("系統下載完畢, 按[OK]後將自動關閉Ravlek.exe!  請關閉後再執行 Ravlek_Start "
                     "應用程式 來安裝更新系統 及 啟動 [台語Ostrel輔助系統 Ravlek.exe]"));
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("ok"));
}

TEST_F(DownloadButtonTest, EmptyArchiveIsNeverComplete) {
  // Nothing announced a size yet in this run, so the kept size is 0 like the empty file's.
  systemArchive_.clear();
  TOstrel& w = StartWithUpdate(1, 0);
  ASSERT_EQ(w.GLOBAL_DL_size, 0);
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 網路連線品質差"));
  EXPECT_EQ(
      boxes.Boxes()[1].text,
      QStringLiteral("          (((網路連線品質太差...下載失敗!! 請過一段時間再下載更新!!)))    "));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("none"));
  EXPECT_TRUE(app_->Exists("__sys_Ravlek.ini"));
  EXPECT_EQ(endRequests_, 0);
}

TEST_F(DownloadButtonTest, FailedDatabaseArchiveTakesTheSystemArchiveAlong) {
  TOstrel& w = StartWithUpdate(1, 1);
  announceSizes_ = true;
  // The database archive comes without a size: it fails the check twice.
  server_.http().Get("/unsized-db", [this](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("application/zip", [this](size_t, httplib::DataSink& sink) {
      sink.write(databaseArchive_.data(), databaseArchive_.size());
      sink.done();
      return true;
    });
  });
  archiveBodies_["unsized-db"] = QByteArray::fromStdString(databaseArchive_);
  PublishAddresses(ArchiveUrl("sys"), server_.url("/unsized-db"));
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 3) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(
      boxes.Boxes()[1].text,
      QStringLiteral("          (((網路連線品質太差...下載失敗!! 請過一段時間再下載更新!!)))    "));
  EXPECT_EQ(
      boxes.Boxes()[2].text,
      QStringLiteral(
          "更新系統 ZIP Files下載 出問題, 請確認網路連線後再 按[下載(download)安裝] 鈕重新下載"));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_FALSE(QFile::exists(Staged(kDatabaseArchiveName)));
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("downloading"));
  EXPECT_EQ(w.TntLabel5->text(), QStringLiteral("ERROR -> 更新系統 ZIP Files下載 出問題....."));
}

TEST_F(DownloadButtonTest, NetworkGoneBeforeThePressStagesNothing) {
  TOstrel& w = StartWithUpdate(1, 1);
  const QByteArray manifest = ReadAll(app_->FilePath(kLatestManifestFile));
  w.GLOBAL_HOST_XML_Path =
      QStringLiteral("http://127.0.0.1:%1/RavlekSystem_Release/last_release_XML")
          .arg(testing::UnusedPort());
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_EQ(boxes.Boxes()[0].caption, QStringLiteral("台語Ostrel輔助系統 - 網路錯誤訊息"));
  EXPECT_EQ(boxes.Boxes()[0].text, QStringLiteral("          (((網路未連線...下載失敗!!)))    "));
  EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), manifest);
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("none"));
  EXPECT_TRUE(w.DL_TntButton->isEnabled());
}

// Closing the window during an update download breaks the transfer off: the handler ends without
// a box, nothing is marked ready, and the download does not hold the ending program. (The server
// drips the archive a byte at a time: without the close, only the client's low-speed limit would
// end the transfer, half a minute later, with an error box that waits for the user.)
TEST_F(DownloadButtonTest, ClosingTheWindowBreaksTheDownloadOffWithoutABox) {
  // Shared with the server's thread, which may serve a last byte after the test body has ended.
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
  TOstrel& w = StartWithUpdate(1, 0);
  // The manifest of the press names the dripping address, with the archive's hash and size.
  archiveBodies_["archive.zip"] = QByteArray::fromStdString(systemArchive_);
  PublishAddresses(server_.url("/drip/archive.zip"), ArchiveUrl("db"));
  w.show();
  ModalBoxDismisser boxes;
  // The user closes the window once the download is under way.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    if (*served >= 3) {
      closer.stop();
      w.close();
    }
  });
  closer.start(10);
  w.DL_TntButton->click();
  EXPECT_TRUE(w.isHidden());
  EXPECT_TRUE(boxes.Boxes().isEmpty()) << boxes.Texts().join(" | ").toStdString();
  EXPECT_NE(w.GLOBAL_DL_status, QStringLiteral("ok"));
  EXPECT_LT(FileSizeOf(Staged("Ravlek_sys_upgrade.zip")),
            static_cast<qint64>(systemArchive_.size()));
  EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged("Ravlek_sys_upgrade.zip"))));
  EXPECT_FALSE(app_->Exists("__sys_Ravlek.ini"));
}

TEST_F(DownloadButtonTest, TransferErrorIsReportedAndTheButtonsComeBack) {
  TOstrel& w = StartWithUpdate(1, 0);
  archiveBodies_["none-such"] = "whatever the manifest names";
  PublishAddresses(server_.url("/archives/none-such"), ArchiveUrl("db"));
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 1);
  EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
  EXPECT_TRUE(
      boxes.Boxes()[0].text.startsWith(QStringLiteral("更新檔 Ravlek_sys_upgrade.zip 下載失敗（")))
      << boxes.Boxes()[0].text.toStdString();
  EXPECT_TRUE(boxes.Boxes()[0].text.contains("404"));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName) + ".part"));
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("none"));
  EXPECT_TRUE(w.DL_TntButton->isEnabled());
}

TEST_F(DownloadButtonTest, ArchiveCutShortIsNeverInstalledAndTheUserIsToldAtTheNextStart) {
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
  TOstrel& w = StartWithUpdate(1, 0);
  archiveBodies_["short.zip"] = QByteArray::fromStdString(body);
  PublishAddresses(server_.url("/short.zip"), ArchiveUrl("db"));
  const QByteArray notes = ReadAll(app_->FilePath("ReleaseNote.txt"));
  {
    ModalBoxDismisser boxes;
    w.DL_TntButton->click();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_TRUE(boxes.Boxes()[0].errorIcon);  // the failed transfer, never 系統下載完畢
    EXPECT_NE(w.GLOBAL_DL_status, QStringLiteral("ok"));
  }
  EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged(kSystemArchiveName))));
  // Nothing of it is staged: it came under its temporary name, which is gone.
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName) + ".part"));
  window_.reset();

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
    app_->WriteMarker();
    ModalBoxDismisser boxes;
    Start();
    // Told once, at the first start after the refusal.
    EXPECT_EQ(
        boxes.Texts().contains(QStringLiteral(
            "上次下載的更新檔不完整或未通過驗證，沒有安裝，系統仍是原來的版本。請重新下載更新。")),
        start == 0)
        << boxes.Texts().join(" | ").toStdString();
  }
}

TEST_F(DownloadButtonTest, ForgedArchiveIsNeverStagedOrMarkedReady) {
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    endRequests_ = 0;
    signArchives_ = [forgery](const QByteArray& bytes) { return ForgedSignature(bytes, forgery); };
    TOstrel& w = StartWithUpdate(1, 0);
    ModalBoxDismisser boxes;
    w.DL_TntButton->click();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_EQ(boxes.Boxes()[0].text, texts::kSignatureRefusedText);  // never 系統下載完畢
    EXPECT_NE(w.GLOBAL_DL_status, QStringLiteral("ok"));
    EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
    EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged(kSystemArchiveName))));
    EXPECT_EQ(endRequests_, 0);
    EXPECT_TRUE(w.DL_TntButton->isEnabled());
    window_.reset();
  }
}

TEST_F(DownloadButtonTest, ForgedDatabaseArchiveTakesTheSignedSystemArchiveAlong) {
  signArchives_ = [this](const QByteArray& bytes) {
    return bytes == QByteArray::fromStdString(databaseArchive_)
               ? ForgedSignature(bytes, Forgery::kOtherKey)
               : test::TestSignature(bytes);
  };
  TOstrel& w = StartWithUpdate(1, 1);
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 2) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].text, texts::kSignatureRefusedText);
  EXPECT_NE(w.GLOBAL_DL_status, QStringLiteral("ok"));
  for (const QString& name : {kSystemArchiveName, kDatabaseArchiveName}) {
    SCOPED_TRACE(name.toStdString());
    EXPECT_FALSE(QFile::exists(Staged(name)));
    EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged(name))));
  }
  EXPECT_EQ(endRequests_, 0);
}

TEST_F(DownloadButtonTest, ForgedManifestAtThePressStagesNothing) {
  for (Forgery forgery : kForgeries) {
    SCOPED_TRACE(ForgeryName(forgery));
    app_ = std::make_unique<AppFolderFixture>();
    TOstrel& w = StartWithUpdate(1, 1);
    const QByteArray manifest = ReadAll(app_->FilePath(kLatestManifestFile));
    const QByteArray forged = LastVersion("9", "9", ArchiveUrl("sys"), ArchiveUrl("db"));
    PublishSigned("LastVersion.xml", forged, ForgedSignature(forged, forgery));
    const size_t before = server_.paths().size();
    ModalBoxDismisser boxes;
    w.DL_TntButton->click();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    EXPECT_EQ(boxes.Boxes()[0].text,
              QStringLiteral("LastVersion.xml 的簽章驗證失敗，沒有使用。"));  // the true cause
    EXPECT_EQ(server_.paths().size(), before + 2);  // no archive asked for
    EXPECT_EQ(ReadAll(app_->FilePath(kLatestManifestFile)), manifest);
    EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
    EXPECT_TRUE(w.DL_TntButton->isEnabled());
    window_.reset();
  }
}

// The press fetches only what the manifest verified at the press names, never the addresses the
// start-up saw.
TEST_F(DownloadButtonTest, ThePressUsesOnlyTheManifestItVerified) {
  TOstrel& w = StartWithUpdate(1, 0);
  server_.http().Get("/moved/sys.zip", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(systemArchive_, "application/zip");
  });
  server_.http().Get("/moved/sys.zip.sig", [this](const httplib::Request&, httplib::Response& res) {
    res.set_content(test::TestSignature(QByteArray::fromStdString(systemArchive_)).toStdString(),
                    "text/plain");
  });
  PublishAddresses(server_.url("/moved/sys.zip"), ArchiveUrl("db"));
  const size_t before = server_.paths().size();
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("ok")) << boxes.Texts().join(" | ").toStdString();
  const std::vector<std::string> all = server_.paths();
  const std::vector<std::string> paths(all.begin() + static_cast<std::ptrdiff_t>(before),
                                       all.end());
  EXPECT_NE(std::find(paths.begin(), paths.end(), "/moved/sys.zip"), paths.end());
  EXPECT_EQ(std::find(paths.begin(), paths.end(), "/archives/sys.zip"), paths.end());
  EXPECT_EQ(w.GLOBAL_sys_DLURL, server_.url("/moved/sys.zip"));
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName) + ".part"));
}

struct MixCase {
  const char* label;
  std::function<void()> serve;
  QString text;  // the box; empty: a failed transfer (error box)
};

// Signed archives that the manifest of the press does not name with their SHA-256 and size are
// never staged: another signed archive (the page package, the database archive) in the system
// archive's place, a body longer than named (cut off there), or a manifest that names no hash.
TEST_F(DownloadButtonTest, OnlyTheArchiveTheManifestNamesIsStaged) {
  const std::vector<MixCase> cases = {
      {"the database archive as the system archive", [this] { systemArchive_ = databaseArchive_; },
       texts::kArchiveMismatchText.arg(kSystemArchiveName)},
      {"a longer body", [this] { systemArchive_ += "appended"; }, QString()},
  };
  for (const MixCase& c : cases) {
    SCOPED_TRACE(c.label);
    app_ = std::make_unique<AppFolderFixture>();
    systemArchive_ = std::string(300000, 's');
    TOstrel& w = StartWithUpdate(1, 0);
    c.serve();  // after the manifest named the archive
    ModalBoxDismisser boxes;
    w.DL_TntButton->click();
    ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
    if (c.text.isEmpty()) {
      EXPECT_TRUE(boxes.Boxes()[0].errorIcon);
    } else {
      EXPECT_EQ(boxes.Boxes()[0].text, c.text);
    }
    EXPECT_NE(w.GLOBAL_DL_status, QStringLiteral("ok"));
    EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
    EXPECT_FALSE(QFile::exists(ReadyMarkPath(Staged(kSystemArchiveName))));
    EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName) + ".part"));
    window_.reset();
  }
  // A manifest that names no hash: nothing is fetched.
  app_ = std::make_unique<AppFolderFixture>();
  systemArchive_ = std::string(300000, 's');
  TOstrel& w = StartWithUpdate(1, 0);
  const QByteArray unbound =
      test::StampForTest(LastVersion(installed_.system + "-new", installed_.database + "-new",
                                     ArchiveUrl("sys"), ArchiveUrl("db")),
                         "LastVersion.xml", 1);
  PublishSigned("LastVersion.xml", unbound, test::TestSignature(unbound));
  const size_t before = server_.paths().size();
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_EQ(boxes.Boxes()[0].text, texts::kArchiveUnboundText.arg(kSystemArchiveName));
  EXPECT_EQ(server_.paths().size(), before + 2);  // the manifest and its signature only
}

// An older release replayed at the press is refused with words, and nothing is fetched.
TEST_F(DownloadButtonTest, RollbackAtThePressIsRefused) {
  sequence_ = 7;
  TOstrel& w = StartWithUpdate(1, 0);
  sequence_ = 6;
  PublishAddresses(ArchiveUrl("sys"), ArchiveUrl("db"));
  const size_t before = server_.paths().size();
  ModalBoxDismisser boxes;
  w.DL_TntButton->click();
  ASSERT_EQ(boxes.Boxes().size(), 1) << boxes.Texts().join(" | ").toStdString();
  EXPECT_TRUE(boxes.Boxes()[0].text.contains(QStringLiteral("版本序號 6 比已接受的序號 7 舊")))
      << boxes.Boxes()[0].text.toStdString();
  EXPECT_EQ(server_.paths().size(), before + 2);
  EXPECT_FALSE(QFile::exists(Staged(kSystemArchiveName)));
}

TEST_F(DownloadButtonTest, LaterButtonPutsTheUpdateAside) {
  TOstrel& w = StartWithUpdate(1, 1);
  w.DL_NEXTTIME_TntButton->click();
  EXPECT_FALSE(Shown(w.DL_TntButton));
  EXPECT_FALSE(Shown(w.DL_NEXTTIME_TntButton));
  EXPECT_EQ(w.TntTabControl1->currentWidget(), w.TntTabSheet1);
  EXPECT_EQ(w.GLOBAL_DL_status, QStringLiteral("none"));
  EXPECT_EQ(w.GLOBAL_sys_DL, 1);
}

}  // namespace
}  // namespace ravlek
