// The lookup grid over DataSource1, and the two memos that show the current row's long texts.
#include <QHeaderView>
#include <QTableView>

#include "app/design_units.h"
#include "app/lookup_grid_model.h"
#include "app/ostrel.h"
#include "app/window_layout.h"
#include "dictionary/dataset.h"

namespace ravlek {

namespace {
constexpr int kDefaultColumnWidth = 64;  // design pixels: one character of the cell font
}

void BindLookupGrid(TOstrel& window) {
  const DesignUnits units;
  TFDQuery* query = window.FDQueryRavlekTable.get();
  auto* model = new LookupGridModel(
      LookupGridColumns(units), [query](const QString& field) { return query->FieldIndex(field); },
      window.TntDBGrid2);
  window.TntDBGrid2->setModel(model);
  const auto& columns = model->Columns();
  for (size_t i = 0; i < columns.size(); ++i) {
    const int width = columns[i].width > 0 ? columns[i].width : kDefaultColumnWidth;
    window.TntDBGrid2->setColumnWidth(static_cast<int>(i), units.Px(width));
  }
}

void UsePhoneticFamily(TOstrel& window, const QString& family) {
  if (auto* model = qobject_cast<LookupGridModel*>(window.TntDBGrid2->model())) {
    model->SetPhoneticFamily(family);
  }
}

}  // namespace ravlek
