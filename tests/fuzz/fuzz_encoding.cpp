// The browser wrapper's encoding detection on any document bytes: the byte-order mark picks the
// encoding, the rest decodes with it, and a document read as UTF-8 or UTF-16 writes back the same
// text.

#include <QBuffer>

#include "fuzz_support.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/UWebBrowserWrapper/encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer stream(&bytes);
  stream.open(QIODevice::ReadOnly);
  const ravlek::TEncoding* encoding = ravlek::DetectStreamEncoding(stream);
  ravlek::fuzz::Check(encoding != nullptr, "no encoding detected");
  const QByteArray preamble = encoding->GetPreamble();
  ravlek::fuzz::Check(bytes.startsWith(preamble), "the detected mark does not begin the bytes");
  const QString text = encoding->GetString(bytes.mid(preamble.size()));
  ravlek::EncodingDisplayName(encoding);

  QByteArray written;
  QBuffer out(&written);
  out.open(QIODevice::WriteOnly);
  ravlek::WriteTextEncoded(text, out, encoding);
  if (encoding->kind() != ravlek::TEncoding::Kind::Default) {
    // Decoding what was written gives the text again (invalid input became U+FFFD already).
    ravlek::fuzz::Check(encoding->GetString(written.mid(preamble.size())) == text,
                        "the written document reads back differently");
  }
  return 0;
}
