#pragma once
// The status line of an update download: " Download Status :5.00Mbytes 37%".

#include <QLocale>
#include <QString>

namespace ravlek {

// A byte count in MiB with the locale's separators, rounded to four significant digits and shown
// with two decimals (0.00, 0.70, 5.00, 123.50, 1,024.00).
QString FormatMegabytes(qint64 bytes, const QLocale& locale = QLocale::system());

QString DownloadStatusCaption(qint64 bytes, int progress,
                              const QLocale& locale = QLocale::system());

}  // namespace ravlek
