#include "tests/support/local_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>

namespace ravlek::testing {

TestCertificate MakeCertificateFor(const QString& altName) {
  static QTemporaryDir folder;
  static int made = 0;
  TestCertificate certificate;
  certificate.certFile = folder.filePath(QStringLiteral("cert%1.pem").arg(made));
  certificate.keyFile = folder.filePath(QStringLiteral("key%1.pem").arg(made++));
  QProcess openssl;
  openssl.start(QStringLiteral("openssl"),
                {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                 "-nodes", "-keyout", certificate.keyFile, "-out", certificate.certFile, "-days",
                 "2", "-subj", "/CN=" + altName.section(u':', 1), "-addext",
                 "subjectAltName=" + altName, "-addext", "basicConstraints=critical,CA:TRUE"});
  certificate.ok = openssl.waitForFinished(30000) && openssl.exitCode() == 0;
  return certificate;
}

const TestCertificate& MakeTestCertificate() {
  static const TestCertificate certificate = MakeCertificateFor(QStringLiteral("IP:127.0.0.1"));
  return certificate;
}

LocalServer::LocalServer(bool tls) : LocalServer(tls ? MakeTestCertificate() : TestCertificate{}) {}

LocalServer::LocalServer(const TestCertificate& certificate)
    : tls_(!certificate.certFile.isEmpty()) {
  if (tls_) {
    server_ = std::make_unique<httplib::SSLServer>(certificate.certFile.toLocal8Bit().constData(),
                                                   certificate.keyFile.toLocal8Bit().constData());
  } else {
    server_ = std::make_unique<httplib::Server>();
  }
  server_->set_pre_routing_handler([this](const httplib::Request& req, httplib::Response&) {
    ++hits_;
    const std::lock_guard<std::mutex> lock(pathsMutex_);
    paths_.push_back(req.path);
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

std::vector<std::string> LocalServer::paths() const {
  const std::lock_guard<std::mutex> lock(pathsMutex_);
  return paths_;
}

int UnusedPort() {
  // A socket bound to a free port and closed again: nothing listens there afterwards.
  const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof(address);
  ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof(address));
  ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  ::close(probe);
  return ntohs(address.sin_port);
}

}  // namespace ravlek::testing
