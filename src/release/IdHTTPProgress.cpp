#include "release/IdHTTPProgress.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "base/error.h"
#include "release/http_transfer.h"

namespace ravlek {

TIdHTTPProgress::TIdHTTPProgress(QObject*)
    : IOHndl(std::make_unique<TIdSSLIOHandlerSocketOpenSSL>()) {}

TIdHTTPProgress::~TIdHTTPProgress() = default;

void TIdHTTPProgress::SetProgress(int value) {
  FProgress = value;
  if (FOnChange) FOnChange(this);
}

void TIdHTTPProgress::TransferBegin(qint64 total) {
  FBytesToTransfer = total;
}

void TIdHTTPProgress::TransferProgress(qint64 received) {
  if (FBytesToTransfer == 0) return;
  // The default rounding mode sends halves to the even neighbour (1/8 → 12, 3/8 → 38).
  const double percent =
      static_cast<double>(received) / static_cast<double>(FBytesToTransfer) * 100.0;
  SetProgress(static_cast<int>(std::nearbyint(percent)));
}

void TIdHTTPProgress::TransferEnd() {
  FBytesToTransfer = 0;
  SetProgress(100);
}

void TIdHTTPProgress::DownloadFile(const QString& aFileUrl, const QString& aDestinationFile) {
  SetProgress(0);
  FBytesToTransfer = 0;
  const QString folder = QFileInfo(aDestinationFile).path();
  if (!folder.isEmpty() && folder != QStringLiteral(".")) QDir().mkpath(folder);
  std::FILE* out = detail::OpenForWriting(aDestinationFile);
  if (!out) {
    throw CannotCreateFileError(QDir::toNativeSeparators(aDestinationFile),
                                QString::fromLocal8Bit(std::strerror(errno)));
  }

  detail::TransferSettings settings;
  settings.url = aFileUrl;
  settings.protocols = "http,https";
  settings.maxRedirects = HandleRedirects ? RedirectMaximum - 1 : 0;
  settings.basicAuth = BasicAuthentication;
  settings.stallTimeoutMs = ReadTimeout;
  settings.lowSpeedBytes = LowSpeedLimit;
  settings.lowSpeedSeconds = LowSpeedTime;
  settings.caFile = IOHndl ? IOHndl->CAFile : QString();
  settings.maxBytes = MaxBytes;
  detail::TransferListener listener;
  listener.begin = [this](qint64 total) { TransferBegin(total); };
  listener.progress = [this](qint64 received) { TransferProgress(received); };
  listener.end = [this] { TransferEnd(); };
  const detail::TransferResult result = detail::PerformTransfer(settings, out, listener);
  std::fclose(out);
  // Broken off because the window was closed: the handler ends without a report.
  if (result.ended) throw Abort();
  if (result.writeError == ENOSPC || result.writeError == EDQUOT) throw DiskFullError(result.error);
  if (!result.ok) throw Error(result.error);
}

}  // namespace ravlek
