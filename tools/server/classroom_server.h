#pragma once
// ravlek-server: the classroom page and its JSON API over one read-only dictionary.

#include <httplib.h>

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <memory>

#include "core_calls.h"
#include "dictionary_snapshot.h"
#include "request_limits.h"

namespace ravlek::server {

struct ServerLimits {
  size_t textBytes = 1024 * 1024;  // the text of one request
  std::chrono::milliseconds time{10000};
  size_t workers = 32;     // connections served at once
  size_t queued = 256;     // connections waiting for a worker
  size_t conversions = 2;  // conversions running at once
  int lookupRows = 1000;   // rows of one lookup answer
};

// What a handler answers: a status, a type and the body; a file name makes it a download.
struct Reply {
  int status = 200;
  QByteArray type = "application/json; charset=utf-8";
  QByteArray body;
  QString fileName;
  bool inlineStyles = false;  // a handout document: its own <style> element
};

class ClassroomServer {
 public:
  ClassroomServer(Dictionary& dictionary, ServerLimits limits);
  ~ClassroomServer();

  // Binds to host:port (port 0: the system picks); returns the port, or -1.
  int Bind(const QString& host, int port);
  // Serves until Stop(); call after Bind.
  bool Serve();
  void Stop();

  // The handlers, each on one request's fields (also what the tests drive through HTTP).
  Reply Lookup(const httplib::Request& request);
  Reply Convert(const httplib::Request& request);
  Reply Metre(const httplib::Request& request);
  Reply Fanqie(const httplib::Request& request);
  Reply Handout(const httplib::Request& request);
  Reply Status();

 private:
  void Route();

  Dictionary& dictionary_;
  ServerLimits limits_;
  httplib::Server http_;
  PlacePool<ConversionCaches> conversions_;
};

// The text of an error status in words.
QString ErrorText(int status, const ServerLimits& limits);

// A reply with {"error": message}.
Reply ErrorReply(int status, const QString& message);

}  // namespace ravlek::server
