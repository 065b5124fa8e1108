#pragma once
// Byte-order marks at the start of a text file: which encoding they name, the text after them
// and the bytes of a text written with one.

#include <QByteArray>
#include <QString>

namespace ravlek {

enum class ByteOrderMark { None, Utf8, Utf16Le, Utf16Be };

// The mark the bytes begin with (EF BB BF, FF FE or FE FF), or None.
ByteOrderMark DetectByteOrderMark(const QByteArray& bytes);

// The text after the mark, decoded in the encoding the mark names; without a mark, as UTF-8.
QString DecodeAfterByteOrderMark(const QByteArray& bytes, ByteOrderMark mark);

// The text encoded as the mark names, the mark first; without a mark, UTF-8 alone.
QByteArray EncodeWithByteOrderMark(const QString& text, ByteOrderMark mark);

}  // namespace ravlek
