#include "postgres_server.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QProcess>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <algorithm>
#include <atomic>

#include "base/error.h"
#include "base/profile.h"

namespace ravlek::test {
namespace {

// The folder holding initdb and pg_ctl: Debian's versioned folders first (newest), then PATH.
QString ServerProgramFolder() {
  QStringList versions =
      QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
  std::sort(versions.begin(), versions.end(),
            [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
  for (const QString& version : versions) {
    const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(version);
    if (QFile::exists(bin + QStringLiteral("/initdb")) &&
        QFile::exists(bin + QStringLiteral("/pg_ctl"))) {
      return bin;
    }
  }
  const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
  if (!initdb.isEmpty() && !QStandardPaths::findExecutable(QStringLiteral("pg_ctl")).isEmpty()) {
    return QFileInfo(initdb).absolutePath();
  }
  return QString();
}

void Exec(QSqlQuery& query, const QString& sql) {
  if (!query.exec(sql)) {
    throw Error(QStringLiteral("%1: %2").arg(sql.left(200), query.lastError().text()));
  }
}

// PostgreSQL's reserved words among the names a dictionary may use.
bool Reserved(const QString& name) {
  static const QStringList words = {QStringLiteral("desc"),  QStringLiteral("order"),
                                    QStringLiteral("group"), QStringLiteral("user"),
                                    QStringLiteral("table"), QStringLiteral("select")};
  return words.contains(name.toLower());
}

QString ColumnName(const QString& name) {
  return Reserved(name) ? QLatin1Char('"') + name + QLatin1Char('"') : name.toLower();
}

}  // namespace

PostgresServer::~PostgresServer() {
  Stop();
}

bool PostgresServer::Run(const QString& program, const QStringList& arguments,
                         QString& output) const {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  const QString path = bin_ + QLatin1Char('/') + program;
  if (asPostgresUser_) {
    process.start(QStringLiteral("runuser"),
                  QStringList{QStringLiteral("-u"), user_, QStringLiteral("--"), path} + arguments);
  } else {
    process.start(path, arguments);
  }
  const bool finished = process.waitForFinished(120000);
  output = QString::fromLocal8Bit(process.readAll());
  if (!finished) {
    process.kill();
    process.waitForFinished();
    output += QStringLiteral("\n(timed out)");
    return false;
  }
  return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool PostgresServer::Start(QString& why, bool& unavailable) {
  unavailable = false;
  bin_ = ServerProgramFolder();
  if (bin_.isEmpty()) {
    unavailable = true;
    why = QStringLiteral(
        "PostgreSQL server programs (initdb, pg_ctl) not found: install the postgresql package "
        "(scripts/setup does)");
    return false;
  }
  folder_ = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/ravlek-pg-XXXXXX"));
  if (!folder_->isValid()) {
    why = QStringLiteral("cannot create a temporary folder for the server");
    return false;
  }
  asPostgresUser_ = geteuid() == 0;
  if (asPostgresUser_) {
    const passwd* account = getpwnam("postgres");
    if (!account) {
      why =
          QStringLiteral("running as root, and there is no postgres system user to run the server");
      return false;
    }
    user_ = QStringLiteral("postgres");
    if (chown(QFile::encodeName(folder_->path()).constData(), account->pw_uid, account->pw_gid) !=
        0) {
      why = QStringLiteral("cannot give the server folder to the postgres user");
      return false;
    }
  } else {
    const passwd* account = getpwuid(geteuid());
    user_ = account ? QString::fromLocal8Bit(account->pw_name) : QStringLiteral("postgres");
  }

  const QString data = folder_->filePath(QStringLiteral("data"));
  QString output;
  if (!Run(QStringLiteral("initdb"),
           {QStringLiteral("-D"), data, QStringLiteral("-U"), user_, QStringLiteral("-A"),
            QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
            QStringLiteral("--locale=C"), QStringLiteral("--no-sync")},
           output)) {
    why = QStringLiteral("initdb failed: ") + output;
    return false;
  }
  // Only the socket in the private folder: no TCP port, so no run can meet another's server.
  const QString options =
      QStringLiteral("-k %1 -c listen_addresses= -p %2 -c fsync=off -c full_page_writes=off")
          .arg(folder_->path())
          .arg(Port());
  if (!Run(QStringLiteral("pg_ctl"),
           {QStringLiteral("-D"), data, QStringLiteral("-l"),
            folder_->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
            QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
            QStringLiteral("start")},
           output)) {
    QFile log(folder_->filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    why = QStringLiteral("pg_ctl start failed: ") + output + QString::fromLocal8Bit(log.readAll());
    return false;
  }
  running_ = true;
  return true;
}

void PostgresServer::Stop() {
  if (!running_) return;
  QString output;
  Run(QStringLiteral("pg_ctl"),
      {QStringLiteral("-D"), folder_->filePath(QStringLiteral("data")), QStringLiteral("-m"),
       QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")},
      output);
  running_ = false;
}

QSqlDatabase PostgresServer::Connect(const QString& database, const QString& connectionName) const {
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
  db.setHostName(Host());
  db.setPort(Port());
  db.setUserName(user_);
  db.setDatabaseName(database);
  if (!db.open()) {
    throw Error(QStringLiteral("cannot connect to PostgreSQL database %1: %2")
                    .arg(database, db.lastError().text()));
  }
  return db;
}

void PostgresServer::CreateDatabase(const QString& name) const {
  static std::atomic<int> counter{0};
  const QString connection = QStringLiteral("ravlek-pg-admin-%1").arg(++counter);
  {
    QSqlDatabase db = Connect(QStringLiteral("postgres"), connection);
    QSqlQuery query(db);
    Exec(query, QStringLiteral("CREATE DATABASE %1 ENCODING 'UTF8' TEMPLATE template0").arg(name));
  }
  QSqlDatabase::removeDatabase(connection);
}

void PostgresServer::WriteConnectionDefs(const QString& appDir, const QString& database) const {
  const QString ini = QDir(appDir).filePath(QStringLiteral("FDConnectionDefs.ini"));
  const QString section = QStringLiteral("Connect_RavlekDB");
  const std::pair<const char*, QString> keys[] = {{"DriverID", QStringLiteral("PG")},
                                                  {"Database", database},
                                                  {"Server", Host()},
                                                  {"Port", QString::number(Port())},
                                                  {"User_Name", user_}};
  for (const auto& [key, value] : keys) {
    if (!WriteProfileString(ini, section, QString::fromLatin1(key), value)) {
      throw Error(QStringLiteral("cannot write %1").arg(ini));
    }
  }
}

void CopyDictionaryToPostgres(const QString& sqliteFile, QSqlDatabase& db) {
  static std::atomic<int> counter{0};
  const QString source = QStringLiteral("ravlek-pg-source-%1").arg(++counter);
  {
    QSqlDatabase lite = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), source);
    lite.setDatabaseName(sqliteFile);
    if (!lite.open()) throw Error(lite.lastError().text());
    QSqlQuery target(db);
    QSqlDriver* driver = db.driver();
    if (!db.transaction()) throw Error(db.lastError().text());
    for (const QString& table : {QStringLiteral("RavlekTable"), QStringLiteral("BaseWords"),
                                 QStringLiteral("BaseWordsPlus")}) {
      QSqlQuery rows(lite);
      rows.setForwardOnly(true);
      Exec(rows, QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
      const QSqlRecord record = rows.record();
      QStringList columns;
      QStringList definitions = {QStringLiteral("id integer PRIMARY KEY")};
      for (int i = 0; i < record.count(); ++i) {
        columns.append(ColumnName(record.fieldName(i)));
        definitions.append(columns.last() + QStringLiteral(" text"));
      }
      Exec(target, QStringLiteral("CREATE TABLE %1 (%2)").arg(table, definitions.join(", ")));
      const QString insert = QStringLiteral("INSERT INTO %1 (id, %2) VALUES ")
                                 .arg(table, columns.join(QStringLiteral(", ")));
      // Many rows per statement: one statement per row would take seconds for 100,000 rows.
      QStringList values;
      int id = 0;
      const auto flush = [&] {
        if (values.isEmpty()) return;
        Exec(target, insert + values.join(QLatin1Char(',')));
        values.clear();
      };
      QSqlField field(QStringLiteral("v"), QMetaType(QMetaType::QString));
      while (rows.next()) {
        QStringList row = {QString::number(++id)};
        for (int i = 0; i < record.count(); ++i) {
          const QVariant value = rows.value(i);
          field.setValue(value.isNull() ? QVariant(QMetaType(QMetaType::QString))
                                        : QVariant(value.toString()));
          row.append(driver->formatValue(field));
        }
        values.append(QLatin1Char('(') + row.join(QLatin1Char(',')) + QLatin1Char(')'));
        if (values.size() == 500) flush();
      }
      flush();
    }
    if (!db.commit()) throw Error(db.lastError().text());
  }
  QSqlDatabase::removeDatabase(source);
}

}  // namespace ravlek::test
