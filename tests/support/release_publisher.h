#pragma once
// A release server on 127.0.0.1 that publishes as the publisher does: manifests stamped for their
// roles with a release sequence and the facts of the archives they name, every file signed by
// the test key (unless a test forges it), the two upgrade archives under /archives/. The fixture
// of the update session's tests and of the version page's.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "release/manifest.h"
#include "release/manifest_binding.h"
#include "release/release_settings.h"
#include "release/release_signature.h"
#include "release/version_check.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/local_server.h"
#include "tests/support/test_release_key.h"

namespace ravlek::test {

inline QByteArray LastVersion(const QString& system, const QString& database,
                              const QString& systemUrl, const QString& databaseUrl) {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Ravlek>\n  <release id=\"R\">"
             "<sys_version>%1</sys_version><sys_download_url>%3</sys_download_url>"
             "<sys_notes>sn</sys_notes><db_version>%2</db_version>"
             "<db_download_url>%4</db_download_url><db_notes>dn</db_notes></release>\n"
             "</Ravlek>\n")
      .arg(system, database, systemUrl, databaseUrl)
      .toUtf8();
}

inline QByteArray Information(const QString& html, const QString& images) {
  return QStringLiteral(
             "<Ravlek><info><HTML_release_id>%1</HTML_release_id>"
             "<HTML_images_release_id>%2</HTML_images_release_id></info></Ravlek>")
      .arg(html, images)
      .toUtf8();
}

// How a forged release file comes with its signature.
enum class Forgery { kTampered, kMissingSignature, kOtherKey };

inline const char* ForgeryName(Forgery forgery) {
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
inline QByteArray ForgedSignature(const QByteArray& bytes, Forgery forgery) {
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

inline const std::vector<Forgery> kForgeries = {Forgery::kTampered, Forgery::kMissingSignature,
                                                Forgery::kOtherKey};

class ReleasePublisherTest : public ::testing::Test {
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
  void TearDown() override { qputenv("HOME", previousHome_); }

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

  QTemporaryDir home_;
  QTemporaryDir serverRoot_;
  QByteArray previousHome_;
  testing::LocalServer server_;
  std::unique_ptr<AppFolderFixture> app_;
  InstalledVersions installed_;
  PackageIds packages_;
  ReleaseSettings settings_;
  qint64 sequence_ = 1;                          // the release sequence the publisher stamps
  QDateTime expires_;                            // the expiry stamped; invalid: a year ahead
  std::map<QString, QByteArray> unstamped_;      // the manifests as written, by folder/name
  std::map<QString, QByteArray> archiveBodies_;  // archives served elsewhere, by base name
  bool announceSizes_ = true;
  std::function<QByteArray(const QByteArray&)> signArchives_ = test::TestSignature;
  std::string systemArchive_ = std::string(300000, 's');
  std::string databaseArchive_ = std::string(2000, 'd');
};

}  // namespace ravlek::test
