#pragma once
#include <QString>

namespace ravlek {

// Fetches an http address into a file. Never raises: true only when the GET completed with a
// success status and the file is non-empty.
bool DownloadToFile(const QString& url, const QString& file);

}  // namespace ravlek
