#include "dictionary/data_source.h"

#include "dictionary/dataset.h"

namespace ravlek {

TDataSource::TDataSource(TFDQuery& dataset, QStringList fields, QStringList titles, QObject* parent)
    : QAbstractTableModel(parent),
      dataset_(dataset),
      fields_(std::move(fields)),
      titles_(std::move(titles)),
      rowsVersion_(dataset.RowsVersion()) {
  for (const QString& field : fields_) fieldIndexes_.append(dataset_.FieldIndex(field));
  dataset_.OnDataChange = [this] { DataSetChanged(); };
  dataset_.OnUpdateData = [this] {
    if (OnUpdateData) OnUpdateData();
  };
}

TDataSource::~TDataSource() {
  dataset_.OnDataChange = nullptr;
  dataset_.OnUpdateData = nullptr;
}

void TDataSource::DataSetChanged() {
  if (dataset_.RowsVersion() != rowsVersion_) {
    beginResetModel();
    rowsVersion_ = dataset_.RowsVersion();
    // The field positions are those of the last opening of the dataset.
    fieldIndexes_.clear();
    for (const QString& field : fields_) fieldIndexes_.append(dataset_.FieldIndex(field));
    endResetModel();
  }
  Q_EMIT CurrentRowChanged(dataset_.RecNo());
}

int TDataSource::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : dataset_.RecordCount();
}

int TDataSource::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(fields_.size());
}

QVariant TDataSource::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.column() >= fieldIndexes_.size()) {
    return QVariant();
  }
  return dataset_.Text(index.row(), fieldIndexes_[index.column()]);
}

QVariant TDataSource::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
      section < titles_.size()) {
    return titles_[section];
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags TDataSource::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int TDataSource::CurrentRow() const {
  return dataset_.RecNo();
}

void TDataSource::SelectRow(int row) {
  dataset_.SetRecNo(row);
}

QString TDataSource::FieldText(const QString& field) const {
  return dataset_.RecNo() < 0 ? QString() : dataset_.FieldByName(field);
}

void TDataSource::FieldEdited(const QString& field, const QString& text) {
  if (dataset_.RecNo() >= 0) dataset_.Edit(field, text);
}

}  // namespace ravlek
