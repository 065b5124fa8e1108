#pragma once
// The lookup page's memo binding: what is typed into a memo edits the current row, and the edit
// is stored when the row is left, when the filter changes and when the window closes.

class QPlainTextEdit;
class QString;
class TOstrel;

namespace ravlek {

// Text typed into TntDBMemo1 / TntDBMemo2 edits Phone_desc / Desc of the current row: the stored
// text with just the typed change, and nothing while the memo holds what it was shown.
void BindLookupMemoEdits(TOstrel& window);

// Shows a field's stored text in a memo; showing it is no edit.
void ShowMemoText(QPlainTextEdit& memo, const QString& stored);

// Stores a pending memo edit now; raises Error (the edit kept) when it cannot be stored.
void StoreLookupEdit(TOstrel& window);

}  // namespace ravlek
