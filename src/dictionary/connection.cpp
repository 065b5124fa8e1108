#include "dictionary/connection.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <atomic>

#include "base/profile.h"

namespace ravlek {
namespace {

TFDConnection::OpenResult Failure(const QString& message) {
  return {TFDConnection::FailureKind::EngineError, message};
}

bool ContainsAny(const QString& text, std::initializer_list<const char*> parts) {
  for (const char* part : parts) {
    if (text.contains(QLatin1String(part), Qt::CaseInsensitive)) return true;
  }
  return false;
}

}  // namespace

TFDConnection::TFDConnection() {
  static std::atomic<int> counter{0};
  connectionName_ = QStringLiteral("ravlek-dictionary-%1").arg(++counter);
}

TFDConnection::~TFDConnection() {
  Close();
}

TFDConnection::OpenResult TFDConnection::Classify(const QSqlError& error) {
  const QString code = error.nativeErrorCode();
  const QString text = error.text();
  // Codes: SQLSTATE (ODBC, PostgreSQL) and MySQL's numbers, which some ODBC drivers pass on.
  if (code == QLatin1String("57014") ||
      ContainsAny(text, {"operation canceled", "operation cancelled", "canceling statement"})) {
    return {FailureKind::Cancelled, QString()};
  }
  if (code == QLatin1String("28000") || code == QLatin1String("28P01") ||
      code == QLatin1String("1045") ||
      ContainsAny(text,
                  {"password authentication failed", "invalid authorization", "invalid password",
                   "login failed", "access denied", "not a valid password"})) {
    return {FailureKind::InvalidLogin, text};
  }
  if (code == QLatin1String("08S01") || code == QLatin1String("08003") ||
      code == QLatin1String("08006") || code == QLatin1String("57P01") ||
      code == QLatin1String("2006") || code == QLatin1String("2013") ||
      ContainsAny(text, {"server closed the connection", "connection lost", "gone away",
                         "communication link failure", "terminating connection",
                         "no connection to the server"})) {
    return {FailureKind::ServerGone, text};
  }
  return {FailureKind::EngineError, text.trimmed()};
}

TFDConnection::OpenResult TFDConnection::Open(const QString& appDir) {
  Close();
  const QString iniPath = QDir(appDir).filePath(QStringLiteral("FDConnectionDefs.ini"));
  const QFileInfo ini(iniPath);
  if (!ini.exists()) {
    return Failure(QStringLiteral("Connection definition file not found: %1").arg(iniPath));
  }
  if (!ini.isFile() || !ini.isReadable()) {
    return Failure(QStringLiteral("Cannot read the connection definition file %1").arg(iniPath));
  }
  const QString section = QString::fromLatin1(kDefinitionName);
  if (!ProfileSectionExists(iniPath, section)) {
    return Failure(
        QStringLiteral("Connection definition [%1] not found in %2").arg(section, iniPath));
  }
  const auto read = [&](const char* key) {
    return ReadProfileString(iniPath, section, QString::fromLatin1(key));
  };
  const QString driverId = read("DriverID");
  const QString driver = driverId.isEmpty() ? QStringLiteral("SQLite") : driverId;
  const QString database = read("Database");
  if (driver.compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
    if (database.isEmpty()) {
      return Failure(QStringLiteral("No Database given in [%1] of %2").arg(section, iniPath));
    }
    return OpenSqliteFile(QDir(appDir).filePath(database));
  }
  if (driver.compare(QLatin1String("ODBC"), Qt::CaseInsensitive) == 0) {
    return OpenWith(QStringLiteral("QODBC"), database, QString(), -1, read("User_Name"));
  }
  if (driver.compare(QLatin1String("PG"), Qt::CaseInsensitive) == 0) {
    return OpenWith(QStringLiteral("QPSQL"), database, read("Server"),
                    ReadProfileInt(iniPath, section, QStringLiteral("Port"), -1),
                    read("User_Name"));
  }
  return Failure(
      QStringLiteral("Unknown DriverID '%1' in [%2] of %3").arg(driver, section, iniPath));
}

TFDConnection::OpenResult TFDConnection::OpenSqliteFile(const QString& path) {
  Close();
  // SQLite would create a missing file as an empty database; a dictionary must exist already.
  const QFileInfo file(path);
  if (!file.exists()) return Failure(QStringLiteral("Database file not found: %1").arg(path));
  if (!file.isFile() || !file.isReadable()) {
    return Failure(QStringLiteral("Cannot read the database file %1").arg(path));
  }
  OpenResult result =
      OpenWith(QStringLiteral("QSQLITE"), file.absoluteFilePath(), QString(), -1, QString());
  if (!result.ok()) return result;
  // SQLite reads the file lazily; a file that is no database shows up at the first statement.
  QSqlQuery probe(Database());
  if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
    result = Classify(probe.lastError());
    result.message = QStringLiteral("%1: %2").arg(path, result.message);
    probe = QSqlQuery();
    Close();
    return result;
  }
  // Every conversion scans the dictionary table once per reading class; with SQLite's default
  // cache of 2 MB a large dictionary's pages are read from the file again on every scan. The
  // cache fills only as pages are read, and SQLite still sees other writers' changes. A file
  // larger than the cache gains nothing from it (each scan pushes out the pages the next one
  // starts with) and would only fill 64 MB of memory while the rows are first read.
  // Such a file is also read through a memory map: its pages come from the system's file cache
  // without a copy into SQLite's, which shortens the first read of every row by a third. (A map
  // fails only when another program cuts the file short in place; our updates and imports
  // rename a new file over it or write through SQLite.)
  constexpr qint64 kCacheKiB = 65536;
  if (file.size() <= kCacheKiB * 1024) {
    probe.exec(QStringLiteral("PRAGMA cache_size = -%1").arg(kCacheKiB));
    probe.exec(QStringLiteral("PRAGMA mmap_size = %1").arg(kCacheKiB * 1024));
  }
  return result;
}

TFDConnection::OpenResult TFDConnection::OpenWith(const QString& driver, const QString& database,
                                                  const QString& host, int port,
                                                  const QString& user) {
  if (!QSqlDatabase::isDriverAvailable(driver)) {
    return Failure(QStringLiteral("The database driver %1 is not available").arg(driver));
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(driver, connectionName_);
  db.setDatabaseName(database);
  if (!host.isEmpty()) db.setHostName(host);
  if (port > 0) db.setPort(port);
  if (!user.isEmpty()) db.setUserName(user);
  db.setPassword(QString::fromLatin1(kPassword));
  if (db.open()) {
    static std::atomic<quint64> opens{0};
    openSerial_ = ++opens;
    return {};
  }
  OpenResult result = Classify(db.lastError());
  if (result.kind == FailureKind::EngineError && result.message.isEmpty()) {
    result.message = QStringLiteral("Cannot open the database %1").arg(database);
  }
  db = QSqlDatabase();
  QSqlDatabase::removeDatabase(connectionName_);
  return result;
}

void TFDConnection::Close() {
  if (!QSqlDatabase::contains(connectionName_)) return;
  {
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    db.close();
  }
  QSqlDatabase::removeDatabase(connectionName_);
}

bool TFDConnection::Connected() const {
  return QSqlDatabase::contains(connectionName_) &&
         QSqlDatabase::database(connectionName_, false).isOpen();
}

QSqlDatabase TFDConnection::Database() const {
  return QSqlDatabase::database(connectionName_, false);
}

QString TFDConnection::ContentStamp() const {
  const QSqlDatabase db = Database();
  if (!db.isOpen() || db.driverName() != QLatin1String("QSQLITE")) return QString();
  // SQLite counts the rows this connection changed and tells when another one committed.
  QSqlQuery query(db);
  if (!query.exec(
          QStringLiteral("SELECT total_changes(), data_version FROM pragma_data_version")) ||
      !query.next()) {
    return QString();
  }
  return QStringLiteral("%1/%2/%3")
      .arg(openSerial_)
      .arg(query.value(0).toLongLong())
      .arg(query.value(1).toLongLong());
}

}  // namespace ravlek
