// The character lookup page: each of the three searches replaces the filter of the dictionary
// rows held since start-up, and text typed into the two memos edits the current row.
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>

#include "app/messages.h"
#include "app/ostrel.h"
#include "app/window_layout.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/lookup_filters.h"
#include "dictionary/lookup_page.h"

namespace {

const QString kAllClasses = QStringLiteral("全");

// The grid keeps an enabled vertical scroll bar, also when few rows pass.
void ShowGridScrollBar(TOstrel& window) {
  window.TntDBGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  window.TntDBGrid2->verticalScrollBar()->setEnabled(true);
}

// Setting the class choice from code raises no change event of its own.
void SetClassChoiceToAll(TOstrel& window) {
  ravlek::SetComboText(window.ComboBox2, kAllClasses);
}

}  // namespace

void TOstrel::TntEdit2Change() {
  FDQueryRavlekTable->FilterOff();
  SetClassChoiceToAll(*this);
  FDQueryRavlekTable->SetFilter(ravlek::CharacterFilter(TntEdit2->text()));
  FDQueryRavlekTable->FilterOn();
  ShowGridScrollBar(*this);
}

void TOstrel::TntEdit1_spell_SearchChange() {
  // The filter is built from the texts as they are before the filter goes off.
  const QString filter =
      ravlek::SpellFilter(TntEdit1_spell_Search->text(), ComboBox2->currentText());
  FDQueryRavlekTable->FilterOff();
  FDQueryRavlekTable->SetFilter(filter);
  FDQueryRavlekTable->FilterOn();
  ShowGridScrollBar(*this);
}

void TOstrel::ComboBox1Change() {
  FDQueryRavlekTable->FilterOff();
  SetClassChoiceToAll(*this);
  FDQueryRavlekTable->SetFilter(ravlek::RhymeFilter(ComboBox1->currentText()));
  FDQueryRavlekTable->FilterOn();
  ShowGridScrollBar(*this);
}

void TOstrel::DataSource1UpdateData() {
  ShowGridScrollBar(*this);
}

namespace ravlek {

void BindLookupMemoEdits(TOstrel& window) {
  const auto bind = [&window](QPlainTextEdit* memo, const QString& field) {
    QObject::connect(memo, &QPlainTextEdit::textChanged, &window, [&window, memo, field] {
      RunHandler([&] { window.DataSource1->FieldEdited(field, memo->toPlainText()); });
    });
  };
  bind(window.TntDBMemo1, QStringLiteral("Phone_desc"));
  bind(window.TntDBMemo2, QStringLiteral("Desc"));
}

void StoreLookupEdit(TOstrel& window) {
  if (window.FDQueryRavlekTable && window.FDQueryRavlekTable->Modified()) {
    window.FDQueryRavlekTable->Post();
  }
}

}  // namespace ravlek
