#pragma once
// A classroom server in the test's process on a port the system picks, over a small dictionary
// in a temporary application folder with the Pingshui tables.

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <memory>
#include <thread>

#include "build_paths.h"
#include "classroom_server.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek::test {

inline FixtureRow ReadingRow(const char* word, const char* type, const char* spell,
                             const char* rhyme = "") {
  return {{"HanWord", QString::fromUtf8(word)},
          {"Ptype", QString::fromUtf8(type)},
          {"HanSpell", QString::fromUtf8(spell)},
          {"PoemRhyme", QString::fromUtf8(rhyme)}};
}

// 看 reads khan1 where a regulated poem needs a 平 tone, khan3 elsewhere.
inline FixtureDictionary ClassroomDictionary() {
  FixtureDictionary dictionary;
  dictionary.ravlekRows = {ReadingRow("讚", "文", "tsan3", "去聲十五翰"),
                           ReadingRow("讚", "白", "tsuann3"),
                           ReadingRow("坐", "文", "tso7"),
                           ReadingRow("看", "文", "khan3"),
                           ReadingRow("看", "文", "khan1"),
                           ReadingRow("看", "白", "khuann3"),
                           ReadingRow("東", "文", "tong1", "上平一東"),
                           ReadingRow("則", "文", "tsik4"),
                           ReadingRow("旰", "文", "kan3", "去聲十五翰")};
  dictionary.baseWords = {{QStringLiteral("則"), QStringLiteral("tsik4")},
                          {QStringLiteral("旰"), QStringLiteral("kan3")}};
  return dictionary;
}

class RunningServer {
 public:
  explicit RunningServer(const FixtureDictionary& rows = ClassroomDictionary(),
                         server::ServerLimits limits = {})
      : folder_(rows) {
    CopyPingshuiTables(folder_.Path());
    dictionary_ =
        std::make_unique<server::Dictionary>(server::DictionaryLocation{folder_.Path(), {}});
    QString error;
    opened_ = dictionary_->Open(error);
    error_ = error;
    if (!opened_) return;
    server_ = std::make_unique<server::ClassroomServer>(*dictionary_, limits);
    port_ = server_->Bind(QStringLiteral("127.0.0.1"), 0);
    thread_ = std::thread([this] { server_->Serve(); });
  }
  ~RunningServer() {
    if (server_) server_->Stop();
    if (thread_.joinable()) thread_.join();
  }
  bool Ok() const { return opened_ && port_ > 0; }
  const QString& Error() const { return error_; }
  int Port() const { return port_; }
  const FixtureAppFolder& Folder() const { return folder_; }
  server::Dictionary& Dict() { return *dictionary_; }
  httplib::Client Client() const {
    httplib::Client client("127.0.0.1", port_);
    client.set_read_timeout(30, 0);
    return client;
  }
  // POSTs a JSON object; the answer, or a null result when there was none.
  httplib::Result Post(const char* path, const QJsonObject& body) const {
    return Client().Post(path, QJsonDocument(body).toJson().toStdString(), "application/json");
  }

 private:
  FixtureAppFolder folder_;
  std::unique_ptr<server::Dictionary> dictionary_;
  std::unique_ptr<server::ClassroomServer> server_;
  std::thread thread_;
  bool opened_ = false;
  QString error_;
  int port_ = -1;
};

inline QJsonObject JsonOf(const httplib::Result& result) {
  return result ? QJsonDocument::fromJson(QByteArray::fromStdString(result->body)).object()
                : QJsonObject();
}

}  // namespace ravlek::test
