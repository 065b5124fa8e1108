#include "release/signed_fetch.h"

#include <unistd.h>

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/error.h"
#include "release/http_transfer.h"
#include "release/manifest_binding.h"
#include "release/release_files.h"
#include "release/release_signature.h"
#include "release/release_texts.h"

namespace ravlek {
namespace {

using Outcome = FetchResult::Outcome;

bool IsSpaceError(int error) {
  return error == ENOSPC || error == EDQUOT;
}

detail::TransferSettings TransferFor(const QString& url, const DownloadLimits& limits,
                                     const ReleaseSettings& settings) {
  detail::TransferSettings transfer;
  transfer.url = url;
  // An https address stays https through every redirect; http may move up to https.
  transfer.protocols =
      url.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ? "https" : "http,https";
  transfer.caFile = settings.caFile;
  transfer.maxRedirects = 9;
  transfer.userAgent = QStringLiteral("Mozilla/4.0, Indy Library (Windows; en-US)");
  transfer.connectTimeoutMs = settings.timeouts.connectMs;
  transfer.stallTimeoutMs = settings.timeouts.stallMs;
  transfer.lowSpeedBytes = settings.timeouts.lowSpeedBytes;
  transfer.lowSpeedSeconds = settings.timeouts.lowSpeedSeconds;
  transfer.maxBytes = limits.maxBytes;
  transfer.totalTimeoutMs = limits.totalMs;
  return transfer;
}

FetchResult Failed(Outcome outcome, const QString& detail) {
  return {outcome, detail};
}

// What the server answered for the body (written to `partial`), as an outcome.
FetchResult FetchBody(const QString& url, const QString& partial, const DownloadLimits& limits,
                      const ReleaseSettings& settings, const FetchProgress& progress) {
  std::FILE* out = detail::OpenForWriting(partial);
  if (!out) {
    const int error = errno;
    return Failed(IsSpaceError(error) ? Outcome::kNoSpace : Outcome::kCannotWrite,
                  QString::fromLocal8Bit(std::strerror(error)));
  }
  detail::TransferSettings transfer = TransferFor(url, limits, settings);
  transfer.cancel = progress.cancel;
  const detail::TransferResult result =
      detail::PerformTransfer(transfer, out, {progress.begin, progress.progress, progress.end});
  int writeError = result.writeError;
  // What the file holds reaches the disk before anyone renames it into place.
  const bool flushed = std::fflush(out) == 0 && ::fsync(fileno(out)) == 0;
  if (!flushed && writeError == 0) writeError = errno;
  const bool closed = std::fclose(out) == 0;
  if (!closed && writeError == 0) writeError = errno;
  if (writeError != 0) {
    return Failed(IsSpaceError(writeError) ? Outcome::kNoSpace : Outcome::kCannotWrite,
                  QString::fromLocal8Bit(std::strerror(writeError)));
  }
  if (result.ended) return Failed(Outcome::kCancelled, result.error);
  if (result.tooLarge) return Failed(Outcome::kTooLarge, result.error);
  if (!result.ok) return Failed(Outcome::kUnreachable, result.error);
  if (FileSizeOf(partial) <= 0) return Failed(Outcome::kUnreachable, QStringLiteral("empty"));
  return {Outcome::kFetched, {}};
}

FetchResult CheckSignature(const QString& url, const QString& partial,
                           const ReleaseSettings& settings, QByteArray& signature,
                           const std::atomic<bool>* cancel) {
  if (settings.publicKey.isEmpty()) return {Outcome::kFetched, {}};
  detail::TransferSettings transfer =
      TransferFor(url + QStringLiteral(".sig"), settings.manifestLimits, settings);
  transfer.cancel = cancel;
  transfer.maxBytes = 4096;
  const detail::TransferResult result =
      detail::PerformTransfer(transfer,
                              [&signature](const char* data, size_t length) {
                                signature.append(data, static_cast<qsizetype>(length));
                                return true;
                              },
                              {});
  // A server that answers, but has no signature, is refused; one that does not answer is away.
  if (result.ended) return Failed(Outcome::kCancelled, result.error);
  if (!result.ok && result.status == 0) return Failed(Outcome::kUnreachable, result.error);
  QFile content(partial);
  if (!result.ok || !content.open(QIODevice::ReadOnly) ||
      !VerifyReleaseSignature(content.readAll(), signature, settings.publicKey)) {
    return Failed(Outcome::kUnsigned, url + QStringLiteral(".sig"));
  }
  return {Outcome::kFetched, {}};
}

}  // namespace

ManifestFetch FetchManifest(const QString& base, const QString& role, const QString& file,
                            const QString& keptFile, const ReleaseSettings& settings, qint64 floor,
                            const std::atomic<bool>* cancel) {
  ManifestFetch fetch;
  FetchCheck accept;
  const qint64 kept = std::max(ReadKeptSequence(keptFile), floor);
  if (!settings.publicKey.isEmpty()) {
    accept = [&fetch, &role, kept, &settings](const QString& partial) {
      // A manifest that cannot be read is told in the program's words, never the parser's.
      try {
        fetch.stamp = CheckManifestStamp(partial, role, kept, settings.now());
      } catch (const Error&) {
        return texts::kManifestUnreadableText.arg(role);
      }
      if (fetch.stamp.accepted()) return QString();
      return StampRefusalText(fetch.stamp, role, kept);
    };
  }
  FetchProgress progress;
  progress.cancel = cancel;
  fetch.result = FetchSignedFile(base + u'/' + role, file, settings.manifestLimits, settings,
                                 accept, progress);
  if (fetch.result.ok() && fetch.stamp.sequence > kept)
    KeepSequence(keptFile, fetch.stamp.sequence);
  return fetch;
}

QString FetchFailureText(const FetchResult& result, const QString& shownName) {
  switch (result.outcome) {
    case Outcome::kFetched:
      return {};
    case Outcome::kUnreachable:
      return texts::kFetchUnreachableText.arg(shownName);
    case Outcome::kTooLarge:
      return texts::kFetchTooLargeText.arg(shownName);
    case Outcome::kUnsigned:
      return texts::kFetchUnsignedText.arg(shownName);
    case Outcome::kNoSpace:
      return texts::kFetchNoSpaceText.arg(shownName);
    case Outcome::kCannotWrite:
      return texts::kFetchCannotWriteText.arg(shownName);
    case Outcome::kRefused:
      return result.detail;
    case Outcome::kCancelled:
      return {};
  }
  return {};
}

QString PartialFileOf(const QString& file) {
  return file + QStringLiteral(".part");
}

FetchResult FetchSignedFile(const QString& url, const QString& file, const DownloadLimits& limits,
                            const ReleaseSettings& settings, const FetchCheck& accept,
                            const FetchProgress& progress) {
  const QString partial = PartialFileOf(file);
  const QString signatureFile = file + QStringLiteral(".sig");
  QByteArray signature;
  FetchResult result = FetchBody(url, partial, limits, settings, progress);
  if (result.ok()) result = CheckSignature(url, partial, settings, signature, progress.cancel);
  if (result.ok() && accept) {
    QString refusal;
    try {
      refusal = accept(partial);
    } catch (const Error& error) {
      refusal = error.message();
    }
    if (!refusal.isEmpty()) result = Failed(Outcome::kRefused, refusal);
  }
  // The signature is kept beside the file, so that the file can be checked again when it is read
  // without the server. A file renamed without its new signature is refused then, never used.
  if (result.ok()) {
    DeleteFileQuietly(signatureFile);
    if (!RenameDurably(partial, file) ||
        (!signature.isEmpty() && !WriteFileDurably(signatureFile, signature))) {
      const int error = errno;
      result = Failed(IsSpaceError(error) ? Outcome::kNoSpace : Outcome::kCannotWrite,
                      QString::fromLocal8Bit(std::strerror(error)));
    }
  }
  if (!result.ok()) DeleteFileQuietly(partial);
  return result;
}

bool KeptFileSigned(const QString& file, const QByteArray& publicKey) {
  if (publicKey.isEmpty()) return true;
  QFile content(file);
  QFile signature(file + QStringLiteral(".sig"));
  return content.open(QIODevice::ReadOnly) && signature.open(QIODevice::ReadOnly) &&
         VerifyReleaseSignature(content.readAll(), signature.read(4096), publicKey);
}

}  // namespace ravlek
