#include "pages/UWebBrowserWrapper/encoding.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <map>
#include <memory>

namespace ravlek {

namespace {

QStringEncoder MakeEncoder(const TEncoding& encoding) {
  switch (encoding.kind()) {
    case TEncoding::Kind::Default:
      return QStringEncoder(QStringConverter::System);
    case TEncoding::Kind::UTF8:
      return QStringEncoder(QStringConverter::Utf8);
    case TEncoding::Kind::Unicode:
      return QStringEncoder(QStringConverter::Utf16LE);
    case TEncoding::Kind::BigEndianUnicode:
      return QStringEncoder(QStringConverter::Utf16BE);
    default:
      return QStringEncoder(encoding.name().constData());
  }
}

// The bytes given to a decoder have lost their preamble already: a U+FEFF at their start is a
// character of the text (a document that begins with it, or a mark written twice), kept as such.
QStringDecoder MakeDecoder(const TEncoding& encoding) {
  constexpr auto keepMark = QStringConverter::Flag::ConvertInitialBom;
  switch (encoding.kind()) {
    case TEncoding::Kind::Default:
      return QStringDecoder(QStringConverter::System, keepMark);
    case TEncoding::Kind::UTF8:
      return QStringDecoder(QStringConverter::Utf8, keepMark);
    case TEncoding::Kind::Unicode:
      return QStringDecoder(QStringConverter::Utf16LE, keepMark);
    case TEncoding::Kind::BigEndianUnicode:
      return QStringDecoder(QStringConverter::Utf16BE, keepMark);
    default:
      return QStringDecoder(encoding.name().constData(), keepMark);
  }
}

}  // namespace

TEncoding::TEncoding(Kind kind, QByteArray name) : kind_(kind), name_(std::move(name)) {}

const TEncoding* TEncoding::Default() {
  static const TEncoding encoding(Kind::Default, "System");
  return &encoding;
}
const TEncoding* TEncoding::UTF8() {
  static const TEncoding encoding(Kind::UTF8, "UTF-8");
  return &encoding;
}
const TEncoding* TEncoding::Unicode() {
  static const TEncoding encoding(Kind::Unicode, "UTF-16LE");
  return &encoding;
}
const TEncoding* TEncoding::BigEndianUnicode() {
  static const TEncoding encoding(Kind::BigEndianUnicode, "UTF-16BE");
  return &encoding;
}
const TEncoding* TEncoding::ASCII() {
  static const TEncoding encoding(Kind::ASCII, "US-ASCII");
  return &encoding;
}
const TEncoding* TEncoding::UTF7() {
  static const TEncoding encoding(Kind::UTF7, "UTF-7");
  return &encoding;
}

const TEncoding* TEncoding::GetEncoding(const QByteArray& name) {
  const QByteArray key = name.toLower();
  if (key == "utf-8" || key == "utf8") return UTF8();
  if (key == "utf-16le" || key == "utf-16") return Unicode();
  if (key == "utf-16be") return BigEndianUnicode();
  if (key == "us-ascii" || key == "ascii") return ASCII();
  if (key == "utf-7") return UTF7();
  // Code pages made on request are kept for the program's life, like the shared ones.
  static std::map<QByteArray, std::unique_ptr<TEncoding>> codePages;
  auto found = codePages.find(key);
  if (found != codePages.end()) return found->second.get();
  if (!QStringEncoder(name.constData()).isValid()) return nullptr;
  auto made = std::make_unique<TEncoding>(Kind::CodePage, name);
  return codePages.emplace(key, std::move(made)).first->second.get();
}

QByteArray TEncoding::GetPreamble() const {
  switch (kind_) {
    case Kind::UTF8:
      return QByteArray("\xEF\xBB\xBF", 3);
    case Kind::Unicode:
      return QByteArray("\xFF\xFE", 2);
    case Kind::BigEndianUnicode:
      return QByteArray("\xFE\xFF", 2);
    default:
      return {};
  }
}

QByteArray TEncoding::GetBytes(const QString& text) const {
  QStringEncoder encoder = MakeEncoder(*this);
  switch (kind_) {
    case Kind::Default:
    case Kind::UTF8:
    case Kind::Unicode:
    case Kind::BigEndianUnicode:
      return encoder.encode(text);
    default:
      break;
  }
  // A named converter keeps its shift state to itself: the end of a UTF-7 or ISO-2022 text would
  // be cut short. A line break after the text makes it write everything out; then it goes again.
  QByteArray bytes = encoder.encode(text + QLatin1Char('\n'));
  const QByteArray lineBreak = MakeEncoder(*this).encode(QStringLiteral("\n"));
  if (bytes.endsWith(lineBreak)) bytes.chop(lineBreak.size());
  return bytes;
}

QString TEncoding::GetString(const QByteArray& bytes) const {
  QStringDecoder decoder = MakeDecoder(*this);
  return decoder.decode(bytes);
}

QString EncodingDisplayName(const TEncoding* encoding) {
  if (encoding == nullptr) return QStringLiteral("Unknown");
  switch (encoding->kind()) {
    case TEncoding::Kind::UTF8:
      return QStringLiteral("UTF8");
    case TEncoding::Kind::Unicode:
      return QStringLiteral("Unicode (LE)");
    case TEncoding::Kind::BigEndianUnicode:
      return QStringLiteral("Unicode (BE)");
    case TEncoding::Kind::Default:
      return QStringLiteral("Default");
    case TEncoding::Kind::ASCII:
      return QStringLiteral("ASCII");
    case TEncoding::Kind::UTF7:
      return QStringLiteral("UTF7");
    case TEncoding::Kind::CodePage:
      return QStringLiteral("MBCS");
    case TEncoding::Kind::Other:
      break;
  }
  return QStringLiteral("Unknown");
}

}  // namespace ravlek
