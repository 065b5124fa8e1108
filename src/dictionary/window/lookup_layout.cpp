// Page 0: the character lookup page's controls, its grid over DataSource1 and the two memos that
// show the current row's long texts.
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTableView>

#include "app/window/design_units.h"
#include "dictionary/window/lookup_grid_model.h"
#include "app/window/ostrel.h"
#include "app/window/window_layout.h"

namespace ravlek {

namespace {

QLabel* MakeLabel(QWidget* page, const char* name, const DesignUnits& units, QRect box,
                  const QString& text, const QFont& font) {
  auto* label = MakeControl<QLabel>(page, name, units, box.x(), box.y(), box.width(), box.height());
  label->setText(text);
  label->setFont(font);
  // A label is as wide as its text, from its designed place on.
  label->adjustSize();
  return label;
}

QComboBox* MakeEditableCombo(QWidget* page, const char* name, const DesignUnits& units, QRect box) {
  auto* combo =
      MakeControl<QComboBox>(page, name, units, box.x(), box.y(), box.width(), box.height());
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  // The box shows what was typed: the search filters by it, so no item is completed into it.
  combo->setCompleter(nullptr);
  combo->setMaxVisibleItems(20);
  return combo;
}

}  // namespace

void LayOutLookupPage(TOstrel& window, const DesignUnits& units) {
  QWidget* page = window.TntTabSheet1;
  page->setFont(units.Font(QStringLiteral("Tahoma"), 13));
  const QFont newMingBold20 = units.Font(QStringLiteral("新細明體"), 20, true);
  const QFont kai20 = units.Font(QStringLiteral("標楷體"), 20);
  const QFont ming20 = units.Font(QStringLiteral("細明體"), 20);

  window.TntLabel1 = MakeLabel(page, "TntLabel1", units, QRect(16, 6, 105, 20),
                               QStringLiteral("查單箇漢字"), newMingBold20);
  window.TntEdit2 = MakeControl<QLineEdit>(page, "TntEdit2", units, 127, 3, 90, 28);
  window.TntEdit2->setFont(kai20);
  window.TntEdit2->setPlaceholderText(QStringLiteral("Null全查"));
  window.TntLabel8 = MakeLabel(page, "TntLabel8", units, QRect(235, 6, 102, 20),
                               QStringLiteral("台羅查詢 : "), newMingBold20);
  window.TntEdit1_spell_Search =
      MakeControl<QLineEdit>(page, "TntEdit1_spell_Search", units, 335, 3, 90, 28);
  window.TntEdit1_spell_Search->setFont(kai20);
  window.TntEdit1_spell_Search->setPlaceholderText(QStringLiteral("Null全查"));

  window.ComboBox2 = MakeEditableCombo(page, "ComboBox2", units, QRect(431, 3, 66, 24));
  window.ComboBox2->addItems({QStringLiteral("全"), QStringLiteral("白"), QStringLiteral("文")});
  window.ComboBox2->setCurrentIndex(-1);
  window.ComboBox2->setEditText(QStringLiteral("ComboBox2"));

  window.TntLabel11 = MakeLabel(page, "TntLabel11", units, QRect(235, 32, 371, 17),
                                QStringLiteral("( an 表an開頭之字; an1* 表示所有尾韻 an1之字)"),
                                units.Font(QStringLiteral("新細明體"), 17, true));

  // The status line: why a search found nothing. In the free space right of the rhyme box, above
  // the grid.
  window.Lookup_TntStatus = MakeControl<QLabel>(page, "Lookup_TntStatus", units, 778, 3, 327, 63);
  window.Lookup_TntStatus->setFont(units.Font(QStringLiteral("新細明體"), 17));
  window.Lookup_TntStatus->setWordWrap(true);
  window.Lookup_TntStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette statusColours = window.Lookup_TntStatus->palette();
  statusColours.setColor(QPalette::WindowText, Qt::darkRed);
  window.Lookup_TntStatus->setPalette(statusColours);

  window.ComboBox1 = MakeEditableCombo(page, "ComboBox1", units, QRect(627, 3, 145, 28));
  window.ComboBox1->setFont(units.Font(QStringLiteral("新細明體"), 20));
  window.ComboBox1->setEditText(QStringLiteral("平水韻查詢"));

  auto* grid = MakeControl<QTableView>(page, "TntDBGrid2", units, 16, 69, 1089, 205);
  window.TntDBGrid2 = grid;
  grid->setFont(ming20);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::SingleSelection);
  // Tab leaves the grid for the next control; the arrow keys move inside it.
  grid->setTabKeyNavigation(false);
  grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid->setWordWrap(false);
  grid->verticalHeader()->setDefaultSectionSize(units.Px(30));
  grid->verticalHeader()->setMinimumSectionSize(units.Px(20));
  grid->verticalHeader()->hide();
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->horizontalHeader()->setFont(units.Font(QStringLiteral("Tahoma"), 13));
  grid->horizontalHeader()->setHighlightSections(false);

  window.TntDBMemo1 = MakeControl<QPlainTextEdit>(page, "TntDBMemo1", units, 16, 280, 1097, 145);
  window.TntDBMemo2 = MakeControl<QPlainTextEdit>(page, "TntDBMemo2", units, 16, 431, 1097, 153);
  for (QPlainTextEdit* memo : {window.TntDBMemo1, window.TntDBMemo2}) {
    memo->setFont(ming20);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
  }
}

}  // namespace ravlek
