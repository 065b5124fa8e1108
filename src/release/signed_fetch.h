#pragma once
// The one way a release file (a manifest or a resource package) comes from the release server:
// fetched under a temporary name beside its place, its signature checked, and only then renamed
// over the file in use. A file that fails never replaces anything.

#include <QString>

#include "release/download.h"
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
  };
  Outcome outcome = Outcome::kUnreachable;
  QString detail;  // the technical reason, for a log or a report
  bool ok() const { return outcome == Outcome::kFetched; }
};

// Fetches `url` into `file` (its folder must exist) through `file` + ".part", within the limits
// and the settings' time-outs; checks url + ".sig" against settings.publicKey (nothing asked for
// without a key); flushes the file to disk and renames it over `file`, and keeps the signature
// beside it as file + ".sig". On any failure the temporary file is removed and `file` stays as it
// was.
FetchResult FetchSignedFile(const QString& url, const QString& file, const DownloadLimits& limits,
                            const ReleaseSettings& settings);

// Whether a file that FetchSignedFile put in place still carries the signature kept beside it
// (file + ".sig"); true without a key.
bool KeptFileSigned(const QString& file, const QByteArray& publicKey);

// The failure in the program's language, naming the file as shown.
QString FetchFailureText(const FetchResult& result, const QString& shownName);

// The temporary name a fetch writes to.
QString PartialFileOf(const QString& file);

}  // namespace ravlek
