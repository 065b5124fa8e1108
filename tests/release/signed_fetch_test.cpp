// FetchSignedFile against a real server on 127.0.0.1: a release file takes its place only when it
// came whole and signed.

#include "release/signed_fetch.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/local_server.h"
#include "tests/support/small_disk.h"
#include "tests/support/test_release_key.h"

namespace ravlek {
namespace {

using Outcome = FetchResult::Outcome;

const QByteArray kBody = "<Ravlek><release id=\"R\"/></Ravlek>\n";

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

class SignedFetchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& http = server_.http();
    http.Get("/good.xml", Serve(kBody));
    http.Get("/good.xml.sig", Serve(test::TestSignature(kBody)));
    http.Get("/tampered.xml", Serve(kBody + " "));
    http.Get("/tampered.xml.sig", Serve(test::TestSignature(kBody)));
    http.Get("/unsigned.xml", Serve(kBody));  // no .sig: 404
    http.Get("/big.xml", Serve(QByteArray(5000, 'b')));
    http.Get("/big.xml.sig", Serve(test::TestSignature(QByteArray(5000, 'b'))));
    server_.Start();
    settings_ = test::TestReleaseSettings(server_.url(QString()));
    settings_.timeouts = {2000, 1000, 0, 0};
  }
  static httplib::Server::Handler Serve(const QByteArray& bytes) {
    const std::string body = bytes.toStdString();
    return [body](const httplib::Request&, httplib::Response& res) {
      res.set_content(body, "application/octet-stream");
    };
  }
  QString File() const { return folder_.filePath("LastVersion.xml"); }

  QTemporaryDir folder_;
  testing::LocalServer server_;
  ReleaseSettings settings_;
};

struct FetchCase {
  const char* path;
  Outcome outcome;
};

TEST_F(SignedFetchTest, OnlyAWholeSignedFileTakesThePlaceOfTheOneInUse) {
  const std::vector<FetchCase> cases = {
      {"/good.xml", Outcome::kFetched},      {"/tampered.xml", Outcome::kUnsigned},
      {"/unsigned.xml", Outcome::kUnsigned}, {"/missing.xml", Outcome::kUnreachable},
      {"/big.xml", Outcome::kTooLarge},
  };
  for (const FetchCase& c : cases) {
    SCOPED_TRACE(c.path);
    Write(File(), "in use");
    QFile::remove(File() + ".sig");
    const FetchResult result =
        FetchSignedFile(server_.url(c.path), File(), {4096, 5000}, settings_);
    EXPECT_EQ(result.outcome, c.outcome) << result.detail.toStdString();
    EXPECT_EQ(ReadAll(File()), c.outcome == Outcome::kFetched ? kBody : QByteArray("in use"));
    EXPECT_EQ(KeptFileSigned(File(), settings_.publicKey), c.outcome == Outcome::kFetched);
    EXPECT_FALSE(QFile::exists(PartialFileOf(File())));
    EXPECT_FALSE(FetchFailureText(result, "LastVersion.xml").contains(u'%'));
  }
}

TEST_F(SignedFetchTest, AnAbsentServerIsUnreachableNotUnsigned) {
  settings_.root = QStringLiteral("http://127.0.0.1:%1").arg(testing::UnusedPort());
  const FetchResult result =
      FetchSignedFile(settings_.root + "/good.xml", File(), {4096, 5000}, settings_);
  EXPECT_EQ(result.outcome, Outcome::kUnreachable);
  EXPECT_FALSE(QFile::exists(File()));
  EXPECT_EQ(
      FetchFailureText(result, "information.xml"),
      QStringLiteral("無法從更新網站下載 information.xml（網路未連線或網站沒有回應），沒有使用。"));
}

TEST_F(SignedFetchTest, WithoutAKeyNoSignatureIsAskedFor) {
  settings_.publicKey.clear();
  EXPECT_TRUE(FetchSignedFile(server_.url("/unsigned.xml"), File(), {}, settings_).ok());
  EXPECT_EQ(server_.paths(), std::vector<std::string>{"/unsigned.xml"});
  EXPECT_TRUE(KeptFileSigned(File(), {}));
}

TEST_F(SignedFetchTest, AFullDiskIsToldAsSuchAndLeavesNothing) {
  test::SmallDisk disk(4096);
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  const QString file = disk.FilePath("big.xml");
  const FetchResult result = FetchSignedFile(server_.url("/big.xml"), file, {}, settings_);
  EXPECT_EQ(result.outcome, Outcome::kNoSpace) << result.detail.toStdString();
  EXPECT_TRUE(FetchFailureText(result, "big.xml").startsWith(QStringLiteral("磁碟空間不足")));
  EXPECT_EQ(QDir(disk.Path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

}  // namespace
}  // namespace ravlek
