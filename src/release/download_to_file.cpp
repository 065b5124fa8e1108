#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "release/download.h"
#include "release/http_transfer.h"

namespace ravlek {

bool DownloadToFile(const QString& url, const QString& file, const DownloadLimits& limits,
                    const DownloadTimeouts& timeouts) {
  if (url.isNull() || file.isNull()) return false;
  // The target is truncated before any traffic; without it no request is sent.
  std::FILE* out = detail::OpenForWriting(file);
  if (!out) return false;

  detail::TransferSettings settings;
  settings.url = url;
  settings.protocols = "http";
  settings.maxRedirects = 9;
  settings.userAgent = QStringLiteral("Mozilla/4.0, Indy Library (Windows; en-US)");
  settings.connectTimeoutMs = timeouts.connectMs;
  settings.stallTimeoutMs = timeouts.stallMs;
  settings.lowSpeedBytes = timeouts.lowSpeedBytes;
  settings.lowSpeedSeconds = timeouts.lowSpeedSeconds;
  settings.maxBytes = limits.maxBytes;
  settings.totalTimeoutMs = limits.totalMs;
  const detail::TransferResult result = detail::PerformTransfer(settings, out, {});
  const bool closed = std::fclose(out) == 0;
  // Nothing of a body past the limit is kept, so that no one reads a part of it.
  if (result.tooLarge) QFile::resize(file, 0);
  return result.ok && closed && QFileInfo(file).size() > 0;
}

}  // namespace ravlek
