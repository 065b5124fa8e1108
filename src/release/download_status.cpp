#include "release/download_status.h"

#include "release/release_texts.h"

namespace ravlek {

QString FormatMegabytes(qint64 bytes, const QLocale& locale) {
  const double megabytes = static_cast<double>(bytes) / 1048576.0;
  // Four significant digits first, then two decimals: digits past the fourth become zeros.
  const double rounded = QString::number(megabytes, 'g', 4).toDouble();
  return locale.toString(rounded, 'f', 2);
}

QString DownloadStatusCaption(qint64 bytes, int progress, const QLocale& locale) {
  return texts::kDownloadStatusPrefix + FormatMegabytes(bytes, locale) +
         texts::kDownloadStatusMbytes + QString::number(progress) + u'%';
}

}  // namespace ravlek
