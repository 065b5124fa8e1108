#include "base/text_input.h"

#include <QFile>
#include <cstdio>

namespace ravlek {

namespace {

// The length of the well-formed sequence at `pos`, or 0.
int SequenceLength(const unsigned char* p, qsizetype remaining) {
  const unsigned char b0 = p[0];
  if (b0 < 0x80) return 1;
  auto cont = [&](qsizetype i) { return i < remaining && (p[i] & 0xC0) == 0x80; };
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 >= 0xE0 && b0 <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (b0 == 0xE0 && p[1] < 0xA0) return 0;   // overlong
    if (b0 == 0xED && p[1] >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (b0 >= 0xF0 && b0 <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (b0 == 0xF0 && p[1] < 0x90) return 0;   // overlong
    if (b0 == 0xF4 && p[1] >= 0x90) return 0;  // above U+10FFFF
    return 4;
  }
  return 0;
}

}  // namespace

std::optional<qsizetype> DecodeUtf8Strict(const QByteArray& bytes, QString& text) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.constData());
  const qsizetype size = bytes.size();
  for (qsizetype pos = 0; pos < size;) {
    const int length = SequenceLength(data + pos, size - pos);
    if (length == 0) return pos;
    pos += length;
  }
  text = QString::fromUtf8(bytes);
  return std::nullopt;
}

bool OpenTextInput(QFile& file, const QString& path) {
  if (path.isEmpty() || path == QLatin1String("-")) return file.open(stdin, QIODevice::ReadOnly);
  file.setFileName(path);
  return file.open(QIODevice::ReadOnly);
}

bool ReadTextInput(const QString& path, QString& text, QString& error) {
  QFile file;
  if (!OpenTextInput(file, path)) {
    error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
    return false;
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) {
    error = QStringLiteral("cannot read %1: %2")
                .arg(path.isEmpty() || path == QLatin1String("-") ? QStringLiteral("standard input")
                                                                  : path,
                     file.errorString());
    return false;
  }
  if (const auto offset = DecodeUtf8Strict(bytes, text)) {
    error = QStringLiteral("invalid UTF-8 at byte offset %1").arg(*offset);
    return false;
  }
  return true;
}

QStringList SplitTextLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  for (qsizetype pos = 0; pos < text.size(); ++pos) {
    const QChar unit = text[pos];
    if (unit != u'\r' && unit != u'\n') continue;
    lines.append(text.mid(start, pos - start));
    if (unit == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') ++pos;
    start = pos + 1;
  }
  if (start < text.size()) lines.append(text.mid(start));
  return lines;
}

Utf8LineReader::Utf8LineReader(QIODevice& device, qsizetype pieceSize)
    : device_(device), pieceSize_(pieceSize) {}

bool Utf8LineReader::Fill() {
  if (atEnd_ || !error_.isEmpty()) return false;
  // Drop what has been read before growing the buffer.
  buffer_.remove(0, pos_);
  consumed_ += pos_;
  pos_ = 0;
  const qsizetype before = buffer_.size();
  buffer_.resize(before + pieceSize_);
  const qint64 got = device_.read(buffer_.data() + before, pieceSize_);
  buffer_.resize(before + (got > 0 ? got : 0));
  if (got < 0) {
    error_ = QStringLiteral("cannot read: %1").arg(device_.errorString());
    return false;
  }
  if (got == 0) atEnd_ = true;
  return got > 0;
}

bool Utf8LineReader::TakeLine(qsizetype end, QString& line) {
  const auto* data = reinterpret_cast<const unsigned char*>(buffer_.constData());
  for (qsizetype i = pos_; i < end;) {
    const int length = SequenceLength(data + i, end - i);
    if (length == 0) {
      error_ = QStringLiteral("invalid UTF-8 at byte offset %1").arg(consumed_ + i);
      return false;
    }
    i += length;
  }
  line = QString::fromUtf8(buffer_.constData() + pos_, end - pos_);
  // Decoding drops a byte-order mark at the start of what it decodes: the whole text's, as
  // decoding the text at once does, but not one that begins a later line.
  if (consumed_ + pos_ > 0 &&
      QByteArrayView(buffer_).sliced(pos_, end - pos_).startsWith("\xEF\xBB\xBF")) {
    line.prepend(QChar(0xFEFF));
  }
  return true;
}

bool Utf8LineReader::Next(QString& line) {
  if (!error_.isEmpty()) return false;
  if (skipLf_) {
    if (pos_ >= buffer_.size()) Fill();
    if (pos_ < buffer_.size() && buffer_[pos_] == '\n') ++pos_;
    skipLf_ = false;
  }
  qsizetype scanned = pos_;
  for (;;) {
    for (qsizetype i = scanned; i < buffer_.size(); ++i) {
      const char c = buffer_[i];
      if (c != '\n' && c != '\r') continue;
      if (!TakeLine(i, line)) return false;
      pos_ = i + 1;
      skipLf_ = c == '\r';
      return true;
    }
    scanned = buffer_.size() - pos_;  // Fill moves the unread part to the front
    if (!Fill()) break;
  }
  if (!error_.isEmpty()) return false;
  // The end of the input: what remains is the last line, unless it is empty.
  if (pos_ >= buffer_.size()) return false;
  if (!TakeLine(buffer_.size(), line)) return false;
  pos_ = buffer_.size();
  return true;
}

QString WithCrLfBreaks(const QString& text) {
  QString out;
  out.reserve(text.size() + text.size() / 16);
  for (qsizetype pos = 0; pos < text.size(); ++pos) {
    const QChar unit = text[pos];
    if (unit == u'\r' || unit == u'\n') {
      out += QStringLiteral("\r\n");
      if (unit == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') ++pos;
    } else {
      out += unit;
    }
  }
  return out;
}

}  // namespace ravlek
