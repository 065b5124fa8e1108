// The release-notes decoder on any bytes; valid UTF-8 without a mark decodes as UTF-8.

#include <QStringDecoder>

#include "fuzz_support.h"
#include "release/release_notes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  const QString text = ravlek::DecodeReleaseNotes(bytes);
  const bool marked = bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") ||
                      bytes.startsWith("\xFE\xFF");
  if (!marked) {
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString decoded = utf8.decode(bytes);
    if (!utf8.hasError()) {
      ravlek::fuzz::Check(text == decoded, "valid UTF-8 was not read as UTF-8");
    }
  }
  return 0;
}
