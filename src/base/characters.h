#pragma once
// Walking a text by characters: a surrogate pair is one character, a lone surrogate is an
// ordinary character of its own.

#include <QStringView>

namespace ravlek {

// The number of UTF-16 units (1 or 2) of the character that starts at `pos`.
inline qsizetype CharacterLength(QStringView text, qsizetype pos) {
  return (text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate())
             ? 2
             : 1;
}

// The character's code; a lone surrogate keeps its unit's value, which no pair can have.
inline char32_t CharacterCode(QStringView text, qsizetype pos, qsizetype length) {
  return length == 2 ? QChar::surrogateToUcs4(text[pos], text[pos + 1]) : text[pos].unicode();
}

// The number of characters of a text.
inline qsizetype CharacterCount(QStringView text) {
  qsizetype count = 0;
  for (qsizetype pos = 0; pos < text.size(); pos += CharacterLength(text, pos)) ++count;
  return count;
}

}  // namespace ravlek
