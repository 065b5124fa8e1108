#pragma once
// A cpp-httplib server on 127.0.0.1 for the release tests: plain or TLS (with a self-signed
// certificate made at test time), started on a free port and stopped when it goes.

#include <httplib.h>

#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ravlek::testing {

// A certificate and key for 127.0.0.1 made with the openssl tool; the certificate is its own
// authority, so a client told to trust it accepts the server.
struct TestCertificate {
  QString certFile;
  QString keyFile;
  bool ok = false;
};
const TestCertificate& MakeTestCertificate();
// A self-signed certificate for another subject alternative name ("DNS:name" or "IP:address").
TestCertificate MakeCertificateFor(const QString& altName);

class LocalServer {
 public:
  explicit LocalServer(bool tls = false);
  // A TLS server presenting the given certificate.
  explicit LocalServer(const TestCertificate& certificate);
  ~LocalServer();

  httplib::Server& http() { return *server_; }
  // Starts serving; the routes must be in place.
  void Start();
  int port() const { return port_; }
  QString url(const QString& path) const;
  // How many requests reached the server.
  int hits() const { return hits_; }
  // The paths asked for, in order.
  std::vector<std::string> paths() const;
  // Set while the server stops, so that handlers that hold a connection let go.
  const std::atomic<bool>& stopping() const { return stopping_; }

 private:
  std::unique_ptr<httplib::Server> server_;
  std::thread thread_;
  int port_ = 0;
  bool tls_ = false;
  std::atomic<int> hits_{0};
  std::atomic<bool> stopping_{false};
  mutable std::mutex pathsMutex_;
  std::vector<std::string> paths_;
};

// A port on 127.0.0.1 where nothing listens (connection refused).
int UnusedPort();

}  // namespace ravlek::testing
