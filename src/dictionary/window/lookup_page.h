#pragma once
// The lookup page's memo binding: what is typed into a memo edits the current row, and the edit
// is stored when the row is left, when the filter changes and when the window closes.

class TOstrel;

namespace ravlek {

// Text typed into TntDBMemo1 / TntDBMemo2 edits Phone_desc / Desc of the current row.
void BindLookupMemoEdits(TOstrel& window);

// Stores a pending memo edit now; raises Error (the edit kept) when it cannot be stored.
void StoreLookupEdit(TOstrel& window);

}  // namespace ravlek
