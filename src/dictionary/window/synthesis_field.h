#pragma once
// The fanqie synthesis field: its three columns (notation, readings, steps) aligned on tab stops
// that fit the widest entry, each candidate's steps on a line of their own, long lines wrapped at
// the field's edge, and a hint over each line that tells its steps in words under the legend of
// the signs.

class QPlainTextEdit;
class QString;

namespace ravlek {

// Once, when the field is made: wrapping at its width, the hint on hover.
void PrepareSynthesisField(QPlainTextEdit* field);
// Shows the synthesis text (lines of tab-separated columns) with its columns aligned.
void ShowSynthesis(QPlainTextEdit* field, const QString& text);

}  // namespace ravlek
