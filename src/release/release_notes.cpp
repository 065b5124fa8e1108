#include "release/release_notes.h"

#include <iconv.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <vector>

#include "base/byte_order_mark.h"
#include "base/error.h"
#include "release/release_texts.h"

namespace ravlek {
namespace {

QString DecodeBig5(const QByteArray& bytes) {
  QStringDecoder decoder("Big5");
  if (decoder.isValid()) return decoder.decode(bytes);
  // Without ICU, Qt knows no Big5: iconv's CP950 does the same.
  iconv_t converter = iconv_open("UTF-16LE", "CP950");
  if (converter == reinterpret_cast<iconv_t>(-1)) return QString::fromLatin1(bytes);
  std::vector<char> out(static_cast<size_t>(bytes.size()) * 2 + 16);
  char* in = const_cast<char*>(bytes.constData());
  size_t inLeft = static_cast<size_t>(bytes.size());
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
      // An undecodable byte becomes a replacement character; decoding goes on after it.
      if (outLeft < 2) break;
      *outPtr++ = static_cast<char>(0xFD);
      *outPtr++ = static_cast<char>(0xFF);
      outLeft -= 2;
      ++in;
      --inLeft;
    }
  }
  iconv_close(converter);
  return QString(reinterpret_cast<const QChar*>(out.data()),
                 static_cast<qsizetype>((out.size() - outLeft) / 2));
}

}  // namespace

QString DecodeReleaseNotes(const QByteArray& bytes) {
  const ByteOrderMark mark = DetectByteOrderMark(bytes);
  if (mark != ByteOrderMark::None) return DecodeAfterByteOrderMark(bytes, mark);
  QStringDecoder utf8(QStringConverter::Utf8);
  const QString text = utf8.decode(bytes);
  if (!utf8.hasError()) return text;
  return DecodeBig5(bytes);
}

QStringList ReadReleaseNotes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw CannotOpenFileError(QDir::toNativeSeparators(path), file.errorString());
  }
  const QString text = DecodeReleaseNotes(file.readAll());
  static const QRegularExpression lineEnd(QStringLiteral("\r\n|\r|\n"));
  QStringList lines = text.split(lineEnd);
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();  // the final line end
  return lines;
}

QString CutForMemo(const QString& text) {
  if (text.size() <= kMaxMemoNotes) return text;
  qsizetype end = kMaxMemoNotes;
  if (text.at(end - 1).isHighSurrogate()) --end;  // never half a character
  return text.left(end) + u'\n' + texts::kNotesCutLine;
}

QString HanImagesFolder() {
#ifdef Q_OS_WIN
  return QStringLiteral("C:/HAN_images");
#else
  return QDir::homePath() + QStringLiteral("/HAN_images");
#endif
}

}  // namespace ravlek
