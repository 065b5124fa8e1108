// release-server: a static HTTP server for a release folder.
//
//   release-server --port N --root DIR [--rate BYTES_PER_SECOND]
//   release-server sign --key PRIVATE_KEY.pem FILE...   writes FILE.sig beside each FILE
//   release-server keygen OUT                            writes OUT (private) and OUT.pub (public)
//   release-server manifest --key PRIVATE_KEY.pem --sequence N [--valid-days D] FOLDER
//       stamps FOLDER's LastVersion.xml and information.xml for their roles with the release
//       sequence N and an expiry D days ahead (default 365), gives every archive and package they
//       name that lies in FOLDER its SHA-256 and size, then signs every file of FOLDER
//
// Serves the files under DIR on 127.0.0.1:N with their sizes announced; with --port 0 the system
// picks the port, which the first line on standard error names. --rate slows the .zip
// archives down, so that the progress of an update download can be watched.

#include <httplib.h>

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "release/manifest_binding.h"
#include "release/release_signature.h"

namespace {

httplib::Server* running = nullptr;

void Stop(int) {
  if (running) running->stop();
}

int Usage() {
  std::fprintf(stderr,
               "usage: release-server --port N --root DIR [--rate BYTES_PER_SECOND]\n"
               "       release-server sign --key PRIVATE_KEY.pem FILE...\n"
               "       release-server keygen OUT\n"
               "       release-server manifest --key PRIVATE_KEY.pem --sequence N "
               "[--valid-days D] FOLDER\n");
  return 2;
}

bool ReadFile(const QString& path, QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  bytes = file.readAll();
  return true;
}

bool WriteFile(const QString& path, const QByteArray& bytes, QFileDevice::Permissions mode) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
         file.write(bytes) == bytes.size() && file.setPermissions(mode);
}

// Signs each file, writing FILE.sig beside it.
int SignFiles(const QByteArray& key, const QString& keyName, const QStringList& files) {
  for (const QString& file : files) {
    QByteArray bytes;
    if (!ReadFile(file, bytes)) {
      std::fprintf(stderr, "release-server: cannot read %s\n", qUtf8Printable(file));
      return 1;
    }
    const QByteArray signature = ravlek::SignReleaseFile(bytes, key);
    if (signature.isEmpty()) {
      std::fprintf(stderr, "release-server: %s is no Ed25519 private key\n",
                   qUtf8Printable(keyName));
      return 1;
    }
    const auto readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                          QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (!WriteFile(file + QStringLiteral(".sig"), signature, readable)) {
      std::fprintf(stderr, "release-server: cannot write %s.sig\n", qUtf8Printable(file));
      return 1;
    }
  }
  return 0;
}

// The publisher's side of the signed release files.
int Sign(int argc, char** argv) {
  if (argc < 5 || std::string(argv[2]) != "--key") return Usage();
  QByteArray key;
  if (!ReadFile(QString::fromLocal8Bit(argv[3]), key)) {
    std::fprintf(stderr, "release-server: cannot read the key %s\n", argv[3]);
    return 1;
  }
  QStringList files;
  for (int i = 4; i < argc; ++i) files.append(QString::fromLocal8Bit(argv[i]));
  return SignFiles(key, QString::fromLocal8Bit(argv[3]), files);
}

// Binds a release folder's manifests to their roles, their release and their archives, then signs
// the folder.
int Manifest(int argc, char** argv) {
  QString keyName, folder;
  qint64 sequence = -1;
  int validDays = 365;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--key" && i + 1 < argc) {
      keyName = QString::fromLocal8Bit(argv[++i]);
    } else if (arg == "--sequence" && i + 1 < argc) {
      sequence = std::atoll(argv[++i]);
    } else if (arg == "--valid-days" && i + 1 < argc) {
      validDays = std::atoi(argv[++i]);
    } else if (folder.isEmpty() && arg.rfind("--", 0) != 0) {
      folder = QString::fromLocal8Bit(argv[i]);
    } else {
      return Usage();
    }
  }
  if (keyName.isEmpty() || folder.isEmpty() || sequence < 0 || validDays <= 0) return Usage();
  QByteArray key;
  if (!ReadFile(keyName, key)) {
    std::fprintf(stderr, "release-server: cannot read the key %s\n", qUtf8Printable(keyName));
    return 1;
  }
  const QDir dir(folder);
  const QDateTime expires = QDateTime::currentDateTimeUtc().addDays(validDays);
  const auto factsOf = [&dir](const QString& name) -> std::optional<ravlek::ArchiveFacts> {
    if (name.isEmpty() || !QFileInfo(dir.filePath(name)).isFile()) return std::nullopt;
    return ravlek::FactsOfFile(dir.filePath(name));
  };
  for (const QString& role :
       {QStringLiteral("LastVersion.xml"), QStringLiteral("information.xml")}) {
    QByteArray xml;
    if (!ReadFile(dir.filePath(role), xml)) continue;
    const QByteArray stamped = ravlek::StampManifest(xml, role, sequence, expires, factsOf);
    const auto readable = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                          QFileDevice::ReadGroup | QFileDevice::ReadOther;
    if (stamped.isEmpty() || !WriteFile(dir.filePath(role), stamped, readable)) {
      std::fprintf(stderr, "release-server: cannot stamp %s\n", qUtf8Printable(dir.filePath(role)));
      return 1;
    }
  }
  QStringList files;
  QDirIterator all(folder, QDir::Files, QDirIterator::Subdirectories);
  while (all.hasNext()) {
    const QString file = all.next();
    if (!file.endsWith(QStringLiteral(".sig"))) files.append(file);
  }
  return SignFiles(key, keyName, files);
}

int Keygen(int argc, char** argv) {
  if (argc != 3) return Usage();
  const ravlek::ReleaseKeyPair pair = ravlek::MakeReleaseKeyPair();
  const QString out = QString::fromLocal8Bit(argv[2]);
  if (pair.privatePem.isEmpty() ||
      !WriteFile(out, pair.privatePem, QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
      !WriteFile(out + QStringLiteral(".pub"), pair.publicPem,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                     QFileDevice::ReadOther)) {
    std::fprintf(stderr, "release-server: cannot make the key pair %s\n", argv[2]);
    return 1;
  }
  std::printf("%s", pair.publicPem.constData());
  return 0;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Serves one file in pieces, pausing so that no more than `rate` bytes go out per second.
void ServeThrottled(const std::filesystem::path& file, long rate, httplib::Response& res) {
  const auto size = static_cast<size_t>(std::filesystem::file_size(file));
  auto stream = std::make_shared<std::ifstream>(file, std::ios::binary);
  res.set_content_provider(size, "application/zip",
                           [stream, rate](size_t offset, size_t length, httplib::DataSink& sink) {
                             const size_t piece =
                                 std::min<size_t>(length, std::max<long>(rate / 20, 1));
                             std::vector<char> buffer(piece);
                             stream->seekg(static_cast<std::streamoff>(offset));
                             stream->read(buffer.data(), static_cast<std::streamsize>(piece));
                             const auto got = static_cast<size_t>(stream->gcount());
                             if (got == 0) return false;
                             sink.write(buffer.data(), got);
                             std::this_thread::sleep_for(std::chrono::milliseconds(50));
                             return true;
                           });
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::string(argv[1]) == "sign") return Sign(argc, argv);
  if (argc > 1 && std::string(argv[1]) == "keygen") return Keygen(argc, argv);
  if (argc > 1 && std::string(argv[1]) == "manifest") return Manifest(argc, argv);
  int port = 0;
  long rate = 0;
  std::string root;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (i + 1 >= argc) return Usage();
    if (arg == "--port") {
      port = std::atoi(argv[++i]);
    } else if (arg == "--root") {
      root = argv[++i];
    } else if (arg == "--rate") {
      rate = std::atol(argv[++i]);
    } else {
      return Usage();
    }
  }
  if (port < 0 || port > 65535 || root.empty()) return Usage();
  if (!std::filesystem::is_directory(root)) {
    std::fprintf(stderr, "release-server: %s is no folder\n", root.c_str());
    return 1;
  }

  httplib::Server server;
  if (rate > 0) {
    server.set_pre_routing_handler(
        [root, rate](const httplib::Request& req, httplib::Response& res) {
          if (!EndsWith(req.path, ".zip") || req.path.find("..") != std::string::npos)
            return httplib::Server::HandlerResponse::Unhandled;
          const std::filesystem::path file = std::filesystem::path(root) / req.path.substr(1);
          if (!std::filesystem::is_regular_file(file))
            return httplib::Server::HandlerResponse::Unhandled;
          ServeThrottled(file, rate, res);
          return httplib::Server::HandlerResponse::Handled;
        });
  }
  if (!server.set_mount_point("/", root)) {
    std::fprintf(stderr, "release-server: cannot serve %s\n", root.c_str());
    return 1;
  }
  server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
    std::fprintf(stderr, "release-server: %s %s %d\n", req.method.c_str(), req.path.c_str(),
                 res.status);
  });
  running = &server;
  std::signal(SIGINT, Stop);
  std::signal(SIGTERM, Stop);
  const int bound = port == 0 ? server.bind_to_any_port("127.0.0.1")
                              : (server.bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound <= 0) {
    std::fprintf(stderr, "release-server: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  std::fprintf(stderr, "release-server: serving %s at http://127.0.0.1:%d/\n", root.c_str(), bound);
  std::fflush(stderr);
  return server.listen_after_bind() ? 0 : 1;
}
