#include "dictionary/dataset_rows.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#ifdef RAVLEK_DIRECT_SQLITE
#include <sqlite3.h>
#endif

namespace ravlek {

void HeldRows::SetColumns(const QStringList& names, int keyCount) {
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
  rows.SetColumns(names, keyCount);
  std::vector<HeldColumn*> targets;
  for (int i = 0; i < total; ++i) {
    targets.push_back(i < keyCount ? &rows.keyColumns[static_cast<size_t>(i)]
                                   : &rows.columns[static_cast<size_t>(i - keyCount)]);
  }
  // Values are taken as SQLite stores them (UTF-8) and decoded once, into the column's buffer.
  // Each value is whole text, not the start of a stream: a leading U+FEFF is part of it.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
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

}  // namespace

bool ReadRows(QSqlDatabase& db, const QString& sql, int keyCount, HeldRows& rows, QString& error) {
#ifdef RAVLEK_DIRECT_SQLITE
  // SQLite's own interface hands each value over as UTF-16 without a QVariant or QString per
  // value, which makes reading a large table several times faster.
  const QVariant handle = db.driver()->handle();
  if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.constData());
    if (sqlite) return ReadSqliteRows(sqlite, sql, keyCount, rows, error);
  }
#endif
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
