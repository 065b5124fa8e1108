#include "classroom_server.h"

#include <algorithm>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <cstdio>

#include "base/error.h"

namespace ravlek::server {

namespace {

// The page and its API: scripts, styles and data from this server only, never inside a frame.
const char kPagePolicy[] =
    "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; img-src 'self'; "
    "form-action 'self'; frame-ancestors 'none'; base-uri 'none'";
// A handout document carries its own <style> element and nothing to run.
const char kHandoutPolicy[] =
    "default-src 'none'; style-src 'unsafe-inline'; img-src data:; form-action 'none'; "
    "frame-ancestors 'none'; base-uri 'none'";

// The page's files by the address they are served at; nothing else is ever read from disk for a
// request.
struct PageFile {
  const char* address;
  const char* resource;
  const char* type;
};
constexpr PageFile kPageFiles[] = {
    {"/", ":/ravlek-server/index.html", "text/html; charset=utf-8"},
    {"/app.js", ":/ravlek-server/app.js", "text/javascript; charset=utf-8"},
    {"/style.css", ":/ravlek-server/style.css", "text/css; charset=utf-8"},
};

QByteArray PageFileBytes(const char* resource) {
  QFile file(QString::fromLatin1(resource));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void Send(const Reply& reply, httplib::Response& response) {
  response.status = reply.status;
  response.set_header("Content-Security-Policy", reply.inlineStyles ? kHandoutPolicy : kPagePolicy);
  response.set_header("X-Frame-Options", "DENY");
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Referrer-Policy", "no-referrer");
  response.set_header("Cache-Control", "no-store");
  if (!reply.fileName.isEmpty()) {
    response.set_header("Content-Disposition",
                        ("attachment; filename=\"handout" +
                         reply.fileName.section(u'.', -1).toLatin1().prepend('.') +
                         "\"; filename*=UTF-8''" + QUrl::toPercentEncoding(reply.fileName))
                            .toStdString());
  }
  response.set_content(reply.body.toStdString(), reply.type.constData());
}

}  // namespace

QString ErrorText(int status, const ServerLimits& limits) {
  switch (status) {
    case 400:
      return QStringLiteral("請求的格式不對。");
    case 404:
      return QStringLiteral("沒有這個網址。");
    case 405:
      return QStringLiteral("這個網址不接受這種請求。");
    case 408:
      return QStringLiteral("請求傳送太久，已中斷。");
    case 413:
      return QStringLiteral("請求太大：一次最多送 %1 KB 的文字。").arg(limits.textBytes / 1024);
    case 414:
    case 431:
      return QStringLiteral("網址或標頭太長。");
    default:
      return QStringLiteral("伺服器無法處理這個請求（%1）。").arg(status);
  }
}

Reply ErrorReply(int status, const QString& message) {
  Reply reply;
  reply.status = status;
  reply.body =
      QJsonDocument(QJsonObject{{QStringLiteral("error"), message}}).toJson(QJsonDocument::Compact);
  return reply;
}

ClassroomServer::ClassroomServer(Dictionary& dictionary, ServerLimits limits)
    : dictionary_(dictionary), limits_(limits), conversions_(limits.conversions) {
  http_.new_task_queue = [this] { return new BoundedTaskQueue(limits_.workers, limits_.queued); };
  // Room for the text and what the request says about it.
  http_.set_payload_max_length(limits_.textBytes + 64 * 1024);
  // Reading and writing a request get the time limit, rounded up to whole seconds and at least
  // one: a shorter limit would cut the request off while it is still being read (a 400, not the
  // time-limit answer).
  const auto seconds = std::max<long long>(1, std::chrono::duration_cast<std::chrono::seconds>(
                                                  limits_.time + std::chrono::milliseconds(999))
                                                  .count());
  http_.set_read_timeout(seconds, 0);
  http_.set_write_timeout(seconds, 0);
  // A connection left open holds a worker: a short wait for the next request, and a few requests
  // each, so that waiting connections take their turn. (One request per connection halved the
  // throughput and lost connections under load.)
  http_.set_keep_alive_timeout(2);
  http_.set_keep_alive_max_count(10);
  // Headers and body leave in separate writes: without this the body waits for the client's
  // delayed acknowledgement (40 ms).
  http_.set_tcp_nodelay(true);
  Route();
}

ClassroomServer::~ClassroomServer() {
  Stop();
}

void ClassroomServer::Route() {
  http_.set_pre_routing_handler([](const httplib::Request&, httplib::Response& response) {
    if (!BoundedTaskQueue::ServingOverflow()) return httplib::Server::HandlerResponse::Unhandled;
    Send(ErrorReply(503, QStringLiteral("伺服器忙碌中，請稍後再試。")), response);
    response.set_header("Retry-After", "2");
    response.set_header("Connection", "close");
    return httplib::Server::HandlerResponse::Handled;
  });
  http_.set_error_handler([this](const httplib::Request&, httplib::Response& response) {
    // Our own answers carry their text already.
    if (!response.body.empty()) return;
    Send(ErrorReply(response.status, ErrorText(response.status, limits_)), response);
  });
  http_.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr error) {
        QString what = QStringLiteral("未知的錯誤");
        try {
          std::rethrow_exception(error);
        } catch (const Error& failure) {
          what = failure.message();
        } catch (const std::exception& failure) {
          what = QString::fromLocal8Bit(failure.what());
        } catch (...) {
        }
        Send(ErrorReply(500, QStringLiteral("伺服器內部錯誤：%1").arg(what)), response);
      });

  for (const PageFile& file : kPageFiles) {
    http_.Get(file.address, [file](const httplib::Request&, httplib::Response& response) {
      Reply reply;
      reply.type = file.type;
      reply.body = PageFileBytes(file.resource);
      Send(reply, response);
    });
  }
  // Browsers ask for an icon: none, without an error.
  http_.Get("/favicon.ico", [](const httplib::Request&, httplib::Response& response) {
    Reply reply;
    reply.status = 204;
    reply.type = "image/x-icon";
    Send(reply, response);
  });
  using Handler = Reply (ClassroomServer::*)(const httplib::Request&);
  const auto route = [this](Handler handler) {
    return [this, handler](const httplib::Request& request, httplib::Response& response) {
      Reply reply;
      try {
        reply = (this->*handler)(request);
      } catch (const TimeLimitExceeded&) {
        reply = ErrorReply(
            503, QStringLiteral("處理超過 %1 秒，已停止：請把文字分成幾段再送。")
                     .arg(std::chrono::duration_cast<std::chrono::seconds>(limits_.time).count()));
      } catch (const Error& failure) {
        reply = ErrorReply(500, QStringLiteral("伺服器內部錯誤：%1").arg(failure.message()));
      }
      Send(reply, response);
    };
  };
  http_.Get("/api/lookup", route(&ClassroomServer::Lookup));
  http_.Post("/api/convert", route(&ClassroomServer::Convert));
  http_.Post("/api/metre", route(&ClassroomServer::Metre));
  http_.Post("/api/fanqie", route(&ClassroomServer::Fanqie));
  http_.Post("/api/handout", route(&ClassroomServer::Handout));
  http_.Get("/api/status", [this](const httplib::Request&, httplib::Response& response) {
    Send(Status(), response);
  });
}

int ClassroomServer::Bind(const QString& host, int port) {
  if (port == 0) return http_.bind_to_any_port(host.toStdString());
  return http_.bind_to_port(host.toStdString(), port) ? port : -1;
}

bool ClassroomServer::Serve() {
  return http_.listen_after_bind();
}

void ClassroomServer::Stop() {
  http_.stop();
}

}  // namespace ravlek::server
