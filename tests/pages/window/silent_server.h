#pragma once
// A listening socket on 127.0.0.1 at a port the system picks that takes connections (the system
// completes them) and never answers: a load from it never finishes.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QString>

namespace ravlek::test {

class SilentServer {
 public:
  SilentServer() {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (socket_ < 0 || ::bind(socket_, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::listen(socket_, 16) != 0 ||
        ::getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
      return;
    }
    port_ = ntohs(address.sin_port);
  }
  ~SilentServer() {
    if (socket_ >= 0) ::close(socket_);
  }
  SilentServer(const SilentServer&) = delete;
  SilentServer& operator=(const SilentServer&) = delete;

  bool Listening() const { return port_ != 0; }
  QString Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port_).arg(path);
  }

 private:
  int socket_ = -1;
  int port_ = 0;
};

}  // namespace ravlek::test
