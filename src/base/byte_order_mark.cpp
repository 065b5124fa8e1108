#include "base/byte_order_mark.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace ravlek {

ByteOrderMark DetectByteOrderMark(const QByteArray& bytes) {
  if (bytes.startsWith("\xEF\xBB\xBF")) return ByteOrderMark::Utf8;
  if (bytes.startsWith("\xFF\xFE")) return ByteOrderMark::Utf16Le;
  if (bytes.startsWith("\xFE\xFF")) return ByteOrderMark::Utf16Be;
  return ByteOrderMark::None;
}

QString DecodeAfterByteOrderMark(const QByteArray& bytes, ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::None:
      return QString::fromUtf8(bytes);
    case ByteOrderMark::Utf8:
      return QString::fromUtf8(bytes.mid(3));
    case ByteOrderMark::Utf16Le:
      return QStringDecoder(QStringConverter::Utf16LE)(bytes.mid(2));
    case ByteOrderMark::Utf16Be:
      return QStringDecoder(QStringConverter::Utf16BE)(bytes.mid(2));
  }
  return QString::fromUtf8(bytes);
}

QByteArray EncodeWithByteOrderMark(const QString& text, ByteOrderMark mark) {
  switch (mark) {
    case ByteOrderMark::None:
      return text.toUtf8();
    case ByteOrderMark::Utf8:
      return "\xEF\xBB\xBF" + text.toUtf8();
    case ByteOrderMark::Utf16Le:
      return QByteArray("\xFF\xFE", 2) +
             QByteArray(QStringEncoder(QStringConverter::Utf16LE)(text));
    case ByteOrderMark::Utf16Be:
      return QByteArray("\xFE\xFF", 2) +
             QByteArray(QStringEncoder(QStringConverter::Utf16BE)(text));
  }
  return text.toUtf8();
}

}  // namespace ravlek
