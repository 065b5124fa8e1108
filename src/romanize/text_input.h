#pragma once
// Text as the command line receives it: strict UTF-8, lines split at CR LF, LF or CR.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace ravlek {

// Decodes UTF-8 into `text`. Returns the byte offset of the first byte that does not begin a
// well-formed sequence (overlong forms, surrogates and codes above U+10FFFF are not well formed),
// or nothing when the whole input is valid; `text` is then the decoded text.
std::optional<qsizetype> DecodeUtf8Strict(const QByteArray& bytes, QString& text);

// Reads the file at `path`, or standard input when `path` is empty, as strict UTF-8. On failure
// returns false with `error` naming the file's problem or the offset of the first invalid byte.
bool ReadTextInput(const QString& path, QString& text, QString& error);

// The lines of a text split at CR LF, LF or CR; an empty last line is not counted.
QStringList SplitTextLines(const QString& text);

// The text with every line break (CR LF, LF or CR) written as CR LF.
QString WithCrLfBreaks(const QString& text);

}  // namespace ravlek
