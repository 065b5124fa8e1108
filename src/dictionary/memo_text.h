#pragma once
// What a memo hands over to the store. A text field's document keeps line breaks as block
// separators, so CR LF, CR, LF and U+2029 all look alike in it; the stored value keeps its own
// forms everywhere the user did not type, and an untouched text hands over nothing.

#include <QString>
#include <optional>

namespace ravlek {

// The text a document holds for a stored value: every line break (CR LF, CR, LF, U+2029) one
// U+2029, every other character as it is.
QString MemoDocumentText(const QString& stored);

// The value to store after the document that showed stored now holds documentText (both as a
// document holds text: U+2029 between lines); std::nullopt when the text is unchanged. Only the
// changed stretch is replaced; line breaks typed in it take the stored value's first line break
// form (LF when it has none).
std::optional<QString> MemoTextToStore(const QString& stored, const QString& documentText);

}  // namespace ravlek
