// The lookup grid over DataSource1, and the two memos that show the current row's long texts.
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTableView>
#include <algorithm>

#include "dictionary/window/cut_text_tooltips.h"
#include "app/window/design_units.h"
#include "dictionary/window/lookup_grid_model.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "app/window/window_layout.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/window/lookup_page.h"

namespace ravlek {

namespace {

constexpr int kDefaultColumnWidth = 64;  // design pixels: one character of the cell font

// The memos show the current row's fields; showing them is no edit.
void ShowCurrentRow(TOstrel& window) {
  ShowMemoText(*window.TntDBMemo1, window.DataSource1->FieldText(QStringLiteral("Phone_desc")));
  ShowMemoText(*window.TntDBMemo2, window.DataSource1->FieldText(QStringLiteral("Desc")));
  // Without a current row there is nothing to edit: typed text would have no row to go to.
  const bool noRow = window.DataSource1->CurrentRow() < 0;
  window.TntDBMemo1->setReadOnly(noRow);
  window.TntDBMemo2->setReadOnly(noRow);
}

// The grid's selected row follows the current row. The selection model's signals stay on: they
// are what tells the view which rows to paint as selected.
void SelectCurrentRow(TOstrel& window, int row) {
  QTableView* grid = window.TntDBGrid2;
  if (row < 0) {
    grid->selectionModel()->clear();
    return;
  }
  const QModelIndex index = grid->model()->index(row, 0);
  grid->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  grid->scrollTo(index);
}

// A title wider than its designed column (文/白(古/今) in 40 px) would be cut: its column grows to
// fit it. 反切下字韻 and 平水韻, whose values are rhyme names of at most six characters, give up
// that space as far as they have room, so that the grid keeps its designed width.
void FitCutTitles(QTableView& grid, const std::vector<LookupGridColumn>& columns) {
  QHeaderView* header = grid.horizontalHeader();
  const int titleMargin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  const int cellMargin =
      grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
  std::vector<std::pair<int, int>> givers;  // column, the width it keeps
  for (const char* field : {"PoemRhyme2", "PoemRhyme"}) {
    for (size_t i = 0; i < columns.size(); ++i) {
      if (columns[i].field != QLatin1String(field)) continue;
      const int keeps =
          QFontMetrics(columns[i].cellFont).horizontalAdvance(QStringLiteral("去聲二十四敬")) +
          2 * cellMargin + 2;
      givers.emplace_back(static_cast<int>(i), keeps);
    }
  }
  for (size_t i = 0; i < columns.size(); ++i) {
    const int section = static_cast<int>(i);
    int grow = QFontMetrics(columns[i].titleFont).horizontalAdvance(columns[i].title) +
               2 * titleMargin + 2 - grid.columnWidth(section);
    for (const auto& [giver, keeps] : givers) {
      if (grow <= 0 || giver == section) continue;
      const int given = std::clamp(grid.columnWidth(giver) - keeps, 0, grow);
      grid.setColumnWidth(giver, grid.columnWidth(giver) - given);
      grid.setColumnWidth(section, grid.columnWidth(section) + given);
      grow -= given;
    }
  }
}

}  // namespace

void BindLookupGrid(TOstrel& window) {
  const DesignUnits units;
  std::vector<LookupGridColumn> columns = LookupGridColumns(units);
  QStringList fields;
  QStringList titles;
  for (const LookupGridColumn& column : columns) {
    fields.append(column.field);
    titles.append(column.title);
  }
  window.DataSource1 = std::make_shared<TDataSource>(*window.FDQueryRavlekTable, fields, titles);
  TDataSource* source = window.DataSource1.get();

  auto* model = new LookupGridModel(
      std::move(columns),
      [source](const QString& field) { return source->Fields().indexOf(field); },
      window.TntDBGrid2);
  model->setSourceModel(source);
  window.TntDBGrid2->setModel(model);
  ShowCutTextsAsToolTips(*window.TntDBGrid2);
  for (int i = 0; i < model->columnCount(); ++i) {
    const int width = model->Columns()[static_cast<size_t>(i)].width;
    window.TntDBGrid2->setColumnWidth(i, units.Px(width > 0 ? width : kDefaultColumnWidth));
  }
  FitCutTitles(*window.TntDBGrid2, model->Columns());

  QObject::connect(source, &TDataSource::CurrentRowChanged, &window, [&window](int row) {
    SelectCurrentRow(window, row);
    ShowCurrentRow(window);
  });
  QObject::connect(
      window.TntDBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, &window,
      [&window](const QModelIndex& current) {
        if (!current.isValid() || current.row() == window.DataSource1->CurrentRow()) {
          return;
        }
        RunHandler([&window, row = current.row()] { window.DataSource1->SelectRow(row); });
        // A row that could not be made current keeps the grid on the current one; the view's
        // own selection of a clicked row comes after this signal, hence again once it is done.
        SelectCurrentRow(window, window.DataSource1->CurrentRow());
        ShowCurrentRow(window);
        QMetaObject::invokeMethod(
            &window, [&window] { SelectCurrentRow(window, window.DataSource1->CurrentRow()); },
            Qt::QueuedConnection);
      });
  source->OnUpdateData = [&window] { window.DataSource1UpdateData(); };
  BindLookupMemoEdits(window);

  // While the store runs a statement (opening a dataset, storing a memo edit) the pointer is busy.
  TFDQuery::OnBusy = [](bool busy) {
    if (busy) {
      QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
      QGuiApplication::restoreOverrideCursor();
    }
  };
}

void UsePhoneticFamily(TOstrel& window, const QString& family) {
  if (auto* model = qobject_cast<LookupGridModel*>(window.TntDBGrid2->model())) {
    model->SetPhoneticFamily(family);
  }
}

}  // namespace ravlek
