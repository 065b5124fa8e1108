#pragma once
// Text as the command line receives it: strict UTF-8, lines split at CR LF, LF or CR.

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <optional>

namespace ravlek {

// Decodes UTF-8 into `text`. Returns the byte offset of the first byte that does not begin a
// well-formed sequence (overlong forms, surrogates and codes above U+10FFFF are not well formed),
// or nothing when the whole input is valid; `text` is then the decoded text.
std::optional<qsizetype> DecodeUtf8Strict(const QByteArray& bytes, QString& text);

// Opens the file at `path` for reading, or standard input when `path` is empty or "-".
bool OpenTextInput(QFile& file, const QString& path);

// Reads the file at `path`, or standard input when `path` is empty or "-", as strict UTF-8. On
// failure returns false with `error` naming the file's problem or the offset of the first invalid
// byte.
bool ReadTextInput(const QString& path, QString& text, QString& error);

// The lines of a text split at CR LF, LF or CR; an empty last line is not counted.
QStringList SplitTextLines(const QString& text);

// Reads UTF-8 text line by line from a device, a piece at a time, so that memory does not grow
// with the input. The lines are those SplitTextLines gives, and the text is checked as
// DecodeUtf8Strict checks it: at the first byte that does not begin a well-formed sequence the
// reader stops with an error naming its offset in the whole input (the lines before it have
// been delivered).
class Utf8LineReader {
 public:
  explicit Utf8LineReader(QIODevice& device, qsizetype pieceSize = 64 * 1024);
  // The next line; false at the end of the input, or on an error (Error() then tells it).
  bool Next(QString& line);
  const QString& Error() const { return error_; }

 private:
  bool Fill();  // reads one more piece; false at the end of the input or on a read error
  bool TakeLine(qsizetype end, QString& line);

  QIODevice& device_;
  qsizetype pieceSize_;
  QByteArray buffer_;
  qsizetype pos_ = 0;       // start of the unread part of buffer_
  qsizetype consumed_ = 0;  // input bytes before buffer_[0]
  bool atEnd_ = false;
  bool skipLf_ = false;  // the last line ended with CR: a LF right after it belongs to that break
  QString error_;
};

// The text with every line break (CR LF, LF or CR) written as CR LF.
QString WithCrLfBreaks(const QString& text);

}  // namespace ravlek
