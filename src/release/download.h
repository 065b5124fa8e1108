#pragma once
#include <QString>

namespace ravlek {

// Fetches an http address into a file. Never raises: true only when the GET completed with a
// success status and the file is non-empty.
bool DownloadToFile(const QString& url, const QString& file);

// How long DownloadToFile waits for a connection and for data before it gives up. The defaults
// are 10 s and 30 s; tests shorten them.
struct DownloadTimeouts {
  long connectMs = 10000;
  long stallMs = 30000;
};
DownloadTimeouts& DownloadToFileTimeouts();

}  // namespace ravlek
