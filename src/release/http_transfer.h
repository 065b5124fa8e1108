#pragma once
// One HTTP GET on libcurl, streamed into an open file. Shared by DownloadToFile and
// TIdHTTPProgress, which differ only in their settings and in who listens to the transfer.

#include <QString>
#include <cstdio>
#include <functional>

namespace ravlek::detail {

struct TransferSettings {
  QString url;
  const char* protocols = "http";  // the schemes allowed, also for redirects
  long maxRedirects = 0;           // redirects followed at most
  QString userAgent;               // none sent when empty
  bool basicAuth = false;
  long connectTimeoutMs = 0;  // 0: none
  long stallTimeoutMs = 0;    // the transfer fails after this long without data; 0: never
  QString caFile;             // certificates trusted besides none: empty means the system's store
  long bufferSize = 256 * 1024;
};

// Listens to the body of the final response: begin (the size its headers announced, 0 when
// none), after every chunk written (bytes so far), and end (also after a failure).
struct TransferListener {
  std::function<void(qint64)> begin;
  std::function<void(qint64)> progress;
  std::function<void()> end;
};

struct TransferResult {
  bool ok = false;  // completed with a 2xx final status
  QString error;    // what went wrong, otherwise empty
};

// Sends the GET and writes a 2xx response's body into `out`; an error response's body is never
// written. Never throws.
TransferResult PerformTransfer(const TransferSettings& settings, std::FILE* out,
                               const TransferListener& listener);

// Opens a file for writing, truncating it ("wb"); nullptr with errno set on failure.
std::FILE* OpenForWriting(const QString& path);

}  // namespace ravlek::detail
