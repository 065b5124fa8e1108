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

#include "base/characters.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "app/window/window_layout.h"
#include "dictionary/data_source.h"
#include "dictionary/dataset.h"
#include "dictionary/lookup_filters.h"
#include "dictionary/lookup_status.h"
#include "dictionary/memo_text.h"
#include "dictionary/window/lookup_page.h"
#include "dictionary/tailo.h"

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

// The character and rhyme searches: filter off, the class choice back to "全", the new filter on.
// The filter is built after the class choice is set, from the field as it then reads.
template <typename BuildFilter>
void RefilterWithAllClasses(TOstrel& window, BuildFilter buildFilter) {
  window.FDQueryRavlekTable->FilterOff();
  SetClassChoiceToAll(window);
  window.FDQueryRavlekTable->SetFilter(buildFilter());
  window.FDQueryRavlekTable->FilterOn();
  ShowGridScrollBar(window);
}

// The distinct characters of a text, in their order.
QStringList DistinctCharacters(const QString& text) {
  QStringList characters;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = ravlek::CharacterLength(text, i);
    const QString character = text.mid(i, length);
    if (!characters.contains(character)) characters << character;
    i += length;
  }
  return characters;
}

// Those of the characters that begin no passing row's HanWord.
QStringList CharactersWithoutRows(const ravlek::TFDQuery& rows, const QStringList& characters) {
  const int column = rows.FieldIndex(QStringLiteral("HanWord"));
  QStringList missing = characters;
  for (int row = 0; row < rows.RecordCount() && !missing.isEmpty(); ++row) {
    const QString word = rows.Text(row, column);
    missing.removeIf([&word](const QString& character) { return word.startsWith(character); });
  }
  return missing;
}

bool NoRows(const TOstrel& window) {
  return window.FDQueryRavlekTable->RecordCount() == 0;
}

}  // namespace

void TOstrel::TntEdit2Change() {
  QString text = TntEdit2->text();
  RefilterWithAllClasses(*this, [&text] { return ravlek::CharacterFilter(text); });
  // Blanks pasted around the characters are no part of them, unless a row holds them.
  if (NoRows(*this) && ravlek::TrimmedCharacters(text) != text) {
    text = ravlek::TrimmedCharacters(text);
    RefilterWithAllClasses(*this, [&text] { return ravlek::CharacterFilter(text); });
  }
  QString status;
  if (NoRows(*this) && !text.isEmpty()) {
    const QStringList characters = DistinctCharacters(text);
    if (characters.size() > 1) {
      // A run that begins no word: each of its characters is looked up.
      RefilterWithAllClasses(*this,
                             [&characters] { return ravlek::EachCharacterFilter(characters); });
      status = ravlek::EachCharacterStatus(text, characters,
                                           CharactersWithoutRows(*FDQueryRavlekTable, characters));
    } else {
      status = ravlek::NoCharacterStatus(text);
    }
  }
  Lookup_TntStatus->setText(status);
}

void TOstrel::TntEdit1_spell_SearchChange() {
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

void TOstrel::ComboBox1Change() {
  const QString text = ComboBox1->currentText();
  RefilterWithAllClasses(*this, [&text] { return ravlek::RhymeFilter(text); });
  QString status;
  if (!ravlek::NamesARhyme(text))
    status = ravlek::NotARhymeStatus(text);
  else if (NoRows(*this))
    status = ravlek::NoRhymeRowsStatus(text);
  Lookup_TntStatus->setText(status);
}

void TOstrel::DataSource1UpdateData() {
  ShowGridScrollBar(*this);
}

namespace ravlek {

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

void BindLookupMemoEdits(TOstrel& window) {
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

void StoreLookupEdit(TOstrel& window) {
  if (window.FDQueryRavlekTable && window.FDQueryRavlekTable->Modified()) {
    window.FDQueryRavlekTable->Post();
  }
}

}  // namespace ravlek
