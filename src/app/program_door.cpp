#include "app/program_door.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

namespace ravlek {
namespace {

const QByteArray kForwardRequest = "forward\n";
const QByteArray kAnswer = "ok\n";

}  // namespace

QString ProgramDoorName(const QString& appDir) {
  const QString canonical = QFileInfo(appDir).canonicalFilePath();
  const QByteArray digest =
      QCryptographicHash::hash((canonical.isEmpty() ? appDir : canonical).toUtf8(),
                               QCryptographicHash::Sha256)
          .toHex()
          .left(20);
  return QStringLiteral("ravlek-%1-%2").arg(::getuid()).arg(QString::fromLatin1(digest));
}

ProgramLock::ProgramLock(const QString& appDir) {
  const QByteArray path = QFile::encodeName(QDir(appDir).filePath(kProgramLockFile));
  fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd_ < 0) return;
  held_ = ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
  busy_ = !held_ && errno == EWOULDBLOCK;
}

ProgramLock::~ProgramLock() {
  if (fd_ >= 0) ::close(fd_);  // closing lets the lock go
}

bool BringProgramForward(const QString& appDir, int waitMs) {
  const QString name = ProgramDoorName(appDir);
  const QDeadlineTimer deadline(waitMs);
  do {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (socket.waitForConnected(500)) {
      socket.write(kForwardRequest);
      socket.waitForBytesWritten(500);
      // The program answers from its event loop, which a box of its start-up may hold a while.
      QByteArray answer;
      while (!answer.endsWith('\n') && !deadline.hasExpired() &&
             socket.state() == QLocalSocket::ConnectedState) {
        if (socket.waitForReadyRead(100)) answer += socket.readAll();
      }
      answer += socket.readAll();
      if (answer == kAnswer) return true;
    }
    QThread::msleep(50);
  } while (!deadline.hasExpired());
  return false;
}

ProgramDoor::ProgramDoor(const QString& appDir, std::function<void()> forward)
    : server_(new QLocalServer(this)), forward_(std::move(forward)) {
  const QString name = ProgramDoorName(appDir);
  // Only the lock's holder opens the door: a socket left by a program that died is stale.
  QLocalServer::removeServer(name);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  open_ = server_->listen(name);
  QObject::connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (!socket->canReadLine()) {
          // A caller that sends more than a request without its end is no caller of ours.
          if (socket->bytesAvailable() > 64) socket->abort();
          return;
        }
        if (socket->readLine(64) != kForwardRequest) {
          socket->abort();
          return;
        }
        socket->write(kAnswer);
        socket->flush();
        if (forward_) forward_();
      });
    }
  });
}

ProgramDoor::~ProgramDoor() {
  server_->close();
}

}  // namespace ravlek
