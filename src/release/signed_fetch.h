#pragma once
// The one way a release file (a manifest or a resource package) comes from the release server:
// fetched under a temporary name beside its place, its signature checked, and only then renamed
// over the file in use. A file that fails never replaces anything.

#include <QString>
#include <atomic>
#include <functional>

#include "release/download.h"
#include "release/manifest_binding.h"
#include "release/release_settings.h"

namespace ravlek {

struct FetchResult {
  enum class Outcome {
    kFetched,      // in place and signed
    kUnreachable,  // no answer, an error status, a time-out: the server or the network
    kTooLarge,     // the body went past the limit
    kUnsigned,     // the .sig is missing or does not verify the bytes
    kNoSpace,      // the disk (or the user's quota) is full
    kCannotWrite,  // the temporary file could not be written or renamed
    kRefused,      // signed, but refused by the caller's check (detail says why, to the user)
    kCancelled,    // broken off because the program is ending or the user cancelled
  };
  Outcome outcome = Outcome::kUnreachable;
  QString detail;  // the technical reason, for a log or a report
  bool ok() const { return outcome == Outcome::kFetched; }
};

// Fetches `url` (http or https, never redirected from https down to http) into `file` (its folder
// must exist) through `file` + ".part", within the limits
// and the settings' time-outs; checks url + ".sig" against settings.publicKey (nothing asked for
// without a key); flushes the file to disk and renames it over `file`, and keeps the signature
// beside it as file + ".sig". On any failure the temporary file is removed and `file` stays as it
// was.
// `accept`, when given, looks at the signed file under its temporary name before it takes its
// place and answers an empty text to let it, or why not (the outcome is then kRefused).
// `progress`, when given, hears the body's transfer: the size its headers announced (0 when
// none) at the start, the bytes so far after each chunk, and the end (also after a failure).
using FetchCheck = std::function<QString(const QString& partial)>;
struct FetchProgress {
  std::function<void(qint64 announced)> begin;
  std::function<void(qint64 received)> progress;
  std::function<void()> end;
  // Breaks the body's and the signature's transfer off when set (outcome kCancelled).
  const std::atomic<bool>* cancel = nullptr;
};
FetchResult FetchSignedFile(const QString& url, const QString& file, const DownloadLimits& limits,
                            const ReleaseSettings& settings, const FetchCheck& accept = {},
                            const FetchProgress& progress = {});

// A manifest (LastVersion.xml, information.xml) fetched from `base` into `file`. With a key it
// must be stamped for its role (its file name) with a release sequence not below the highest kept
// in `keptFile` and not below `floor` (the sequence of the installed release), and the kept one
// then moves up to it; one that is not is refused (outcome kRefused, the detail saying why in the
// program's language) and `file` stays as it was. `cancel`, when set, breaks the transfer off.
struct ManifestFetch {
  FetchResult result;
  StampVerdict stamp;  // as checked; kMissing without a key
};
ManifestFetch FetchManifest(const QString& base, const QString& role, const QString& file,
                            const QString& keptFile, const ReleaseSettings& settings,
                            qint64 floor = -1, const std::atomic<bool>* cancel = nullptr);

// Whether a file that FetchSignedFile put in place still carries the signature kept beside it
// (file + ".sig"); true without a key.
bool KeptFileSigned(const QString& file, const QByteArray& publicKey);

// The failure in the program's language, naming the file as shown; the system's own words stay in
// result.detail.
QString FetchFailureText(const FetchResult& result, const QString& shownName);

// The temporary name a fetch writes to.
QString PartialFileOf(const QString& file);

}  // namespace ravlek
