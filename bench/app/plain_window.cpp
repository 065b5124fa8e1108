// The start-up benchmark's anchor: a plain Qt window, a program of its own linking Qt Widgets
// alone. A main window with pages on tabs, a line field and a table on the first page; it reports
// its first paint as the program's window does (first_paint.h).
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "bench/app/first_paint.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("台語Ostrel輔助系統"));
  auto* pages = new QTabWidget;
  auto* first = new QWidget;
  auto* layout = new QVBoxLayout(first);
  layout->addWidget(new QLineEdit);
  auto* table = new QTableView;
  auto* model = new QStandardItemModel(40, 6, table);
  for (int row = 0; row < 40; ++row) {
    for (int column = 0; column < 6; ++column) {
      model->setItem(row, column, new QStandardItem(QStringLiteral("讚 tsan%1").arg(row)));
    }
  }
  table->setModel(model);
  layout->addWidget(table);
  pages->addTab(first, QStringLiteral("查詢"));
  for (int i = 2; i <= 9; ++i) pages->addTab(new QWidget, QStringLiteral("頁%1").arg(i));
  window.setCentralWidget(pages);
  window.resize(1024, 700);
  ravlek::bench::FirstPaintReport report(&window);
  window.show();
  return QApplication::exec();
}
