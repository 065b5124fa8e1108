// The character lookup page: each of the three searches replaces the filter of the dictionary
// rows held since start-up, and text typed into the two memos edits the current row.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTableView>
#include <QTextDocument>

#include "app/window/design_units.h"
#include "app/window/messages.h"
#include "dictionary/character_lookup.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/lookup_filters.h"
#include "dictionary/lookup_status.h"
#include "dictionary/memo_text.h"
#include "dictionary/rhymes.h"
#include "dictionary/tailo.h"
#include "dictionary/window/lookup_page.h"

namespace ravlek {

namespace {

const QString kAllClasses = QStringLiteral("全");

// The grid keeps an enabled vertical scroll bar, also when few rows pass.
void ShowGridScrollBar(LookupPage& window) {
  window.TntDBGrid2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  window.TntDBGrid2->verticalScrollBar()->setEnabled(true);
}

// Setting the class choice from code raises no change event of its own.
void SetClassChoiceToAll(LookupPage& window) {
  SetComboText(window.ComboBox2, kAllClasses);
}

// The character and rhyme searches: filter off, the class choice back to "全", the new filter on.
// The filter is built after the class choice is set, from the field as it then reads.
template <typename BuildFilter>
void RefilterWithAllClasses(LookupPage& window, BuildFilter buildFilter) {
  window.FDQueryRavlekTable->FilterOff();
  SetClassChoiceToAll(window);
  window.FDQueryRavlekTable->SetFilter(buildFilter());
  window.FDQueryRavlekTable->FilterOn();
  ShowGridScrollBar(window);
}

bool NoRows(const LookupPage& window) {
  return window.FDQueryRavlekTable->RecordCount() == 0;
}

// The page's dataset as the character search filters it, the class choice back to "全" each time.
class PageCharacterRows : public CharacterRows {
 public:
  explicit PageCharacterRows(LookupPage& window) : window_(window) {}
  bool Select(const QString& filter) override {
    RefilterWithAllClasses(window_, [&filter] { return filter; });
    return !NoRows(window_);
  }
  void VisitWords(const std::function<bool(QStringView word)>& visit) const override {
    const TFDQuery& rows = *window_.FDQueryRavlekTable;
    const int column = rows.FieldIndex(QStringLiteral("HanWord"));
    for (int row = 0; row < rows.RecordCount(); ++row) {
      if (!visit(rows.Text(row, column))) return;
    }
  }

 private:
  LookupPage& window_;
};

}  // namespace

void LookupPage::TntEdit2Change() {
  PageCharacterRows rows(*this);
  Lookup_TntStatus->setText(ravlek::LookUpCharacters(TntEdit2->text(), rows).status);
}

void LookupPage::TntEdit1_spell_SearchChange() {
  // The filter is built from the texts as they are before the filter goes off.
  const QString search = ravlek::SpellSearchText(TntEdit1_spell_Search->text());
  const QString classText = ComboBox2->currentText();
  const QString filter = ravlek::SpellFilter(search, classText);
  FDQueryRavlekTable->FilterOff();
  FDQueryRavlekTable->SetFilter(filter);
  FDQueryRavlekTable->FilterOn();
  ShowGridScrollBar(*this);
  Lookup_TntStatus->setText(NoRows(*this) ? ravlek::NoReadingStatus(search.trimmed(), classText)
                                          : QString());
}

void LookupPage::ComboBox1Change() {
  const QString text = ComboBox1->currentText();
  RefilterWithAllClasses(*this, [&text] { return ravlek::RhymeFilter(text); });
  QString status;
  if (!ravlek::NamesARhyme(text))
    status = ravlek::NotARhymeStatus(text);
  else if (NoRows(*this))
    status = ravlek::NoRhymeRowsStatus(text);
  Lookup_TntStatus->setText(status);
}

void LookupPage::DataSource1UpdateData() {
  ShowGridScrollBar(*this);
}

namespace {

// What the memo was shown, and whether it has handed an edit over since.
constexpr char kStoredText[] = "ravlekStoredText";
constexpr char kHandedOver[] = "ravlekHandedOver";

}  // namespace

void ShowMemoText(QPlainTextEdit& memo, const QString& stored) {
  const QSignalBlocker block(&memo);
  memo.setProperty(kStoredText, stored);
  memo.setProperty(kHandedOver, false);
  memo.setPlainText(stored);
}

void BindLookupMemoEdits(LookupPage& window) {
  const auto bind = [&window](QPlainTextEdit* memo, const QString& field) {
    QObject::connect(memo, &QPlainTextEdit::textChanged, &window, [&window, memo, field] {
      // The document's raw text keeps no-break spaces and line separators; its line breaks are
      // mapped back onto the stored text's own.
      const QString stored = memo->property(kStoredText).toString();
      const std::optional<QString> text = MemoTextToStore(stored, memo->document()->toRawText());
      // Typed and undone again: the stored text goes back as it was.
      if (!text && !memo->property(kHandedOver).toBool()) return;
      memo->setProperty(kHandedOver, true);
      RunHandler([&] { window.DataSource1->FieldEdited(field, text.value_or(stored)); });
    });
  };
  bind(window.TntDBMemo1, QStringLiteral("Phone_desc"));
  bind(window.TntDBMemo2, QStringLiteral("Desc"));
}

void LookupPage::StoreEdit() {
  if (FDQueryRavlekTable->Modified()) FDQueryRavlekTable->Post();
}

void LookupPage::FillSearchBoxes() {
  // Adding items leaves the box's text as it was.
  const QString text = ComboBox1->currentText();
  ComboBox1->addItems(PingshuiRhymeNames());
  ComboBox1->setCurrentIndex(-1);
  ComboBox1->setEditText(text);
  SetComboText(ComboBox2, kAllClasses);
}

}  // namespace ravlek
