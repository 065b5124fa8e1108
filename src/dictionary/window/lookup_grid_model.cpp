#include "dictionary/window/lookup_grid_model.h"

#include <QColor>

#include "app/window/design_units.h"
#include "dictionary/lookup_filters.h"

namespace ravlek {

std::vector<LookupGridColumn> LookupGridColumns(const DesignUnits& units) {
  const QFont cells = units.Font(QStringLiteral("細明體"), 20);
  const QFont titles = units.Font(QStringLiteral("Tahoma"), 13);
  const QString kai = QStringLiteral("標楷體");
  const QString ming = QStringLiteral("細明體");
  const QString newMing = QStringLiteral("新細明體");
  // Title, width, cell font, title font and phonetic mark of each field of LookupGridFields(), in
  // its order.
  const std::vector<LookupGridColumn> looks = {
      {{},
       QStringLiteral("漢字"),
       0,
       units.Font(kai, 23, true),
       units.Font(QStringLiteral("Tahoma"), 20, true),
       false},
      {{},
       QStringLiteral("文/白(古/今)"),
       40,
       units.Font(kai, 20, true),
       units.Font(newMing, 17, true),
       false},
      {{},
       QStringLiteral("台羅"),
       125,
       units.Font(kai, 23, true),
       units.Font(newMing, 20, true),
       false},
      {{}, QStringLiteral("吳守禮注音"), 84, units.Font(ming, 20), titles, true},
      {{}, QStringLiteral("平水韻注音"), 88, units.Font(ming, 20), titles, true},
      {{}, QStringLiteral("聲母次濁"), 65, cells, titles, false},
      {{}, QStringLiteral("平水韻"), 159, units.Font(kai, 20), units.Font(ming, 20, true), false},
      {{}, QStringLiteral("等.洪細"), 52, cells, titles, false},
      {{}, QStringLiteral("反切下字韻"), 184, units.Font(ming, 20, true), titles, false},
      {{}, QStringLiteral("古音出處"), 193, cells, titles, false},
  };
  const QStringList& fields = LookupGridFields();
  Q_ASSERT(static_cast<size_t>(fields.size()) == looks.size());
  std::vector<LookupGridColumn> columns;
  for (size_t i = 0; i < looks.size(); ++i) {
    columns.push_back(looks[i]);
    columns.back().field = fields[static_cast<qsizetype>(i)];
  }
  return columns;
}

LookupGridModel::LookupGridModel(std::vector<LookupGridColumn> columns,
                                 std::function<int(const QString&)> fieldColumn, QObject* parent)
    : QAbstractProxyModel(parent),
      columns_(std::move(columns)),
      fieldColumn_(std::move(fieldColumn)),
      sourceColumns_(columns_.size(), -1) {}

void LookupGridModel::setSourceModel(QAbstractItemModel* source) {
  beginResetModel();
  for (const auto& connection : connections_) disconnect(connection);
  connections_.clear();
  QAbstractProxyModel::setSourceModel(source);
  if (source) {
    auto reset = [this] {
      beginResetModel();
      Remap();
      endResetModel();
    };
    // Anything but a change of values is taken as a new set of rows.
    connections_.push_back(connect(source, &QAbstractItemModel::modelReset, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::layoutChanged, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::rowsInserted, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::rowsRemoved, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::rowsMoved, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::columnsInserted, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::columnsRemoved, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::columnsMoved, this, reset));
    connections_.push_back(connect(source, &QAbstractItemModel::dataChanged, this,
                                   &LookupGridModel::OnSourceDataChanged));
  }
  Remap();
  endResetModel();
}

void LookupGridModel::SetPhoneticFamily(const QString& family) {
  phoneticFamily_ = family;
  if (rowCount() > 0) {
    Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1), {Qt::FontRole});
  }
}

void LookupGridModel::Remap() {
  for (size_t i = 0; i < columns_.size(); ++i) {
    sourceColumns_[i] = fieldColumn_ ? fieldColumn_(columns_[i].field) : -1;
  }
}

void LookupGridModel::OnSourceDataChanged(const QModelIndex& topLeft,
                                          const QModelIndex& bottomRight, const QList<int>& roles) {
  if (rowCount() == 0) return;
  Q_EMIT dataChanged(index(topLeft.row(), 0), index(bottomRight.row(), columnCount() - 1), roles);
}

QModelIndex LookupGridModel::index(int row, int column, const QModelIndex& parent) const {
  if (parent.isValid() || row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) {
    return {};
  }
  return createIndex(row, column);
}

QModelIndex LookupGridModel::parent(const QModelIndex&) const {
  return {};
}

int LookupGridModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !sourceModel()) return 0;
  return sourceModel()->rowCount();
}

int LookupGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QModelIndex LookupGridModel::mapToSource(const QModelIndex& proxyIndex) const {
  if (!proxyIndex.isValid() || !sourceModel()) return {};
  const int sourceColumn = sourceColumns_[static_cast<size_t>(proxyIndex.column())];
  if (sourceColumn < 0) return {};
  return sourceModel()->index(proxyIndex.row(), sourceColumn);
}

QModelIndex LookupGridModel::mapFromSource(const QModelIndex& sourceIndex) const {
  if (!sourceIndex.isValid()) return {};
  for (size_t i = 0; i < sourceColumns_.size(); ++i) {
    if (sourceColumns_[i] == sourceIndex.column()) {
      return index(sourceIndex.row(), static_cast<int>(i));
    }
  }
  return {};
}

QVariant LookupGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const LookupGridColumn& column = columns_[static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::FontRole:
      if (column.phonetic && !phoneticFamily_.isEmpty()) {
        QFont font = column.cellFont;
        font.setFamily(phoneticFamily_);
        return font;
      }
      return column.cellFont;
    case Qt::ForegroundRole:
      return QColor(Qt::black);
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
      const QModelIndex source = mapToSource(index);
      return source.isValid() ? sourceModel()->data(source, role) : QVariant();
    }
    default:
      return {};
  }
}

QVariant LookupGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
    return QAbstractProxyModel::headerData(section, orientation, role);
  }
  const LookupGridColumn& column = columns_[static_cast<size_t>(section)];
  switch (role) {
    case Qt::DisplayRole:
      return column.title;
    case Qt::FontRole:
      return column.titleFont;
    case Qt::ForegroundRole:
      return QColor(Qt::black);
    case Qt::ToolTipRole:
      // The open dictionary has no Pingshui phonetic symbols yet: the empty column says why.
      if (column.field == QLatin1String("Spell_P_Han")) {
        return QStringLiteral(
            "平水韻注音：依平水韻讀音標的注音符號。"
            "目前的字典沒有這項資料，所以這一欄是空的。");
      }
      return {};
    default:
      return {};
  }
}

Qt::ItemFlags LookupGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace ravlek
