#include "dictionary/dataset_rows.h"

#include <dlfcn.h>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <charconv>
#include <iterator>
#include <type_traits>
#ifdef RAVLEK_DIRECT_SQLITE
#include <sqlite3.h>
#endif

namespace ravlek {

std::vector<HeldColumn*> HeldRows::SetColumns(const QStringList& names, int keyCount) {
  Clear();
  for (int i = 0; i < names.size(); ++i) {
    if (i < keyCount) {
      keyColumns.emplace_back(names[i]);
      continue;
    }
    fieldNames.append(names[i]);
    if (!fieldByLowerName.contains(names[i].toLower())) {
      fieldByLowerName.insert(names[i].toLower(), static_cast<int>(columns.size()));
    }
    columns.emplace_back(names[i]);
  }
  std::vector<HeldColumn*> targets;
  for (int i = 0; i < names.size(); ++i) {
    targets.push_back(i < keyCount ? &keyColumns[static_cast<size_t>(i)]
                                   : &columns[static_cast<size_t>(i - keyCount)]);
  }
  return targets;
}

void HeldRows::Squeeze() {
  for (HeldColumn& column : columns) column.Squeeze();
  for (HeldColumn& column : keyColumns) column.Squeeze();
}

void HeldRows::Clear() {
  columns.clear();
  keyColumns.clear();
  fieldNames.clear();
  fieldByLowerName.clear();
  rowCount = 0;
}

namespace {

// A UTF-8 decoder for values: each is whole text, not the start of a stream, so a leading U+FEFF
// is part of it.
QStringDecoder WholeValueDecoder() {
  return QStringDecoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
}

#ifdef RAVLEK_DIRECT_SQLITE
bool ReadSqliteRows(sqlite3* sqlite, const QString& sql, int keyCount, HeldRows& rows,
                    QString& error) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare16_v2(sqlite, sql.utf16(), static_cast<int>(sql.size() * 2), &statement,
                           nullptr) != SQLITE_OK) {
    error = QString::fromUtf8(sqlite3_errmsg(sqlite));
    sqlite3_finalize(statement);
    return false;
  }
  const int total = sqlite3_column_count(statement);
  QStringList names;
  for (int i = 0; i < total; ++i) {
    names.append(
        QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(statement, i))));
  }
  const std::vector<HeldColumn*> targets = rows.SetColumns(names, keyCount);
  // Values are taken as SQLite stores them (UTF-8) and decoded once, into the column's buffer.
  QStringDecoder decoder = WholeValueDecoder();
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    for (int i = 0; i < total; ++i) {
      // The value itself, read through sqlite3_value_*: unlike sqlite3_column_*, these take no
      // lock of the connection per call, which only this thread uses while the rows are read.
      sqlite3_value* value = sqlite3_column_value(statement, i);
      const int type = sqlite3_value_type(value);
      if (type == SQLITE_NULL) {
        targets[static_cast<size_t>(i)]->AppendNull();
        continue;
      }
      if (type == SQLITE_INTEGER) {
        // Written here as SQLite would write it, without SQLite turning the value into text in
        // place for every row (the hidden rowid of every row is such a value).
        char digits[24];
        const char* end =
            std::to_chars(digits, digits + sizeof digits, sqlite3_value_int64(value)).ptr;
        targets[static_cast<size_t>(i)]->AppendUtf8(digits, end - digits, decoder);
        continue;
      }
      const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
      const int bytes = sqlite3_value_bytes(value);
      targets[static_cast<size_t>(i)]->AppendUtf8(text, bytes, decoder);
    }
    ++rows.rowCount;
  }
  if (step != SQLITE_DONE) error = QString::fromUtf8(sqlite3_errmsg(sqlite));
  sqlite3_finalize(statement);
  rows.Squeeze();
  return step == SQLITE_DONE;
}
#endif

// libpq as Qt's PostgreSQL driver has loaded it, looked up at run time so that no program links
// it. Declared here with libpq's C interface, which has been stable since PostgreSQL 7.
struct pg_conn;
struct pg_result;
struct Libpq {
  pg_result* (*exec)(pg_conn*, const char*) = nullptr;
  int (*resultStatus)(const pg_result*) = nullptr;
  char* (*resultErrorMessage)(const pg_result*) = nullptr;
  int (*ntuples)(const pg_result*) = nullptr;
  int (*nfields)(const pg_result*) = nullptr;
  char* (*fname)(const pg_result*, int) = nullptr;
  unsigned (*ftype)(const pg_result*, int) = nullptr;
  int (*fformat)(const pg_result*, int) = nullptr;
  char* (*getvalue)(const pg_result*, int, int) = nullptr;
  int (*getlength)(const pg_result*, int, int) = nullptr;
  int (*getisnull)(const pg_result*, int, int) = nullptr;
  void (*clear)(pg_result*) = nullptr;

  // Null when the driver's libpq is not loaded or lacks a function.
  static const Libpq* Loaded() {
    static const Libpq libpq = [] {
      Libpq found;
      void* library = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
      if (library == nullptr) return found;
      const auto take = [library](auto& function, const char* name) {
        function =
            reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
        return function != nullptr;
      };
      const bool all = take(found.exec, "PQexec") && take(found.resultStatus, "PQresultStatus") &&
                       take(found.resultErrorMessage, "PQresultErrorMessage") &&
                       take(found.ntuples, "PQntuples") && take(found.nfields, "PQnfields") &&
                       take(found.fname, "PQfname") && take(found.ftype, "PQftype") &&
                       take(found.fformat, "PQfformat") && take(found.getvalue, "PQgetvalue") &&
                       take(found.getlength, "PQgetlength") &&
                       take(found.getisnull, "PQgetisnull") && take(found.clear, "PQclear");
      if (!all) found.exec = nullptr;
      return found;
    }();
    return libpq.exec != nullptr ? &libpq : nullptr;
  }
};

// Types whose text form is the one Qt's driver would give as a string: text and integers. Any
// other (a boolean is "t" in libpq, "true" through Qt) leaves the table to Qt's driver.
bool ReadAsText(unsigned type) {
  constexpr unsigned kTextTypes[] = {
      25 /* text */, 1043 /* varchar */, 1042 /* bpchar */, 19 /* name */,
      20 /* int8 */, 21 /* int2 */,      23 /* int4 */,     26 /* oid */};
  return std::find(std::begin(kTextTypes), std::end(kTextTypes), type) != std::end(kTextTypes);
}

// Reads the whole result in one piece, as Qt's driver does, and decodes each value once into its
// column's buffer. False, with nothing held and no error, when the result has a column of
// another type or the statement could not be sent on the connection as it stands: the caller
// then reads through Qt's driver, which reports any error.
bool ReadPostgresRows(pg_conn* connection, const QString& sql, int keyCount, HeldRows& rows) {
  const Libpq* pq = Libpq::Loaded();
  if (pq == nullptr) return false;
  pg_result* result = pq->exec(connection, sql.toUtf8().constData());
  constexpr int kTuplesOk = 2;
  if (result == nullptr) return false;
  const int total = pq->nfields(result);
  bool readable = pq->resultStatus(result) == kTuplesOk;
  for (int i = 0; readable && i < total; ++i) {
    readable = pq->fformat(result, i) == 0 && ReadAsText(pq->ftype(result, i));
  }
  if (!readable) {
    pq->clear(result);
    return false;
  }
  QStringList names;
  for (int i = 0; i < total; ++i) names.append(QString::fromUtf8(pq->fname(result, i)));
  const std::vector<HeldColumn*> targets = rows.SetColumns(names, keyCount);
  QStringDecoder decoder = WholeValueDecoder();
  const int count = pq->ntuples(result);
  for (int row = 0; row < count; ++row) {
    for (int i = 0; i < total; ++i) {
      if (pq->getisnull(result, row, i)) {
        targets[static_cast<size_t>(i)]->AppendNull();
      } else {
        targets[static_cast<size_t>(i)]->AppendUtf8(pq->getvalue(result, row, i),
                                                    pq->getlength(result, row, i), decoder);
      }
    }
    ++rows.rowCount;
  }
  pq->clear(result);
  rows.Squeeze();
  return true;
}

}  // namespace

bool ReadRows(QSqlDatabase& db, const QString& sql, int keyCount, HeldRows& rows, QString& error) {
#ifdef RAVLEK_DIRECT_SQLITE
  // SQLite's own interface hands each value over as UTF-16 without a QVariant or QString per
  // value, which makes reading a large table several times faster.
  if (const QVariant sqliteHandle = db.driver()->handle();
      sqliteHandle.isValid() && qstrcmp(sqliteHandle.typeName(), "sqlite3*") == 0) {
    sqlite3* sqlite = *static_cast<sqlite3* const*>(sqliteHandle.constData());
    if (sqlite) return ReadSqliteRows(sqlite, sql, keyCount, rows, error);
  }
#endif
  // The same for libpq's result, without a QVariant and a QString per value.
  const QVariant handle = db.driver()->handle();
  if (handle.isValid() &&
      (qstrcmp(handle.typeName(), "pg_conn*") == 0 || qstrcmp(handle.typeName(), "PGconn*") == 0)) {
    auto* connection = *static_cast<pg_conn* const*>(handle.constData());
    if (connection != nullptr && ReadPostgresRows(connection, sql, keyCount, rows)) return true;
    rows.Clear();
  }
  QSqlQuery query(db);
  // Forward-only makes Qt's PostgreSQL driver fetch one row per round trip; the whole result in
  // one piece reads 100,000 rows several times faster there.
  query.setForwardOnly(db.driverName() != QLatin1String("QPSQL"));
  if (!query.exec(sql)) {
    error = query.lastError().text().trimmed();
    return false;
  }
  const QSqlRecord record = query.record();
  const int total = record.count();
  QStringList names;
  for (int i = 0; i < total; ++i) names.append(record.fieldName(i));
  rows.SetColumns(names, keyCount);
  while (query.next()) {
    for (int i = 0; i < total; ++i) {
      HeldColumn& column = i < keyCount ? rows.keyColumns[static_cast<size_t>(i)]
                                        : rows.columns[static_cast<size_t>(i - keyCount)];
      const QVariant value = query.value(i);
      if (value.isNull()) {
        column.AppendNull();
      } else {
        column.Append(value.toString());
      }
    }
    ++rows.rowCount;
  }
  if (query.lastError().isValid()) {
    error = query.lastError().text().trimmed();
    return false;
  }
  rows.Squeeze();
  return true;
}

}  // namespace ravlek
