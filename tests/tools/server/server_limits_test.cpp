// What the server refuses, and how it says so: sizes, time, busy workers, addresses, headers; and
// a dictionary read again when its file changes.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QThread>

#include "server_fixture.h"
#include "tests/support/qstring_printer.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

void ExpectChineseError(const httplib::Result& result, int status, const char* what) {
  ASSERT_TRUE(result) << what;
  EXPECT_EQ(result->status, status) << what;
  EXPECT_EQ(result->get_header_value("Content-Type").rfind("application/json", 0), 0u) << what;
  const QString error = test::JsonOf(result).value(u"error"_s).toString();
  EXPECT_FALSE(error.isEmpty()) << what << ": " << result->body;
  EXPECT_TRUE(error.front().unicode() >= 0x4e00) << what << ": " << error.toStdString();
}

TEST(ServerLimitsTest, RefusesWhatItCannotServeWithAChineseError) {
  server::ServerLimits limits;
  limits.textBytes = 4 * 1024;
  test::RunningServer server(test::ClassroomDictionary(), limits);
  ASSERT_TRUE(server.Ok()) << server.Error().toStdString();
  const std::string longText(5 * 1024, 'a');
  // Over the text limit, but within what the connection accepts around it.
  ExpectChineseError(server.Post("/api/convert", {{u"text"_s, QString::fromStdString(longText)}}),
                     413, "text");
  // Over what one request may carry at all.
  ExpectChineseError(
      server.Client().Post("/api/convert", std::string(200 * 1024, ' '), "application/json"), 413,
      "body");
  ExpectChineseError(server.Client().Post("/api/metre", "[1, 2", "application/json"), 400, "json");
  ExpectChineseError(server.Post("/api/handout", {{u"format"_s, u"../../etc/passwd"_s}}), 400,
                     "format");
  for (const char* path : {"/../../etc/passwd", "/index.html", "/app.js/../style.css",
                           "/api/../../FDConnectionDefs.ini", "/Ravlek.db"}) {
    ExpectChineseError(server.Client().Get(path), 404, path);
  }
}

TEST(ServerLimitsTest, EveryAnswerForbidsFramesAndForeignScripts) {
  test::RunningServer server;
  ASSERT_TRUE(server.Ok()) << server.Error().toStdString();
  httplib::Client client = server.Client();
  const httplib::Result answers[] = {client.Get("/"), client.Get("/app.js"),
                                     client.Get("/api/lookup?char=x"), client.Get("/nothing"),
                                     server.Post("/api/handout", {{u"text"_s, u"讚"_s}})};
  for (const auto& result : answers) {
    ASSERT_TRUE(result);
    const std::string policy = result->get_header_value("Content-Security-Policy");
    EXPECT_NE(policy.find("frame-ancestors 'none'"), std::string::npos) << result->status;
    EXPECT_NE(policy.find("default-src 'none'"), std::string::npos);
    EXPECT_EQ(policy.find("script-src 'unsafe"), std::string::npos);
    EXPECT_EQ(result->get_header_value("X-Frame-Options"), "DENY");
    EXPECT_EQ(result->get_header_value("X-Content-Type-Options"), "nosniff");
  }
  EXPECT_NE(answers[0]->body.find("lang=\"zh-Hant\""), std::string::npos);
}

TEST(ServerLimitsTest, AConversionOverTimeEndsWithAChineseError) {
  server::ServerLimits limits;
  limits.time = std::chrono::milliseconds(0);
  test::RunningServer server(test::ClassroomDictionary(), limits);
  ASSERT_TRUE(server.Ok()) << server.Error().toStdString();
  ExpectChineseError(server.Post("/api/convert", {{u"text"_s, u"讚\n讚"_s}}), 503, "time");
  ExpectChineseError(server.Post("/api/metre", {{u"text"_s, u"讚"_s}}), 503, "time");
}

TEST(ServerLimitsTest, AConnectionBeyondTheWorkersAndTheQueueIsToldTheServerIsBusy) {
  server::ServerLimits limits;
  limits.workers = 1;
  limits.queued = 0;
  test::RunningServer server(test::ClassroomDictionary(), limits);
  ASSERT_TRUE(server.Ok()) << server.Error().toStdString();
  // A client that connects and says nothing holds the one worker.
  const int idle = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(server.Port()));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(idle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  const auto busy = server.Client().Get("/api/lookup?char=x");
  ExpectChineseError(busy, 503, "busy");
  EXPECT_EQ(busy->get_header_value("Retry-After"), "2");
  close(idle);
}

TEST(ServerLimitsTest, TheDictionaryIsReadAgainWhenItsFileChanges) {
  test::RunningServer server;
  ASSERT_TRUE(server.Ok()) << server.Error().toStdString();
  server.Dict().Watch(20);
  const auto words = [&] {
    const QJsonObject answer = test::JsonOf(server.Client().Get("/api/lookup?char=%E9%9B%B2"));
    return answer.value(u"rows"_s).toArray().size();
  };
  ASSERT_EQ(words(), 0);
  test::FixtureDictionary changed = test::ClassroomDictionary();
  changed.ravlekRows.push_back(test::ReadingRow("雲", "文", "hun5"));
  test::WriteFixtureDictionary(server.Folder().DatabasePath(), changed);
  QElapsedTimer waited;
  waited.start();
  while (words() == 0 && waited.elapsed() < 20000) QThread::msleep(20);
  EXPECT_EQ(words(), 1);
}

}  // namespace
}  // namespace ravlek
