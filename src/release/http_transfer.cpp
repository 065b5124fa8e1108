#include "release/http_transfer.h"

#include <curl/curl.h>

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>

#include "base/program_end.h"

namespace ravlek::detail {
namespace {

using Clock = std::chrono::steady_clock;

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// What one transfer tracks while it runs; the header callback sees every response of a redirect
// chain, so the values always describe the response whose body is arriving.
struct TransferState {
  const std::function<bool(const char*, size_t)>* write = nullptr;
  qint64 maxBytes = 0;
  bool tooLarge = false;
  const TransferListener* listener = nullptr;
  long status = 0;
  QByteArray statusLine;
  qint64 announced = -1;
  qint64 received = 0;
  bool begun = false;
  bool writeFailed = false;
  int writeError = 0;
  bool stalled = false;
  bool ended = false;  // the program is ending, or the user cancelled: broken off
  const std::atomic<bool>* cancel = nullptr;
  long stallTimeoutMs = 0;
  curl_off_t lastSeen = -1;
  Clock::time_point lastData = Clock::now();

  void Begin() {
    if (begun) return;
    begun = true;
    if (listener->begin) listener->begin(announced > 0 ? announced : 0);
  }
};

bool IsSuccess(long status) {
  return status >= 200 && status <= 299;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* state = static_cast<TransferState*>(user);
  const size_t length = size * count;
  QByteArray line(data, static_cast<qsizetype>(length));
  line = line.trimmed();
  if (line.startsWith("HTTP/")) {
    // A new response of the chain starts: its own status and size replace the previous ones.
    state->statusLine = line;
    const QList<QByteArray> parts = line.split(' ');
    state->status = parts.size() > 1 ? parts[1].toLong() : 0;
    state->announced = -1;
  } else if (line.toLower().startsWith("content-length:")) {
    bool ok = false;
    const qint64 value = line.mid(15).trimmed().toLongLong(&ok);
    if (ok) state->announced = value;
  }
  return length;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* state = static_cast<TransferState*>(user);
  const size_t length = size * count;
  if (!IsSuccess(state->status)) {
    // A redirect's own body is dropped; an error response ends the transfer unwritten.
    return state->status >= 300 && state->status <= 399 ? length : 0;
  }
  state->Begin();
  if (state->maxBytes > 0 && state->received + static_cast<qint64>(length) > state->maxBytes) {
    state->tooLarge = true;
    return 0;
  }
  if (length > 0 && !(*state->write)(data, length)) {
    state->writeFailed = true;
    state->writeError = errno;
    return 0;
  }
  state->received += static_cast<qint64>(length);
  if (state->listener->progress) state->listener->progress(state->received);
  return length;
}

int OnProgress(void* user, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) {
  auto* state = static_cast<TransferState*>(user);
  // curl calls this about once a second also while no data comes, so an ending program is not
  // held by a slow or silent server.
  if (ProgramEndRequested() || (state->cancel && state->cancel->load())) {
    state->ended = true;
    return 1;
  }
  if (state->stallTimeoutMs <= 0) return 0;
  const auto moment = Clock::now();
  if (now != state->lastSeen) {
    state->lastSeen = now;
    state->lastData = moment;
    return 0;
  }
  const auto idle =
      std::chrono::duration_cast<std::chrono::milliseconds>(moment - state->lastData).count();
  if (idle >= state->stallTimeoutMs) {
    state->stalled = true;
    return 1;
  }
  return 0;
}

}  // namespace

std::FILE* OpenForWriting(const QString& path) {
  if (path.isEmpty()) return nullptr;
  return std::fopen(QFile::encodeName(path).constData(), "wb");
}

TransferResult PerformTransfer(const TransferSettings& settings, std::FILE* out,
                               const TransferListener& listener) {
  return PerformTransfer(
      settings,
      [out](const char* data, size_t length) {
        return std::fwrite(data, 1, length, out) == length;
      },
      listener);
}

QByteArray FetchToMemory(const TransferSettings& settings) {
  QByteArray body;
  const TransferResult result = PerformTransfer(settings,
                                                [&body](const char* data, size_t length) {
                                                  body.append(data, static_cast<qsizetype>(length));
                                                  return true;
                                                },
                                                {});
  return result.ok ? body : QByteArray();
}

TransferResult PerformTransfer(const TransferSettings& settings,
                               const std::function<bool(const char*, size_t)>& write,
                               const TransferListener& listener) {
  InitialiseCurlOnce();
  TransferResult result;
  CURL* curl = curl_easy_init();
  if (!curl) {
    result.error = QStringLiteral("The HTTP client could not be created");
    return result;
  }
  TransferState state;
  state.write = &write;
  state.maxBytes = settings.maxBytes;
  state.listener = &listener;
  state.stallTimeoutMs = settings.stallTimeoutMs;
  state.cancel = settings.cancel;

  const QByteArray url = settings.url.toUtf8();
  const QByteArray agent = settings.userAgent.toUtf8();
  const QByteArray caFile = QFile::encodeName(settings.caFile);
  char errorBuffer[CURL_ERROR_SIZE] = {};

  curl_easy_setopt(curl, CURLOPT_URL, url.constData());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, settings.protocols);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, settings.protocols);
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, settings.maxRedirects);
  curl_easy_setopt(curl, CURLOPT_PROXY, "");  // no proxy, not even from the environment
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, settings.bufferSize);
  if (!agent.isEmpty()) curl_easy_setopt(curl, CURLOPT_USERAGENT, agent.constData());
  if (settings.basicAuth) curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_BASIC);
  if (settings.connectTimeoutMs > 0)
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, settings.connectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!caFile.isEmpty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.constData());
  if (settings.lowSpeedBytes > 0 && settings.lowSpeedSeconds > 0) {
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, settings.lowSpeedBytes);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, settings.lowSpeedSeconds);
  }
  if (settings.totalTimeoutMs > 0)
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, settings.totalTimeoutMs);
  // An announced size past the limit fails before the body comes; a chunked one is counted.
  if (settings.maxBytes > 0)
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(settings.maxBytes));
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &state);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &state);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &state);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);

  const CURLcode code = curl_easy_perform(curl);
  long finalStatus = 0;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &finalStatus);
  curl_easy_cleanup(curl);
  result.status = finalStatus;
  result.writeError = state.writeError;

  if (code == CURLE_OK && IsSuccess(finalStatus)) {
    state.Begin();  // an empty body still begins and ends
    result.ok = true;
  } else if (state.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    result.tooLarge = true;
    result.error = QStringLiteral("The response is larger than %1 bytes: %2")
                       .arg(settings.maxBytes)
                       .arg(settings.url);
  } else if (state.ended) {
    result.ended = true;
    result.error = QStringLiteral("Operation aborted");
  } else if (state.stalled) {
    result.error = QStringLiteral("Read timed out.");
  } else if (state.writeFailed) {
    result.error = QStringLiteral("Could not write the downloaded data: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(state.writeError)));
  } else if (finalStatus != 0 && !IsSuccess(finalStatus) &&
             (code == CURLE_OK || code == CURLE_WRITE_ERROR)) {
    // The server answered with an error (or a redirect that was not followed).
    result.error = QString::fromLatin1(state.statusLine);
  } else {
    const QString detail = errorBuffer[0] ? QString::fromLocal8Bit(errorBuffer)
                                          : QString::fromLatin1(curl_easy_strerror(code));
    result.error = QStringLiteral("%1: %2").arg(detail, settings.url);
  }
  if (state.begun && listener.end) listener.end();
  return result;
}

}  // namespace ravlek::detail
