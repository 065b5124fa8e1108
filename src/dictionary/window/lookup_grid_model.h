#pragma once
// The lookup grid's view of the data source: the ten columns of the grid in their order, each
// taken from the source column of its field, with the column's title and the cell and title fonts.
// Every structural change of the source resets this model.

#include <QAbstractProxyModel>
#include <QFont>
#include <QString>
#include <functional>
#include <vector>

namespace ravlek {

class DesignUnits;

struct LookupGridColumn {
  QString field;
  QString title;
  int width;  // design pixels; 0 for the grid's default
  QFont cellFont;
  QFont titleFont;
  bool phonetic;  // cell font is the phonetic font
};

// The grid's columns with their fonts at the given scale.
std::vector<LookupGridColumn> LookupGridColumns(const DesignUnits& units);

class LookupGridModel : public QAbstractProxyModel {
  Q_OBJECT

 public:
  // fieldColumn answers the source column of a field, -1 when the source lacks it.
  LookupGridModel(std::vector<LookupGridColumn> columns,
                  std::function<int(const QString&)> fieldColumn, QObject* parent = nullptr);

  void setSourceModel(QAbstractItemModel* source) override;
  // The family of the phonetic columns' cells (empty: the grid's cell font).
  void SetPhoneticFamily(const QString& family);
  const std::vector<LookupGridColumn>& Columns() const { return columns_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QModelIndex mapToSource(const QModelIndex& proxyIndex) const override;
  QModelIndex mapFromSource(const QModelIndex& sourceIndex) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  void Remap();
  void OnSourceDataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles);

  std::vector<LookupGridColumn> columns_;
  std::function<int(const QString&)> fieldColumn_;
  std::vector<int> sourceColumns_;
  QString phoneticFamily_;
  std::vector<QMetaObject::Connection> connections_;
};

}  // namespace ravlek
