#pragma once
// The progress-reporting HTTP client of the update downloads: a GET into a file that reports its
// progress in percent and the size the server announced.

#include <QString>
#include <functional>
#include <memory>

class QObject;

namespace ravlek {

// The TLS-capable transport (OpenSSL). Certificates are always verified against the system's
// store; CAFile replaces that store (tests use it to trust their own authority).
class TIdSSLIOHandlerSocketOpenSSL {
 public:
  QString CAFile;
};

class TIdHTTPProgress {
 public:
  using TNotifyEvent = std::function<void(TIdHTTPProgress* Sender)>;

  explicit TIdHTTPProgress(QObject* AOwner = nullptr);
  ~TIdHTTPProgress();
  TIdHTTPProgress(const TIdHTTPProgress&) = delete;
  TIdHTTPProgress& operator=(const TIdHTTPProgress&) = delete;

  // Fetches the address into the file (its folders are created). Raises Error when the transfer
  // fails (no connection, an HTTP error status, a read time-out) after closing the file, which
  // stays as far as it was written.
  void DownloadFile(const QString& aFileUrl, const QString& aDestinationFile);

  int Progress() const { return FProgress; }
  // Every assignment notifies OnChange, also when the value is unchanged.
  void SetProgress(int value);
  qint64 BytesToTransfer() const { return FBytesToTransfer; }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(TNotifyEvent handler) { FOnChange = std::move(handler); }

  // Client settings.
  bool BasicAuthentication = true;
  bool HandleRedirects = true;
  int RedirectMaximum = 15;  // a redirect is followed while the count stays below this
  int ReadTimeout = 30000;   // milliseconds without data before a read fails
  // A transfer slower than LowSpeedLimit bytes per second for LowSpeedTime seconds fails.
  int LowSpeedLimit = 1024;
  int LowSpeedTime = 30;
  // A body longer than this many bytes is cut off there and the transfer fails; 0: any size.
  qint64 MaxBytes = 0;
  std::unique_ptr<TIdSSLIOHandlerSocketOpenSSL> IOHndl;

 private:
  void TransferBegin(qint64 total);
  void TransferProgress(qint64 received);
  void TransferEnd();

  int FProgress = 0;
  qint64 FBytesToTransfer = 0;
  TNotifyEvent FOnChange;
};

}  // namespace ravlek
