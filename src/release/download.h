#pragma once
#include <QString>

namespace ravlek {

// What a download may take: a body past maxBytes is a failed download (the target is left empty),
// and the whole transfer ends after totalMs. Zero means no limit.
struct DownloadLimits {
  qint64 maxBytes = 0;
  long totalMs = 0;
};

// How long a download waits for a connection and for data, and the slowest transfer it bears:
// 10 s, 30 s, and 1 KB/s kept up for 30 s.
struct DownloadTimeouts {
  long connectMs = 10000;
  long stallMs = 30000;
  long lowSpeedBytes = 1024;
  long lowSpeedSeconds = 30;
};

// Fetches an http address into a file. Never raises: true only when the GET completed with a
// success status within the limits and the file is non-empty.
bool DownloadToFile(const QString& url, const QString& file, const DownloadLimits& limits = {},
                    const DownloadTimeouts& timeouts = {});

}  // namespace ravlek
