// ravlek-server: the classroom page. Serves one page and its JSON API (lookup, conversion, 格律,
// fanqie, handouts) from a read-only dictionary to the browsers of a class.

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <cstdio>

#include "classroom_server.h"

namespace {

ravlek::server::ClassroomServer* running = nullptr;
ravlek::server::Dictionary* dictionary = nullptr;

void Stop(int) {
  if (running) running->Stop();
}

void Reload(int) {
  if (dictionary) dictionary->Reload();
}

constexpr const char* kDescription =
    "Serves the classroom page: the lookup, the conversion with the readings the metre chooses,\n"
    "the \u683c\u5f8b check, fanqie and the printable ruby handout, to the browsers of a class,\n"
    "from one read-only dictionary (SQLite or the PostgreSQL dictionary of the connection\n"
    "definition). The dictionary is read again when its file changes, or on SIGHUP.\n"
    "Prints the address to open, then serves until SIGINT or SIGTERM.\n"
    "\n"
    "Limits: the text of one request, the time of one request, the connections served at once\n"
    "and waiting; a request beyond them gets a short answer in Chinese (413, 503).";

// The application folder: the program's own when it holds the settings (the build), else the
// installed template.
QString DefaultAppDir() {
  const QString own = QCoreApplication::applicationDirPath();
  if (QFileInfo::exists(own + QStringLiteral("/FDConnectionDefs.ini"))) return own;
  const QString installed = QDir::cleanPath(own + QStringLiteral("/../share/ravlek/app"));
  if (QFileInfo::exists(installed + QStringLiteral("/FDConnectionDefs.ini"))) return installed;
  return own;
}

bool ReadCount(const QCommandLineParser& parser, const QCommandLineOption& option, size_t low,
               size_t high, size_t& value) {
  if (!parser.isSet(option)) return true;
  bool ok = false;
  const qulonglong number = parser.value(option).toULongLong(&ok);
  if (!ok || number < low || number > high) {
    std::fprintf(stderr, "ravlek-server: --%s takes %zu to %zu, not %s\n",
                 qUtf8Printable(option.names().first()), low, high,
                 qUtf8Printable(parser.value(option)));
    return false;
  }
  value = number;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("ravlek-server"));
  QCoreApplication::setApplicationVersion(QStringLiteral(RAVLEK_VERSION));
  QCommandLineParser parser;
  parser.setApplicationDescription(QString::fromUtf8(kDescription));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption listen(
      QStringLiteral("listen"),
      QStringLiteral("The address and port to serve on (default 127.0.0.1:8934; port 0: the "
                     "system picks one). Give 0.0.0.0:PORT to serve the whole network."),
      QStringLiteral("ADDR:PORT"), QStringLiteral("127.0.0.1:8934"));
  const QCommandLineOption appDir(
      QStringLiteral("app-dir"),
      QStringLiteral("The application folder: its FDConnectionDefs.ini names the dictionary, and "
                     "it holds the Pingshui tables."),
      QStringLiteral("DIR"));
  const QCommandLineOption db(QStringLiteral("db"),
                              QStringLiteral("A SQLite dictionary file instead of the folder's."),
                              QStringLiteral("FILE"));
  const QCommandLineOption maxText(QStringLiteral("max-text"),
                                   QStringLiteral("The text of one request, in KB (default 1024)."),
                                   QStringLiteral("KB"));
  const QCommandLineOption timeout(
      QStringLiteral("timeout"),
      QStringLiteral("The seconds one request may take, and a client may take to send it "
                     "(default 10)."),
      QStringLiteral("S"));
  const QCommandLineOption workers(
      QStringLiteral("workers"),
      QStringLiteral("Connections served at once (default 32); each browser holds one or more."),
      QStringLiteral("N"));
  const QCommandLineOption queued(
      QStringLiteral("queue"),
      QStringLiteral("Connections that may wait for a worker (default 256); more are told the "
                     "server is busy."),
      QStringLiteral("N"));
  const QCommandLineOption conversions(
      QStringLiteral("conversions"),
      QStringLiteral("Conversions run at once (default 2), each keeping an index of the "
                     "dictionary."),
      QStringLiteral("N"));
  parser.addOptions({listen, appDir, db, maxText, timeout, workers, queued, conversions});
  parser.process(app);
  if (!parser.positionalArguments().isEmpty()) {
    std::fprintf(stderr, "ravlek-server: unexpected argument %s\n",
                 qUtf8Printable(parser.positionalArguments().first()));
    return 2;
  }

  const QString address = parser.value(listen);
  const qsizetype colon = address.lastIndexOf(u':');
  bool portOk = false;
  const int port = address.mid(colon + 1).toInt(&portOk);
  QString host = address.left(colon);
  if (host.startsWith(u'[') && host.endsWith(u']')) host = host.mid(1, host.size() - 2);
  if (colon <= 0 || !portOk || port < 0 || port > 65535 || host.isEmpty()) {
    std::fprintf(stderr, "ravlek-server: --listen takes ADDR:PORT, not %s\n",
                 qUtf8Printable(address));
    return 2;
  }
  ravlek::server::ServerLimits limits;
  size_t textKb = limits.textBytes / 1024;
  size_t seconds = 10;
  if (!ReadCount(parser, maxText, 1, 64 * 1024, textKb) ||
      !ReadCount(parser, timeout, 1, 3600, seconds) ||
      !ReadCount(parser, workers, 1, 1024, limits.workers) ||
      !ReadCount(parser, queued, 0, 65536, limits.queued) ||
      !ReadCount(parser, conversions, 1, 64, limits.conversions)) {
    return 2;
  }
  limits.textBytes = textKb * 1024;
  limits.time = std::chrono::seconds(seconds);

  ravlek::server::DictionaryLocation location;
  location.appDir = parser.isSet(appDir) ? parser.value(appDir) : DefaultAppDir();
  location.dbFile = parser.value(db);
  ravlek::server::Dictionary opened(location);
  if (QString error; !opened.Open(error)) {
    std::fprintf(stderr, "ravlek-server: %s\n", qUtf8Printable(error));
    return 1;
  }
  opened.Watch();

  ravlek::server::ClassroomServer server(opened, limits);
  const int bound = server.Bind(host, port);
  if (bound < 0) {
    std::fprintf(stderr, "ravlek-server: cannot listen on %s\n", qUtf8Printable(address));
    return 1;
  }
  const bool ipv6 = host.contains(u':');
  std::printf("ravlek-server: http://%s:%d/\n",
              qUtf8Printable(ipv6 ? QStringLiteral("[%1]").arg(host) : host), bound);
  std::fflush(stdout);
  running = &server;
  dictionary = &opened;
  std::signal(SIGINT, Stop);
  std::signal(SIGTERM, Stop);
  std::signal(SIGHUP, Reload);
  std::signal(SIGPIPE, SIG_IGN);
  const bool served = server.Serve();
  running = nullptr;
  dictionary = nullptr;
  return served ? 0 : 1;
}
