#pragma once
// A private PostgreSQL server for tests and benchmarks: initdb and pg_ctl in a temporary folder,
// listening only on a Unix socket in that folder. When the test runs as root (initdb refuses
// root) the server runs as the `postgres` system user, in a folder that user owns.

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace ravlek::test {

class PostgresServer {
 public:
  PostgresServer() = default;
  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  // Starts the server. Returns false with why when it could not; `unavailable` is then true when
  // the server programs (Debian's postgresql package) are absent, the only reason to skip.
  bool Start(QString& why, bool& unavailable);

  // The socket folder (the host name to connect to), the port, and the user that may connect.
  QString Host() const { return folder_ ? folder_->path() : QString(); }
  int Port() const { return 5432; }
  QString User() const { return user_; }

  // Creates an empty UTF-8 database; raises ravlek::Error.
  void CreateDatabase(const QString& name) const;
  // Opens a Qt SQL connection to a database of this server under connectionName; raises Error.
  QSqlDatabase Connect(const QString& database, const QString& connectionName) const;

  // Writes <appDir>/FDConnectionDefs.ini naming the database on this server (DriverID=PG).
  void WriteConnectionDefs(const QString& appDir, const QString& database) const;

 private:
  bool Run(const QString& program, const QStringList& arguments, QString& output) const;
  void Stop();

  std::unique_ptr<QTemporaryDir> folder_;
  QString bin_;
  QString user_;
  bool asPostgresUser_ = false;
  bool running_ = false;
};

// Copies RavlekTable, BaseWords and BaseWordsPlus of a SQLite dictionary file into the PostgreSQL
// database db, in rowid order, each table with an integer primary key `id` first (the order that
// statements without a sort clause keep on servers without a rowid). Column names are written as
// PostgreSQL folds them (lower case) except reserved words such as Desc, which keep their case.
// Raises ravlek::Error.
void CopyDictionaryToPostgres(const QString& sqliteFile, QSqlDatabase& db);

}  // namespace ravlek::test
