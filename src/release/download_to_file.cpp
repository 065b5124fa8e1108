#include <QFileInfo>
#include <cstdio>

#include "release/download.h"
#include "release/http_transfer.h"

namespace ravlek {

DownloadTimeouts& DownloadToFileTimeouts() {
  static DownloadTimeouts timeouts;
  return timeouts;
}

bool DownloadToFile(const QString& url, const QString& file) {
  if (url.isNull() || file.isNull()) return false;
  // The target is truncated before any traffic; without it no request is sent.
  std::FILE* out = detail::OpenForWriting(file);
  if (!out) return false;

  detail::TransferSettings settings;
  settings.url = url;
  settings.protocols = "http";
  settings.maxRedirects = 9;
  settings.userAgent = QStringLiteral("Mozilla/4.0, Indy Library (Windows; en-US)");
  settings.connectTimeoutMs = DownloadToFileTimeouts().connectMs;
  settings.stallTimeoutMs = DownloadToFileTimeouts().stallMs;
  const detail::TransferResult result = detail::PerformTransfer(settings, out, {});
  const bool closed = std::fclose(out) == 0;
  return result.ok && closed && QFileInfo(file).size() > 0;
}

}  // namespace ravlek
