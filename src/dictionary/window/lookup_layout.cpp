// Page 0: the character lookup page's controls, its grid over DataSource1 and the two memos that
// show the current row's long texts. When the window grows, the grid takes half of the extra
// height and the memos a quarter each; all three take the extra width.
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPlainTextEdit>
#include <QTableView>

#include "app/window/design_units.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/window/lookup_grid_model.h"
#include "dictionary/window/lookup_page.h"

namespace ravlek {

namespace {

const DesignedPlace kPlaces[] = {
    {"TntLabel1", {16, 6, 105, 20}, kFixed, true},
    {"TntEdit2", {127, 3, 90, 28}},
    {"TntLabel8", {235, 6, 102, 20}, kFixed, true},
    {"TntEdit1_spell_Search", {335, 3, 90, 28}},
    {"ComboBox2", {431, 3, 66, 24}},
    {"TntLabel11", {235, 32, 371, 17}, kFixed, true},
    {"ComboBox1", {627, 3, 145, 28}},
    {"Lookup_TntStatus", {778, 3, 327, 63}, {0, 0, 1, 0}},
    {"TntDBGrid2", {16, 69, 1089, 205}, {0, 0, 1, 0.5}},
    {"TntDBMemo1", {16, 280, 1097, 145}, {0, 0.5, 1, 0.25}},
    {"TntDBMemo2", {16, 431, 1097, 153}, {0, 0.75, 1, 0.25}},
};

QLabel* MakeLabel(QWidget* page, const char* name, DesignedLayout& layout, const QString& text,
                  const QFont& font) {
  auto* label = layout.Make<QLabel>(page, name);
  label->setText(text);
  label->setFont(font);
  // A label is as wide as its text, from its designed place on.
  label->adjustSize();
  return label;
}

QComboBox* MakeEditableCombo(QWidget* page, const char* name, DesignedLayout& layout) {
  auto* combo = layout.Make<QComboBox>(page, name);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  // The box shows what was typed: the search filters by it, so no item is completed into it.
  combo->setCompleter(nullptr);
  combo->setMaxVisibleItems(20);
  return combo;
}

}  // namespace

LookupPage::LookupPage(QWidget* sheet, TFDQuery& rows, const DesignUnits& units)
    : TntTabSheet1(sheet), FDQueryRavlekTable(&rows), layout_(Places(), units) {
  LayOut();
  BindLookupGrid(*this);
  BindLookupGridCopy(*this);
}

// The window deletes the page's controls, whose grid reads DataSource1, before the page.
LookupPage::~LookupPage() = default;

LayoutTable LookupPage::Places() {
  return kPlaces;
}

void LookupPage::LayOut() {
  LookupPage& window = *this;
  DesignedLayout& layout = layout_;
  const DesignUnits& units = layout.Units();
  QWidget* page = window.TntTabSheet1;
  page->setFont(units.Font(QStringLiteral("Tahoma"), 13));
  const QFont newMingBold20 = units.Font(QStringLiteral("新細明體"), 20, true);
  const QFont kai20 = units.Font(QStringLiteral("標楷體"), 20);
  const QFont ming20 = units.Font(QStringLiteral("細明體"), 20);

  window.TntLabel1 =
      MakeLabel(page, "TntLabel1", layout, QStringLiteral("查單箇漢字"), newMingBold20);
  window.TntEdit2 = layout.Make<QLineEdit>(page, "TntEdit2");
  window.TntEdit2->setFont(kai20);
  window.TntEdit2->setPlaceholderText(QStringLiteral("Null全查"));
  window.TntLabel8 =
      MakeLabel(page, "TntLabel8", layout, QStringLiteral("台羅查詢 : "), newMingBold20);
  window.TntEdit1_spell_Search = layout.Make<QLineEdit>(page, "TntEdit1_spell_Search");
  window.TntEdit1_spell_Search->setFont(kai20);
  window.TntEdit1_spell_Search->setPlaceholderText(QStringLiteral("Null全查"));

  window.ComboBox2 = MakeEditableCombo(page, "ComboBox2", layout);
  window.ComboBox2->addItems({QStringLiteral("全"), QStringLiteral("白"), QStringLiteral("文")});
  window.ComboBox2->setCurrentIndex(-1);
  window.ComboBox2->setEditText(QStringLiteral("ComboBox2"));

  window.TntLabel11 = MakeLabel(page, "TntLabel11", layout,
                                QStringLiteral("( an 表an開頭之字; an1* 表示所有尾韻 an1之字)"),
                                units.Font(QStringLiteral("新細明體"), 17, true));

  // The status line: why a search found nothing. In the free space right of the rhyme box, above
  // the grid.
  window.Lookup_TntStatus = layout.Make<QLabel>(page, "Lookup_TntStatus");
  window.Lookup_TntStatus->setFont(units.Font(QStringLiteral("新細明體"), 17));
  window.Lookup_TntStatus->setWordWrap(true);
  window.Lookup_TntStatus->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QPalette statusColours = window.Lookup_TntStatus->palette();
  statusColours.setColor(QPalette::WindowText, Qt::darkRed);
  window.Lookup_TntStatus->setPalette(statusColours);

  window.ComboBox1 = MakeEditableCombo(page, "ComboBox1", layout);
  window.ComboBox1->setFont(units.Font(QStringLiteral("新細明體"), 20));
  window.ComboBox1->setEditText(QStringLiteral("平水韻查詢"));

  auto* grid = layout.Make<QTableView>(page, "TntDBGrid2");
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

  window.TntDBMemo1 = layout.Make<QPlainTextEdit>(page, "TntDBMemo1");
  window.TntDBMemo2 = layout.Make<QPlainTextEdit>(page, "TntDBMemo2");
  for (QPlainTextEdit* memo : {window.TntDBMemo1, window.TntDBMemo2}) {
    memo->setFont(ming20);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setTabChangesFocus(true);
  }
}

}  // namespace ravlek
