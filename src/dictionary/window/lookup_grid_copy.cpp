// Copying from the lookup grid: Ctrl+C copies the selected rows, and the grid's context menu
// offers 複製此列 (the row under the pointer) and 複製全部 (every row shown, after a header line),
// as tab-separated lines in the format of ravlek-cli lookup.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>

#include "app/window/messages.h"
#include "dictionary/dataset.h"
#include "dictionary/lookup_filters.h"
#include "dictionary/rows_tsv.h"
#include "dictionary/window/lookup_page.h"

namespace ravlek {

namespace {

void CopyRows(LookupPage& window, const QList<int>& rows, bool withHeader) {
  QGuiApplication::clipboard()->setText(
      DatasetRowsAsTsv(*window.FDQueryRavlekTable, LookupGridFields(), rows, withHeader));
}

QList<int> SelectedRows(const LookupPage& window) {
  QList<int> rows;
  const QItemSelectionModel* selection = window.TntDBGrid2->selectionModel();
  for (const QModelIndex& index : selection->selectedRows()) rows.append(index.row());
  if (rows.isEmpty() && selection->currentIndex().isValid()) {
    rows.append(selection->currentIndex().row());
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

QList<int> AllRows(const LookupPage& window) {
  QList<int> rows;
  for (int row = 0; row < window.FDQueryRavlekTable->RecordCount(); ++row) rows.append(row);
  return rows;
}

// Takes the grid's copy key before the view's own handling, which would copy one cell.
class GridCopyKey : public QObject {
 public:
  explicit GridCopyKey(LookupPage& window) : QObject(window.TntDBGrid2), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
      RunHandler([this] { CopyRows(window_, SelectedRows(window_), false); });
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  LookupPage& window_;
};

}  // namespace

void BindLookupGridCopy(LookupPage& window) {
  QTableView* grid = window.TntDBGrid2;
  grid->installEventFilter(new GridCopyKey(window));
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  QObject::connect(grid, &QWidget::customContextMenuRequested, &window, [&window](QPoint at) {
    QTableView* grid = window.TntDBGrid2;
    const QModelIndex under = grid->indexAt(at);
    const int row = under.isValid() ? under.row() : grid->currentIndex().row();
    auto* menu = new QMenu(grid);
    menu->setObjectName(QStringLiteral("LookupGridMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* copyRow = menu->addAction(QStringLiteral("複製此列"), &window, [&window, row] {
      RunHandler([&window, row] { CopyRows(window, {row}, false); });
    });
    copyRow->setEnabled(row >= 0);
    menu->addAction(QStringLiteral("複製全部"), &window, [&window] {
      RunHandler([&window] { CopyRows(window, AllRows(window), true); });
    });
    menu->popup(grid->viewport()->mapToGlobal(at));
  });
}

}  // namespace ravlek
