#pragma once
// Text encodings with their byte-order marks (preambles). The shared objects for UTF-8, UTF-16 in
// both byte orders, ASCII, UTF-7 and the system's ANSI code page live for the whole program; other
// code pages are made on request and live as long.

#include <QByteArray>
#include <QString>

namespace ravlek {

class TEncoding {
 public:
  enum class Kind { Default, UTF8, Unicode, BigEndianUnicode, ASCII, UTF7, CodePage, Other };

  // The system's ANSI code page: the locale's encoding, without a preamble.
  static const TEncoding* Default();
  static const TEncoding* UTF8();
  static const TEncoding* Unicode();  // UTF-16 little-endian
  static const TEncoding* BigEndianUnicode();
  static const TEncoding* ASCII();
  static const TEncoding* UTF7();
  // A code-page encoding by its name ("Big5", "windows-1252"); nullptr when the name is unknown.
  static const TEncoding* GetEncoding(const QByteArray& name);

  Kind kind() const { return kind_; }
  const QByteArray& name() const { return name_; }
  // The byte-order mark written before the text: empty for code pages, ASCII and UTF-7.
  QByteArray GetPreamble() const;
  QByteArray GetBytes(const QString& text) const;
  QString GetString(const QByteArray& bytes) const;

  TEncoding(Kind kind, QByteArray name);

 private:
  Kind kind_;
  QByteArray name_;
};

// "UTF8", "Unicode (LE)", "Unicode (BE)", "Default", "ASCII", "UTF7", "MBCS" for any other code
// page and "Unknown" for anything else (also for no encoding).
QString EncodingDisplayName(const TEncoding* encoding);

}  // namespace ravlek
