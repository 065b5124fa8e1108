#include "dictionary/dataset.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <charconv>
#include <vector>
#ifdef RAVLEK_DIRECT_SQLITE
#include <sqlite3.h>
#endif

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/filter.h"
#include "dictionary/held_rows.h"

namespace ravlek {
namespace {

// Prefix of the hidden columns that carry each row's key; no dictionary field is named so.
constexpr char kKeyAlias[] = "ravlek_row_key_";

// The table a plain single-table statement reads, or empty when the statement is anything else
// (joins, unions, grouping, DISTINCT), whose rows cannot be tied to one table row.
QString SingleTable(const QString& statement) {
  static const QRegularExpression shape(
      QStringLiteral(
          R"(^\s*select\s+(.+?)\s+from\s+([A-Za-z_][A-Za-z0-9_]*)\s*(\bwhere\b.*|\border\b.*)?$)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression unsafe(
      QStringLiteral(R"(\b(distinct|join|union|group|intersect|except)\b)"),
      QRegularExpression::CaseInsensitiveOption);
  const auto match = shape.match(statement);
  if (!match.hasMatch() || unsafe.match(statement).hasMatch()) return QString();
  return match.captured(2);
}

// The statement with the key columns placed first under the hidden alias.
QString WithKeyColumns(const QString& statement, const QStringList& keyExpressions) {
  static const QRegularExpression select(QStringLiteral(R"(^\s*select\s+)"),
                                         QRegularExpression::CaseInsensitiveOption);
  const auto match = select.match(statement);
  QString columns;
  for (int i = 0; i < keyExpressions.size(); ++i) {
    columns +=
        QStringLiteral("%1 AS %2%3, ").arg(keyExpressions[i], QLatin1String(kKeyAlias)).arg(i);
  }
  return statement.left(match.capturedEnd()) + columns + statement.mid(match.capturedEnd());
}

// The statement as run: without a sort clause of its own its rows come in table order (the key's
// order), whatever index the engine might otherwise scan. The statement's own text is unchanged.
QString InTableOrder(const QString& statement, int keyCount) {
  static const QRegularExpression literal(QStringLiteral(R"('(?:[^']|'')*')"));
  static const QRegularExpression ordered(QStringLiteral(R"(\b(order\s+by|limit|offset)\b)"),
                                          QRegularExpression::CaseInsensitiveOption);
  if (keyCount == 0 || ordered.match(QString(statement).remove(literal)).hasMatch()) {
    return statement;
  }
  QString body = statement;
  while (!body.isEmpty() && (body.back().isSpace() || body.back() == QLatin1Char(';'))) {
    body.chop(1);
  }
  QStringList keys;
  for (int i = 0; i < keyCount; ++i) keys.append(QLatin1String(kKeyAlias) + QString::number(i));
  return body + QStringLiteral(" ORDER BY ") + keys.join(QStringLiteral(", "));
}

struct BusyScope {
  BusyScope() {
    if (TFDQuery::OnBusy) TFDQuery::OnBusy(true);
  }
  ~BusyScope() {
    if (TFDQuery::OnBusy) TFDQuery::OnBusy(false);
  }
};

}  // namespace

struct TFDQuery::Impl {
  Impl(TFDConnection& c, QString n, QString s)
      : connection(c), name(std::move(n)), statement(std::move(s)) {}

  TFDConnection& connection;
  QString name;
  QString statement;
  bool active = false;

  QString filterText;
  FilterExpression expression;
  bool filtered = false;
  CompiledFilter compiled;

  std::vector<HeldColumn> columns;  // the statement's fields, in column order
  QStringList fieldNames;
  QHash<QString, int> fieldByLowerName;
  int rowCount = 0;

  // How a held row is tied to its table row: hidden key columns and the table's key fields.
  QString table;
  QStringList keyFields;  // "rowid" or the primary key's fields
  std::vector<HeldColumn> keyColumns;

  std::vector<int> passing;
  int current = -1;
  quint64 rowsVersion = 0;

  // The pending edit of the current row: field index and text, in the order typed.
  std::vector<std::pair<int, QString>> pending;

  [[noreturn]] void Fail(const QString& message) const {
    throw Error(QStringLiteral("%1: %2").arg(name, message));
  }

  int FieldIndex(const QString& field) const { return fieldByLowerName.value(field.toLower(), -1); }

  const QString* PendingText(int passingIndex, int field) const {
    if (passingIndex != current) return nullptr;
    for (const auto& edit : pending) {
      if (edit.first == field) return &edit.second;
    }
    return nullptr;
  }

  CompiledFilter Compile(const FilterExpression& parsed) const {
    return CompiledFilter(parsed, [this](const QString& field) -> const HeldColumn* {
      const int index = FieldIndex(field);
      return index < 0 ? nullptr : &columns[static_cast<size_t>(index)];
    });
  }

  void Select() {
    if (filtered) {
      compiled.Select(rowCount, passing);
    } else {
      CompiledFilter().Select(rowCount, passing);
    }
    current = passing.empty() ? -1 : 0;
    ++rowsVersion;
  }

  void Load();
  void SetColumns(const QStringList& names, int keyCount);
  // Runs the statement and holds its rows; false with the engine's message when it fails.
  bool ReadRows(QSqlDatabase& db, const QString& sql, int keyCount, QString& error);
#ifdef RAVLEK_DIRECT_SQLITE
  bool ReadSqliteRows(sqlite3* sqlite, const QString& sql, int keyCount, QString& error);
#endif
  void Store(const std::function<void()>& onUpdateData);
};

void TFDQuery::Impl::Load() {
  QSqlDatabase db = connection.Database();
  if (!db.isOpen()) Fail(QStringLiteral("no connection to the database"));
  BusyScope busy;

  table = SingleTable(statement);
  QStringList keyExpressions;
  QString keyed = statement;
  if (!table.isEmpty()) {
    QSqlDriver* driver = db.driver();
    QSqlIndex primary = db.primaryIndex(table);
    // PostgreSQL folds an unquoted name to lower case, which Qt's lookup of the key does not.
    if (primary.isEmpty() && db.driverName() == QLatin1String("QPSQL")) {
      primary = db.primaryIndex(table.toLower());
    }
    for (int i = 0; i < primary.count(); ++i) {
      keyExpressions.append(driver->escapeIdentifier(primary.fieldName(i), QSqlDriver::FieldName));
    }
    if (keyExpressions.isEmpty()) keyExpressions.append(QStringLiteral("rowid"));
    // Without a sort clause the rows come in the table's order whatever the engine would do:
    // SQLite may scan an index a user added, and a server such as PostgreSQL returns a row it has
    // updated at the end.
    keyed = InTableOrder(WithKeyColumns(statement, keyExpressions),
                         static_cast<int>(keyExpressions.size()));
  }

  // The statement with its key columns first; an engine without rowid runs the plain statement,
  // whose rows can then be shown but not written back.
  QString error;
  int keyCount = static_cast<int>(keyExpressions.size());
  if (keyCount == 0 || !ReadRows(db, keyed, keyCount, error)) {
    keyCount = 0;
    if (!ReadRows(db, statement, 0, error)) {
      Fail(error.isEmpty() ? QStringLiteral("the statement failed") : error);
    }
  }
  keyFields = keyCount > 0 ? keyExpressions : QStringList();
}

void TFDQuery::Impl::SetColumns(const QStringList& names, int keyCount) {
  columns.clear();
  keyColumns.clear();
  fieldNames.clear();
  fieldByLowerName.clear();
  rowCount = 0;
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

bool TFDQuery::Impl::ReadRows(QSqlDatabase& db, const QString& sql, int keyCount, QString& error) {
#ifdef RAVLEK_DIRECT_SQLITE
  // SQLite's own interface hands each value over as UTF-16 without a QVariant or QString per
  // value, which makes reading a large table several times faster.
  const QVariant handle = db.driver()->handle();
  if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
    sqlite3* sqlite = *static_cast<sqlite3* const*>(handle.constData());
    if (sqlite) return ReadSqliteRows(sqlite, sql, keyCount, error);
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
  SetColumns(names, keyCount);
  while (query.next()) {
    for (int i = 0; i < total; ++i) {
      HeldColumn& column = i < keyCount ? keyColumns[static_cast<size_t>(i)]
                                        : columns[static_cast<size_t>(i - keyCount)];
      const QVariant value = query.value(i);
      if (value.isNull()) {
        column.AppendNull();
      } else {
        column.Append(value.toString());
      }
    }
    ++rowCount;
  }
  if (query.lastError().isValid()) {
    error = query.lastError().text().trimmed();
    return false;
  }
  return true;
}

#ifdef RAVLEK_DIRECT_SQLITE
bool TFDQuery::Impl::ReadSqliteRows(sqlite3* sqlite, const QString& sql, int keyCount,
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
  SetColumns(names, keyCount);
  std::vector<HeldColumn*> targets;
  for (int i = 0; i < total; ++i) {
    targets.push_back(i < keyCount ? &keyColumns[static_cast<size_t>(i)]
                                   : &columns[static_cast<size_t>(i - keyCount)]);
  }
  // Values are taken as SQLite stores them (UTF-8) and decoded once, into the column's buffer.
  // Each value is whole text, not the start of a stream: a leading U+FEFF is part of it.
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
  int step = SQLITE_ROW;
  while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
    for (int i = 0; i < total; ++i) {
      const int type = sqlite3_column_type(statement, i);
      if (type == SQLITE_NULL) {
        targets[static_cast<size_t>(i)]->AppendNull();
        continue;
      }
      if (type == SQLITE_INTEGER) {
        // Written here as SQLite would write it, without SQLite turning the value into text in
        // place for every row (the hidden rowid of every row is such a value).
        char digits[24];
        const char* end =
            std::to_chars(digits, digits + sizeof digits, sqlite3_column_int64(statement, i)).ptr;
        targets[static_cast<size_t>(i)]->AppendUtf8(digits, end - digits, decoder);
        continue;
      }
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
      const int bytes = sqlite3_column_bytes(statement, i);
      targets[static_cast<size_t>(i)]->AppendUtf8(text, bytes, decoder);
    }
    ++rowCount;
  }
  if (step != SQLITE_DONE) error = QString::fromUtf8(sqlite3_errmsg(sqlite));
  sqlite3_finalize(statement);
  return step == SQLITE_DONE;
}
#endif

void TFDQuery::Impl::Store(const std::function<void()>& onUpdateData) {
  if (pending.empty() || current < 0) return;
  if (onUpdateData) onUpdateData();
  if (pending.empty()) return;
  if (keyFields.isEmpty()) {
    Fail(QStringLiteral("the edited row cannot be written back: its table row is not known"));
  }
  QSqlDatabase db = connection.Database();
  if (!db.isOpen()) Fail(QStringLiteral("no connection to the database"));
  QSqlDriver* driver = db.driver();
  const int row = passing[static_cast<size_t>(current)];
  QStringList assignments;
  QStringList fields;
  for (const auto& edit : pending) {
    fields.append(driver->escapeIdentifier(fieldNames[edit.first], QSqlDriver::FieldName));
    assignments.append(fields.last() + QStringLiteral("=?"));
  }
  // The row by its key; the key fields were escaped when the rows were read.
  QStringList keyConditions;
  for (const QString& key : keyFields) keyConditions.append(key + QStringLiteral("=?"));
  // An edited field must still hold what was read: someone else's change is never overwritten
  // without notice.
  QStringList conditions = keyConditions;
  for (qsizetype i = 0; i < fields.size(); ++i) {
    const bool wasNull =
        columns[static_cast<size_t>(pending[static_cast<size_t>(i)].first)].IsNull(row);
    conditions.append(fields[i] + (wasNull ? QStringLiteral(" IS NULL") : QStringLiteral("=?")));
  }
  const auto bindKey = [&](QSqlQuery& query) {
    for (size_t i = 0; i < keyColumns.size(); ++i) {
      // A key value is bound as it was read: the rowid as a number, key fields as text.
      if (keyColumns[i].IsNull(row)) {
        query.addBindValue(QVariant(QMetaType(QMetaType::QString)));
      } else if (keyFields[static_cast<qsizetype>(i)] == QLatin1String("rowid")) {
        query.addBindValue(keyColumns[i].View(row).toString().toLongLong());
      } else {
        query.addBindValue(keyColumns[i].View(row).toString());
      }
    }
  };
  BusyScope busy;
  QSqlQuery update(db);
  const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                          .arg(table, assignments.join(QStringLiteral(", ")),
                               conditions.join(QStringLiteral(" AND ")));
  if (!update.prepare(sql)) Fail(update.lastError().text().trimmed());
  // An emptied text is stored as empty text, never as null.
  for (const auto& edit : pending) {
    update.addBindValue(edit.second.isNull() ? QStringLiteral("") : edit.second);
  }
  bindKey(update);
  for (const auto& edit : pending) {
    const HeldColumn& column = columns[static_cast<size_t>(edit.first)];
    if (!column.IsNull(row)) update.addBindValue(column.View(row).toString());
  }
  if (!update.exec()) Fail(update.lastError().text().trimmed());
  if (update.numRowsAffected() > 0) {
    for (const auto& edit : pending) {
      columns[static_cast<size_t>(edit.first)].Replace(row, edit.second);
    }
    pending.clear();
    return;
  }

  // Nothing was written: the row is gone, or one of the fields changed since it was read.
  QSqlQuery now(db);
  if (!now.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3")
                       .arg(fields.join(QStringLiteral(", ")), table,
                            keyConditions.join(QStringLiteral(" AND "))))) {
    Fail(now.lastError().text().trimmed());
  }
  bindKey(now);
  if (!now.exec()) Fail(now.lastError().text().trimmed());
  if (!now.next()) Fail(QStringLiteral("the edited row is no longer in table %1").arg(table));
  // The held values become what the table holds now, so that a second store, after the user was
  // told, writes the typed text; an edit that equals the other user's text is no edit any more.
  std::vector<std::pair<int, QString>> kept;
  for (size_t i = 0; i < pending.size(); ++i) {
    HeldColumn& column = columns[static_cast<size_t>(pending[i].first)];
    const QVariant value = now.value(static_cast<int>(i));
    if (value.isNull()) {
      column.ReplaceNull(row);
    } else {
      column.Replace(row, value.toString());
    }
    if (column.View(row) != QStringView(pending[i].second)) kept.push_back(pending[i]);
  }
  pending = std::move(kept);
  if (pending.empty()) return;
  throw Error(kEditConflictMessage);
}

TFDQuery::TFDQuery(TFDConnection& connection, QString name, QString statement)
    : d_(std::make_unique<Impl>(connection, std::move(name), std::move(statement))) {}

TFDQuery::~TFDQuery() {
  try {
    d_->Store(OnUpdateData);
  } catch (const Error&) {
    // Nothing can report it any more; the caller posts before it lets a dataset go.
  }
}

const QString& TFDQuery::Name() const {
  return d_->name;
}

void TFDQuery::SetSQL(const QString& statement) {
  if (d_->active) d_->Fail(QStringLiteral("the statement can only be changed while closed"));
  d_->statement = statement;
}

void TFDQuery::Open() {
  if (d_->active) return;
  try {
    d_->Load();
    if (d_->filtered) d_->compiled = d_->Compile(d_->expression);
  } catch (const Error&) {
    d_->columns.clear();
    d_->keyColumns.clear();
    d_->rowCount = 0;
    throw;
  }
  d_->active = true;
  d_->Select();
  if (OnDataChange) OnDataChange();
}

void TFDQuery::Close() {
  if (!d_->active) return;
  d_->Store(OnUpdateData);
  d_->active = false;
  d_->columns.clear();
  d_->keyColumns.clear();
  d_->rowCount = 0;
  d_->passing.clear();
  d_->current = -1;
  ++d_->rowsVersion;
  if (OnDataChange) OnDataChange();
}

bool TFDQuery::Active() const {
  return d_->active;
}

void TFDQuery::FilterOff() {
  d_->Store(OnUpdateData);
  d_->filtered = false;
  if (!d_->active) return;
  d_->Select();
  if (OnDataChange) OnDataChange();
}

void TFDQuery::SetFilter(const QString& expression) {
  // An expression that cannot be read or names an unknown field changes nothing.
  FilterExpression parsed = FilterExpression::Parse(expression);
  const bool apply = d_->active && d_->filtered;
  CompiledFilter compiled = apply ? d_->Compile(parsed) : CompiledFilter();
  d_->Store(OnUpdateData);
  d_->filterText = expression;
  d_->expression = std::move(parsed);
  if (!apply) return;
  d_->compiled = std::move(compiled);
  d_->Select();
  if (OnDataChange) OnDataChange();
}

void TFDQuery::FilterOn() {
  CompiledFilter compiled = d_->active ? d_->Compile(d_->expression) : CompiledFilter();
  d_->Store(OnUpdateData);
  d_->compiled = std::move(compiled);
  d_->filtered = true;
  if (!d_->active) return;
  d_->Select();
  if (OnDataChange) OnDataChange();
}

const QString& TFDQuery::Filter() const {
  return d_->filterText;
}

bool TFDQuery::FindFirst() {
  if (d_->passing.empty()) return false;
  if (d_->current != 0) {
    d_->Store(OnUpdateData);
    d_->current = 0;
  }
  if (OnDataChange) OnDataChange();
  return true;
}

bool TFDQuery::FindNext() {
  if (d_->current < 0 || d_->current + 1 >= static_cast<int>(d_->passing.size())) return false;
  d_->Store(OnUpdateData);
  ++d_->current;
  if (OnDataChange) OnDataChange();
  return true;
}

QString TFDQuery::FieldByName(const QString& field) const {
  const int index = d_->FieldIndex(field);
  if (index < 0) d_->Fail(QStringLiteral("Field '%1' not found").arg(field));
  if (d_->current < 0) return QString();
  return Text(d_->current, index);
}

int TFDQuery::RecordCount() const {
  return static_cast<int>(d_->passing.size());
}

int TFDQuery::RecNo() const {
  return d_->current;
}

void TFDQuery::SetRecNo(int passingIndex) {
  if (passingIndex == d_->current) return;
  if (passingIndex < 0 || passingIndex >= RecordCount()) {
    d_->Fail(QStringLiteral("row %1 is not among the %2 rows shown")
                 .arg(passingIndex)
                 .arg(RecordCount()));
  }
  d_->Store(OnUpdateData);
  d_->current = passingIndex;
  if (OnDataChange) OnDataChange();
}

QStringList TFDQuery::FieldNames() const {
  return d_->fieldNames;
}

int TFDQuery::FieldIndex(const QString& field) const {
  return d_->FieldIndex(field);
}

QString TFDQuery::Text(int passingIndex, int fieldIndex) const {
  return TextView(passingIndex, fieldIndex).toString();
}

QStringView TFDQuery::TextView(int passingIndex, int fieldIndex) const {
  if (passingIndex < 0 || passingIndex >= RecordCount() || fieldIndex < 0 ||
      fieldIndex >= static_cast<int>(d_->columns.size())) {
    return QStringView();
  }
  if (const QString* edited = d_->PendingText(passingIndex, fieldIndex)) return *edited;
  return d_->columns[static_cast<size_t>(fieldIndex)].View(
      d_->passing[static_cast<size_t>(passingIndex)]);
}

bool TFDQuery::IsNull(int passingIndex, int fieldIndex) const {
  if (passingIndex < 0 || passingIndex >= RecordCount() || fieldIndex < 0 ||
      fieldIndex >= static_cast<int>(d_->columns.size())) {
    return true;
  }
  if (d_->PendingText(passingIndex, fieldIndex)) return false;
  return d_->columns[static_cast<size_t>(fieldIndex)].IsNull(
      d_->passing[static_cast<size_t>(passingIndex)]);
}

void TFDQuery::Edit(const QString& field, const QString& text) {
  const int index = d_->FieldIndex(field);
  if (index < 0) d_->Fail(QStringLiteral("Field '%1' not found").arg(field));
  if (d_->current < 0) d_->Fail(QStringLiteral("there is no current row to edit"));
  // Refused at once, rather than when the row is left, where it could never be stored.
  if (d_->keyFields.isEmpty()) {
    d_->Fail(QStringLiteral(
        "the rows of this statement cannot be edited: their table rows are not known"));
  }
  auto& pending = d_->pending;
  for (auto it = pending.begin(); it != pending.end(); ++it) {
    if (it->first == index) {
      pending.erase(it);
      break;
    }
  }
  // Text equal to the stored value is no edit (null and empty count as equal).
  const int row = d_->passing[static_cast<size_t>(d_->current)];
  if (d_->columns[static_cast<size_t>(index)].View(row) != QStringView(text)) {
    pending.emplace_back(index, text);
  }
}

bool TFDQuery::Modified() const {
  return !d_->pending.empty();
}

void TFDQuery::Post() {
  d_->Store(OnUpdateData);
}

quint64 TFDQuery::RowsVersion() const {
  return d_->rowsVersion;
}

}  // namespace ravlek
