#pragma once
// The one connection to the dictionary database, opened from the connection definition
// [Connect_RavlekDB] of FDConnectionDefs.ini in the application folder.
//
// Keys of the definition (case-insensitive): DriverID = SQLite (default) | ODBC | PG;
// Database = the database file, relative to the application folder (SQLite), the ODBC
// connection string (ODBC) or the database name (PG); Server, Port, User_Name serve PG.
// The program's fixed password is passed as Password to every driver.

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

namespace ravlek {

class TFDConnection {
 public:
  // The database password is part of the program, the same for every installation.
  static constexpr const char* kPassword = "OstrelTSU@88";
  static constexpr const char* kDefinitionName = "Connect_RavlekDB";

  enum class FailureKind {
    None,          // opened
    Cancelled,     // the attempt was cancelled; carries no message
    InvalidLogin,  // engine error: invalid user name or password
    ServerGone,    // engine error: the connection to the database was lost
    EngineError,   // any other engine error; message holds the engine's text
  };
  struct OpenResult {
    FailureKind kind = FailureKind::None;
    QString message;
    bool ok() const { return kind == FailureKind::None; }
  };

  TFDConnection();
  ~TFDConnection();
  TFDConnection(const TFDConnection&) = delete;
  TFDConnection& operator=(const TFDConnection&) = delete;

  // Reads the definition from <appDir>/FDConnectionDefs.ini and opens the database.
  OpenResult Open(const QString& appDir);
  // Opens a SQLite database file directly (the command line's --db).
  OpenResult OpenSqliteFile(const QString& path);
  void Close();
  bool Connected() const;
  // The Qt SQL handle the datasets run their statements on.
  QSqlDatabase Database() const;

  // A text that changes whenever the database's contents may have changed since it was last
  // taken: rows changed through this connection, a commit by another connection or process, a
  // reopen (another dictionary). Empty where the engine cannot tell (ODBC, PostgreSQL): then
  // nothing read may be kept for later.
  QString ContentStamp() const;

  // The failure kind an engine error stands for (login refused, connection lost, cancelled, or
  // any other error); the message is the engine's text.
  static OpenResult Classify(const QSqlError& error);

 private:
  OpenResult OpenWith(const QString& driver, const QString& database, const QString& host, int port,
                      const QString& user);

  QString connectionName_;
  quint64 openSerial_ = 0;  // which opening of the process this is
};

}  // namespace ravlek
