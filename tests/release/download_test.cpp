// DownloadToFile and TIdHTTPProgress against real servers on 127.0.0.1.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "base/error.h"
#include "release/IdHTTPProgress.h"
#include "release/download.h"
#include "release/release_settings.h"
#include "tests/support/file_bytes.h"
#include "tests/support/local_server.h"
#include "tests/support/small_disk.h"

using ravlek::testing::LocalServer;

namespace {

using namespace std::chrono_literals;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// The routes every test server offers.
void AddRoutes(LocalServer& server) {
  auto& http = server.http();
  http.Get("/sized", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("sized body", "application/octet-stream");
  });
  http.Get("/unsized", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("application/octet-stream",
                                     [](size_t, httplib::DataSink& sink) {
                                       sink.write("chunked ", 8);
                                       sink.write("body", 4);
                                       sink.done();
                                       return true;
                                     });
  });
  http.Get("/empty", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("", "text/plain");
  });
  http.Get("/nocontent", [](const httplib::Request&, httplib::Response& res) { res.status = 204; });
  http.Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("error page body", "text/html");
  });
  // /hop/N redirects N more times before it lands on /sized; every hop carries a body of its
  // own, whose size must not be taken for the final one.
  http.Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const int left = std::stoi(req.matches[1]);
    res.status = 302;
    res.set_header("Location", left > 1 ? "/hop/" + std::to_string(left - 1) : "/sized");
    res.set_content(std::string(1000, 'r'), "text/plain");
  });
  http.Get("/agent", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(req.get_header_value("User-Agent"), "text/plain");
  });
  // Announces 100 bytes, sends 50 and hangs up.
  http.Get("/short", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(100, "application/octet-stream",
                             [](size_t offset, size_t, httplib::DataSink& sink) {
                               if (offset > 0) return false;
                               sink.write(std::string(50, 's').data(), 50);
                               return true;
                             });
  });
  // Sends a little, stays silent for 1.5 s (longer than the tests' stall limit), then sends the
  // rest: only a client that keeps the stall limit gives up.
  http.Get("/stall", [&server](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(
        100, "application/octet-stream", [&server](size_t offset, size_t, httplib::DataSink& sink) {
          if (offset == 0) {
            sink.write("abc", 3);
            return true;
          }
          for (int i = 0; i < 75 && !server.stopping() && sink.is_writable(); ++i)
            std::this_thread::sleep_for(20ms);
          sink.write(std::string(97, 'd').data(), 97);
          return true;
        });
  });
  // One byte every 50 ms, 120 bytes in all: never silent, but far slower than 1 KB/s.
  http.Get("/drip", [&server](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(120, "application/octet-stream",
                             [&server](size_t, size_t, httplib::DataSink& sink) {
                               if (server.stopping()) return false;
                               std::this_thread::sleep_for(50ms);
                               sink.write("d", 1);
                               return true;
                             });
  });
  // Bodies past the manifests' limit, announced and not.
  http.Get("/big", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(3000, 'b'), "text/xml");
  });
  http.Get("/big-chunked", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider("text/xml", [](size_t offset, httplib::DataSink& sink) {
      if (offset >= 3000) {
        sink.done();
      } else {
        sink.write(std::string(500, 'b').data(), 500);
      }
      return true;
    });
  });
  // A redirect to a local file, which must never be read.
  http.Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
    res.status = 302;
    res.set_header("Location", "file:///etc/hostname");
  });
  // Eight bytes announced, sent as 1, 2 and 5 bytes with pauses between.
  http.Get("/eighths", [](const httplib::Request&, httplib::Response& res) {
    res.set_content_provider(8, "application/octet-stream",
                             [](size_t offset, size_t, httplib::DataSink& sink) {
                               const size_t part = offset == 0 ? 1 : offset == 1 ? 2 : 5;
                               if (offset > 0) std::this_thread::sleep_for(80ms);
                               sink.write("abcdefgh" + offset, part);
                               return true;
                             });
  });
}

class DownloadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    AddRoutes(server_);
    server_.Start();
  }
  bool Download(const QString& url, const QString& target,
                const ravlek::DownloadLimits& limits = {}) {
    return ravlek::DownloadToFile(url, target, limits, timeouts_);
  }
  QString Target(const QString& name = QStringLiteral("target.bin")) const {
    return folder_.filePath(name);
  }

  QTemporaryDir folder_;
  LocalServer server_;
  ravlek::DownloadTimeouts timeouts_{2000, 300, 1024, 1};
};

struct DownloadCase {
  const char* path;
  bool answer;
  QByteArray content;
};

TEST_F(DownloadTest, AnswersTrueOnlyForACompleteNonEmptySuccess) {
  const std::vector<DownloadCase> cases = {
      {"/sized", true, "sized body"},
      {"/unsized", true, "chunked body"},
      {"/empty", false, ""},
      {"/nocontent", false, ""},
      {"/missing", false, ""},  // the error page is never written
      {"/hop/9", true, "sized body"},
      {"/hop/10", false, ""},
      {"/short", false, QByteArray(50, 's')},
      {"/agent", true, "Mozilla/4.0, Indy Library (Windows; en-US)"},
      {"/to-file", false, ""},
  };
  for (const DownloadCase& c : cases) {
    SCOPED_TRACE(c.path);
    WriteFile(Target(), "previous content");
    EXPECT_EQ(Download(server_.url(c.path), Target()), c.answer);
    EXPECT_EQ(ReadAll(Target()), c.content);
  }
}

TEST_F(DownloadTest, SendsNothingWhenTheTargetCannotBeCreated) {
  EXPECT_FALSE(Download(server_.url("/sized"), Target("no/such/folder/file")));
  EXPECT_FALSE(Download(server_.url("/sized"), QString()));
  EXPECT_FALSE(Download(QString(), Target()));
  EXPECT_EQ(server_.hits(), 0);
}

TEST_F(DownloadTest, RefusesHttpsAndTruncatesTheTargetFirst) {
  LocalServer tls(true);
  AddRoutes(tls);
  tls.Start();
  WriteFile(Target(), "previous content");
  EXPECT_FALSE(Download(tls.url("/sized"), Target()));
  EXPECT_EQ(tls.hits(), 0);
  EXPECT_EQ(ReadAll(Target()), "");

  WriteFile(Target(), "previous content");
  const QString refused =
      QStringLiteral("http://127.0.0.1:%1/x").arg(ravlek::testing::UnusedPort());
  EXPECT_FALSE(Download(refused, Target()));
  EXPECT_EQ(ReadAll(Target()), "");
}

struct SlowCase {
  const char* path;
  ravlek::DownloadTimeouts timeouts;
};

TEST_F(DownloadTest, GivesUpOnAServerThatStopsOrDripsBytes) {
  // Each server would complete its body if the client waited long enough.
  const std::vector<SlowCase> cases = {
      {"/stall", {2000, 300, 0, 0}},    // silent for longer than the stall limit
      {"/drip", {2000, 300, 1024, 1}},  // never silent, slower than 1 KB/s for a second
  };
  for (const SlowCase& c : cases) {
    SCOPED_TRACE(c.path);
    timeouts_ = c.timeouts;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Download(server_.url(c.path), Target()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  }
}

TEST_F(DownloadTest, ManifestLimitsBoundSizeAndTime) {
  const ravlek::DownloadLimits limits{2000, 0};
  for (const char* path : {"/big", "/big-chunked"}) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(Download(server_.url(path), Target(), limits));
    EXPECT_EQ(ReadAll(Target()), "");  // nothing of a refused body is kept
    EXPECT_TRUE(Download(server_.url(path), Target()));
  }
  EXPECT_TRUE(Download(server_.url("/sized"), Target(), limits));
  // The whole transfer ends after its time, however steadily the bytes come.
  timeouts_ = {2000, 300, 0, 0};
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Download(server_.url("/drip"), Target(), {0, 500}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
  EXPECT_EQ(ravlek::BuiltReleaseSettings().manifestLimits.maxBytes, 1024 * 1024);
  EXPECT_EQ(ravlek::BuiltReleaseSettings().manifestLimits.totalMs, 60000);
}

// ---- the progress client

class ProgressTest : public DownloadTest {
 protected:
  void SetUp() override {
    server_.http().Get("/big-file", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(http_big_, "application/zip");
    });
    DownloadTest::SetUp();
    client_.ReadTimeout = 300;
    client_.LowSpeedTime = 1;
    client_.SetOnChange([this](ravlek::TIdHTTPProgress* sender) {
      reports_.push_back(sender->Progress());
      sizes_.push_back(sender->BytesToTransfer());
    });
  }
  ravlek::TIdHTTPProgress client_;
  std::string http_big_;
  std::vector<int> reports_;
  std::vector<qint64> sizes_;
};

TEST_F(ProgressTest, ReportsEighthsRoundedHalfToEven) {
  client_.DownloadFile(server_.url("/eighths"), Target());
  EXPECT_EQ(ReadAll(Target()), "abcdefgh");
  EXPECT_EQ(reports_, (std::vector<int>{0, 12, 38, 100, 100}));
  EXPECT_EQ(sizes_, (std::vector<qint64>{0, 8, 8, 8, 0}));
  EXPECT_EQ(client_.BytesToTransfer(), 0);
}

TEST_F(ProgressTest, AFullDiskIsADiskFullError) {
  ravlek::test::SmallDisk disk(4096);
  if (!disk.mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  client_.ReadTimeout = 2000;
  http_big_ = std::string(64 * 1024, 'b');
  EXPECT_THROW(client_.DownloadFile(server_.url("/big-file"), disk.FilePath("archive.zip")),
               ravlek::DiskFullError);
}

TEST_F(ProgressTest, WithoutAnnouncedSizeStaysAtZeroUntilTheEnd) {
  client_.DownloadFile(server_.url("/unsized"), Target());
  EXPECT_EQ(ReadAll(Target()), "chunked body");
  EXPECT_EQ(reports_, (std::vector<int>{0, 100}));
}

TEST_F(ProgressTest, TakesTheSizeFromTheFinalResponseOfARedirectChain) {
  client_.DownloadFile(server_.url("/hop/14"), Target());
  EXPECT_EQ(ReadAll(Target()), "sized body");
  ASSERT_GE(sizes_.size(), 2u);
  EXPECT_EQ(sizes_[1], 10);  // "sized body", not a hop's 1000 bytes
}

TEST_F(ProgressTest, CreatesTheFoldersOfTheDestination) {
  client_.DownloadFile(server_.url("/sized"), Target("a/b/c.zip"));
  EXPECT_EQ(ReadAll(Target("a/b/c.zip")), "sized body");
}

struct FailureCase {
  const char* path;
  const char* message;  // part of the error's text
  QByteArray content;   // what the destination holds afterwards
};

TEST_F(ProgressTest, RaisesTheTransfersErrorAfterClosingTheFile) {
  const std::vector<FailureCase> cases = {
      {"/missing", "404", ""},
      {"/hop/15", "redirects", ""},
      {"/stall", "Read timed out", "abc"},
      {"/short", "", QByteArray(50, 's')},
      {"/to-file", "", ""},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.path);
    WriteFile(Target(), "previous content");
    try {
      client_.DownloadFile(server_.url(c.path), Target());
      ADD_FAILURE() << "no error raised";
    } catch (const ravlek::Error& error) {
      EXPECT_TRUE(error.message().contains(QString::fromLatin1(c.message))) << error.what();
    }
    EXPECT_EQ(ReadAll(Target()), c.content);
  }
  const QString refused =
      QStringLiteral("http://127.0.0.1:%1/x").arg(ravlek::testing::UnusedPort());
  EXPECT_THROW(client_.DownloadFile(refused, Target()), ravlek::Error);
}

TEST_F(ProgressTest, FetchesHttpsVerifyingTheCertificate) {
  ASSERT_TRUE(ravlek::testing::MakeTestCertificate().ok) << "openssl could not make a certificate";
  LocalServer tls(true);
  AddRoutes(tls);
  tls.Start();
  // The system's store does not know the test authority.
  EXPECT_THROW(client_.DownloadFile(tls.url("/sized"), Target()), ravlek::Error);
  client_.IOHndl->CAFile = ravlek::testing::MakeTestCertificate().certFile;
  client_.DownloadFile(tls.url("/hop/3"), Target());
  EXPECT_EQ(ReadAll(Target()), "sized body");
}

TEST_F(ProgressTest, GivesUpOnAServerThatDripsBytes) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(client_.DownloadFile(server_.url("/drip"), Target()), ravlek::Error);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
}

TEST_F(ProgressTest, RefusesACertificateForAnotherHostName) {
  const ravlek::testing::TestCertificate elsewhere =
      ravlek::testing::MakeCertificateFor(QStringLiteral("DNS:elsewhere.invalid"));
  ASSERT_TRUE(elsewhere.ok) << "openssl could not make a certificate";
  LocalServer tls(elsewhere);
  AddRoutes(tls);
  tls.Start();
  // The certificate is trusted, but it names another host than the address.
  client_.IOHndl->CAFile = elsewhere.certFile;
  try {
    client_.DownloadFile(tls.url("/sized"), Target());
    ADD_FAILURE() << "no error raised";
  } catch (const ravlek::Error& error) {
    EXPECT_TRUE(error.message().contains(QStringLiteral("127.0.0.1"))) << error.what();
    EXPECT_TRUE(error.message().contains(QStringLiteral("match"))) << error.what();
  }
  EXPECT_EQ(ReadAll(Target()), "");
}

TEST_F(ProgressTest, RaisesWhenTheDestinationCannotBeCreated) {
  QDir(folder_.path()).mkpath(QStringLiteral("taken.zip"));
  EXPECT_THROW(client_.DownloadFile(server_.url("/sized"), Target("taken.zip")), ravlek::Error);
  EXPECT_EQ(server_.hits(), 0);
}

}  // namespace
