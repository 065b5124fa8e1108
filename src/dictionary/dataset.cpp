#include "dictionary/dataset.h"

#include <vector>

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/dataset_rows.h"
#include "dictionary/dataset_statement.h"
#include "dictionary/dataset_store.h"
#include "dictionary/filter.h"

namespace ravlek {
namespace {

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

  HeldRows rows;

  // How a held row is tied to its table row: the table and its key fields.
  QString table;
  QStringList keyFields;  // "rowid" or the primary key's fields

  std::vector<int> passing;
  int current = -1;
  // The last filtered selection, while the held values it was chosen from are unchanged.
  struct {
    CompiledFilter filter;
    std::vector<int> rows;
    bool valid = false;
  } lastFiltered;
  quint64 rowsVersion = 0;

  // The pending edit of the current row: field index and text, in the order typed.
  RowEdits pending;

  [[noreturn]] void Fail(const QString& message) const {
    throw Error(QStringLiteral("%1: %2").arg(name, message));
  }

  int FieldIndex(const QString& field) const { return rows.FieldIndex(field); }

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
      return index < 0 ? nullptr : &rows.columns[static_cast<size_t>(index)];
    });
  }

  void Select() {
    if (filtered) {
      // Typing on in a search field narrows the filter: only the rows it passed before can pass.
      if (lastFiltered.valid && compiled.Narrows(lastFiltered.filter)) {
        compiled.SelectAmong(lastFiltered.rows, rows.rowCount, passing);
      } else {
        compiled.Select(rows.rowCount, passing);
      }
      lastFiltered = {compiled, passing, true};
    } else {
      CompiledFilter().Select(rows.rowCount, passing);
    }
    current = passing.empty() ? -1 : 0;
    ++rowsVersion;
  }

  void Load();
  void Store(const std::function<void()>& onUpdateData);
};

void TFDQuery::Impl::Load() {
  QSqlDatabase db = connection.Database();
  if (!db.isOpen()) Fail(QStringLiteral("no connection to the database"));
  BusyScope busy;

  const ShapedStatement shaped = ShapeStatement(db, statement);
  table = shaped.table;
  // The statement with its key columns first; an engine without rowid runs the plain statement,
  // whose rows can then be shown but not written back.
  QString error;
  int keyCount = static_cast<int>(shaped.keyExpressions.size());
  if (keyCount == 0 || !ReadRows(db, shaped.keyed, keyCount, rows, error)) {
    keyCount = 0;
    if (!ReadRows(db, statement, 0, rows, error)) {
      Fail(error.isEmpty() ? QStringLiteral("the statement failed") : error);
    }
  }
  keyFields = keyCount > 0 ? shaped.keyExpressions : QStringList();
}

void TFDQuery::Impl::Store(const std::function<void()>& onUpdateData) {
  if (pending.empty() || current < 0) return;
  if (onUpdateData) onUpdateData();
  if (pending.empty()) return;
  if (keyFields.isEmpty()) {
    Fail(QStringLiteral("the edited row cannot be written back: its table row is not known"));
  }
  QSqlDatabase db = connection.Database();
  if (!db.isOpen()) Fail(QStringLiteral("no connection to the database"));
  BusyScope busy;
  lastFiltered.valid = false;  // the held values change
  StoreRowEdits(db, name, table, keyFields, rows, passing[static_cast<size_t>(current)], pending);
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
  OpenSharing(*this);
}

void TFDQuery::OpenSharing(const TFDQuery& source) {
  if (d_->active) return;
  d_->lastFiltered.valid = false;
  const Impl& from = *source.d_;
  const bool share = &from != d_.get() && from.active && &from.connection == &d_->connection &&
                     from.statement == d_->statement;
  try {
    if (share) {
      d_->rows = from.rows;
      d_->table = from.table;
      d_->keyFields = from.keyFields;
    } else {
      d_->Load();
    }
    if (d_->filtered) d_->compiled = d_->Compile(d_->expression);
  } catch (const Error&) {
    d_->rows.Clear();
    throw;
  }
  d_->active = true;
  d_->Select();
  if (OnDataChange) OnDataChange();
}

const QString& TFDQuery::SQL() const {
  return d_->statement;
}

TFDConnection& TFDQuery::Connection() const {
  return d_->connection;
}

void TFDQuery::Close() {
  if (!d_->active) return;
  d_->Store(OnUpdateData);
  d_->active = false;
  d_->lastFiltered.valid = false;
  d_->rows.Clear();
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
  return d_->rows.fieldNames;
}

int TFDQuery::FieldIndex(const QString& field) const {
  return d_->FieldIndex(field);
}

QString TFDQuery::Text(int passingIndex, int fieldIndex) const {
  return TextView(passingIndex, fieldIndex).toString();
}

QStringView TFDQuery::TextView(int passingIndex, int fieldIndex) const {
  if (passingIndex < 0 || passingIndex >= RecordCount() || fieldIndex < 0 ||
      fieldIndex >= static_cast<int>(d_->rows.columns.size())) {
    return QStringView();
  }
  if (const QString* edited = d_->PendingText(passingIndex, fieldIndex)) return *edited;
  return d_->rows.columns[static_cast<size_t>(fieldIndex)].View(
      d_->passing[static_cast<size_t>(passingIndex)]);
}

bool TFDQuery::IsNull(int passingIndex, int fieldIndex) const {
  if (passingIndex < 0 || passingIndex >= RecordCount() || fieldIndex < 0 ||
      fieldIndex >= static_cast<int>(d_->rows.columns.size())) {
    return true;
  }
  if (d_->PendingText(passingIndex, fieldIndex)) return false;
  return d_->rows.columns[static_cast<size_t>(fieldIndex)].IsNull(
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
  if (d_->rows.columns[static_cast<size_t>(index)].View(row) != QStringView(text)) {
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
