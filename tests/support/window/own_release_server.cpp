#include "tests/support/window/own_release_server.h"

#include <httplib.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "build_paths.h"
#include "release/version_check.h"
#include "tests/support/test_release_key.h"

namespace ravlek::test {

namespace {

class OwnReleaseServer {
 public:
  OwnReleaseServer() {
    const QDir installed(QStringLiteral(RAVLEK_DEFAULT_APP_DIR "/installedXML"));
    const QString folder = root_.filePath(QStringLiteral("RavlekSystem_Release/last_release_XML"));
    QDir().mkpath(folder);
    // The latest release is the installed one, and so are the resource packages.
    if (!QFile::copy(installed.filePath(QStringLiteral("CurrentVersion.xml")),
                     folder + QStringLiteral("/LastVersion.xml")) ||
        !QFile::copy(installed.filePath(QStringLiteral("information.xml")),
                     folder + QStringLiteral("/information.xml"))) {
      throw std::runtime_error("the built application folder has no installed manifests");
    }
    // Signed with the test program's key, which the release steps then check.
    for (const QString& name :
         {QStringLiteral("LastVersion.xml"), QStringLiteral("information.xml")}) {
      // Stamped for its role as the publisher's manifest step stamps it.
      QFile file(folder + u'/' + name);
      QFile signature(file.fileName() + QStringLiteral(".sig"));
      if (!file.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot stamp the test release");
      const QByteArray stamped = StampForTest(file.readAll(), name, 1);
      file.resize(0);
      file.write(stamped);
      if (!signature.open(QIODevice::WriteOnly) || signature.write(TestSignature(stamped)) <= 0) {
        throw std::runtime_error("cannot sign the test release");
      }
    }
    server_.set_mount_point("/", root_.path().toStdString());
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~OwnReleaseServer() {
    server_.stop();
    thread_.join();
  }
  QString Root() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

 private:
  QTemporaryDir root_;
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

}  // namespace

QString EnsureOwnReleaseServer() {
  static const OwnReleaseServer server;
  return server.Root();
}

ReleaseSettings OwnReleaseSettings() {
  return TestReleaseSettings(EnsureOwnReleaseServer());
}

}  // namespace ravlek::test
