#include "local_server.h"

#include <QProcess>
#include <QStandardPaths>
#include <chrono>

namespace ravlek::testing {

const TestCertificate& MakeTestCertificate() {
  static QTemporaryDir folder;
  static TestCertificate certificate = [] {
    TestCertificate made;
    made.certFile = folder.filePath(QStringLiteral("cert.pem"));
    made.keyFile = folder.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(
        QStringLiteral("openssl"),
        {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
         "-keyout", made.keyFile, "-out", made.certFile, "-days", "2", "-subj", "/CN=127.0.0.1",
         "-addext", "subjectAltName=IP:127.0.0.1", "-addext", "basicConstraints=critical,CA:TRUE"});
    made.ok = openssl.waitForFinished(30000) && openssl.exitCode() == 0;
    return made;
  }();
  return certificate;
}

LocalServer::LocalServer(bool tls) : tls_(tls) {
  if (tls) {
    const TestCertificate& certificate = MakeTestCertificate();
    server_ = std::make_unique<httplib::SSLServer>(certificate.certFile.toLocal8Bit().constData(),
                                                   certificate.keyFile.toLocal8Bit().constData());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  server_->set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
    ++hits_;
    return httplib::Server::HandlerResponse::Unhandled;
  });
}

void LocalServer::Start() {
  port_ = server_->bind_to_any_port("127.0.0.1");
  thread_ = std::thread([this] { server_->listen_after_bind(); });
  while (!server_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalServer::~LocalServer() {
  stopping_ = true;
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

QString LocalServer::url(const QString& path) const {
  return QStringLiteral("%1://127.0.0.1:%2%3")
      .arg(tls_ ? QStringLiteral("https") : QStringLiteral("http"))
      .arg(port_)
      .arg(path);
}

int UnusedPort() {
  httplib::Server probe;
  const int port = probe.bind_to_any_port("127.0.0.1");
  return port;  // the socket closes with the probe
}

}  // namespace ravlek::testing
