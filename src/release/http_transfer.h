#pragma once
// One HTTP GET on libcurl, streamed into an open file. Shared by DownloadToFile and
// TIdHTTPProgress, which differ only in their settings and in who listens to the transfer.

#include <QByteArray>
#include <QString>
#include <atomic>
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
  // The transfer fails when it stays slower than lowSpeedBytes per second for lowSpeedSeconds
  // (so a server that drips bytes cannot hold it forever); 0: never.
  long lowSpeedBytes = 0;
  long lowSpeedSeconds = 0;
  long totalTimeoutMs = 0;  // the whole transfer ends after this long; 0: never
  qint64 maxBytes = 0;      // a body larger than this fails the transfer; 0: any size
  QString caFile;           // certificates trusted besides none: empty means the system's store
  long bufferSize = 256 * 1024;
  // Set by another thread to break the transfer off (reported as `ended`); none when null.
  const std::atomic<bool>* cancel = nullptr;
};

// Listens to the body of the final response: begin (the size its headers announced, 0 when
// none), after every chunk written (bytes so far), and end (also after a failure).
struct TransferListener {
  std::function<void(qint64)> begin;
  std::function<void(qint64)> progress;
  std::function<void()> end;
};

struct TransferResult {
  bool ok = false;        // completed with a 2xx final status
  bool tooLarge = false;  // the body went past maxBytes
  long status = 0;        // the final response's HTTP status; 0 when none came
  int writeError = 0;     // the system's error number when writing the body failed
  bool ended = false;     // broken off because the program is ending
  QString error;          // what went wrong, otherwise empty
};

// Sends the GET and writes a 2xx response's body into `out`; an error response's body is never
// written. Never throws.
TransferResult PerformTransfer(const TransferSettings& settings, std::FILE* out,
                               const TransferListener& listener);

// The same, handing the body to `write`, which answers false to end the transfer.
TransferResult PerformTransfer(const TransferSettings& settings,
                               const std::function<bool(const char*, size_t)>& write,
                               const TransferListener& listener);

// A small body (a signature) fetched into memory; empty on any failure.
QByteArray FetchToMemory(const TransferSettings& settings);

// Opens a file for writing, truncating it ("wb"); nullptr with errno set on failure.
std::FILE* OpenForWriting(const QString& path);

}  // namespace ravlek::detail
