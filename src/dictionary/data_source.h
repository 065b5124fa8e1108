#pragma once
// The data source between a dataset and the lookup page's grid and memos: a read-only table model
// over the dataset's passing rows showing chosen fields under chosen titles, and the current
// row's texts for the memos. Cell texts are read from the dataset when a view asks for them.

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

namespace ravlek {

class TFDQuery;

class TDataSource : public QAbstractTableModel {
  Q_OBJECT

 public:
  // Takes over the dataset's OnDataChange and OnUpdateData for as long as it lives.
  TDataSource(TFDQuery& dataset, QStringList fields, QStringList titles, QObject* parent = nullptr);
  ~TDataSource() override;

  const QStringList& Fields() const { return fields_; }

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // The current row among the passing rows (-1 when none), and making another row current,
  // which stores a pending edit first (raises Error when that fails, and the row stays).
  int CurrentRow() const;
  void SelectRow(int row);

  // The memo binding: the current row's text of a field (empty when there is no current row),
  // and text typed into a memo, which edits the current row (nothing when there is none).
  QString FieldText(const QString& field) const;
  void FieldEdited(const QString& field, const QString& text);

  // Reported before an edit of the current row is stored.
  std::function<void()> OnUpdateData;

 Q_SIGNALS:
  // After the passing rows were replaced or the current row moved; memos reload their texts.
  void CurrentRowChanged(int row);

 private:
  void DataSetChanged();

  TFDQuery& dataset_;
  QStringList fields_;
  QStringList titles_;
  QList<int> fieldIndexes_;
  quint64 rowsVersion_ = 0;
};

}  // namespace ravlek
