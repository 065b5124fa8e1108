// The size and percentage shown on the status line of an update download.

#include <gtest/gtest.h>

#include <QLocale>

#include "release/download_status.h"

namespace {

struct SizeCase {
  qint64 bytes;
  const char* english;
  const char* german;
};

TEST(DownloadStatus, FormatsMegabytesWithFourSignificantDigits) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  const QLocale german(QLocale::German, QLocale::Germany);
  const std::vector<SizeCase> cases = {
      {0, "0.00", "0,00"},
      {734003, "0.70", "0,70"},                    // 0.7 MiB
      {5 * 1048576, "5.00", "5,00"},               // 5 MiB
      {129452998, "123.50", "123,50"},             // 123.456 MiB
      {1024LL * 1048576, "1,024.00", "1.024,00"},  // 1024 MiB
      {12945299865LL, "12,350.00", "12.350,00"},   // 12345.6 MiB
      {1536, "0.00", "0,00"},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(ravlek::FormatMegabytes(c.bytes, english), QString::fromLatin1(c.english));
    EXPECT_EQ(ravlek::FormatMegabytes(c.bytes, german), QString::fromLatin1(c.german));
  }
}

TEST(DownloadStatus, CaptionJoinsSizeAndPercent) {
  const QLocale english(QLocale::English, QLocale::UnitedStates);
  EXPECT_EQ(ravlek::DownloadStatusCaption(5 * 1048576, 37, english),
            QStringLiteral(" Download Status :5.00Mbytes 37%"));
}

}  // namespace
