#pragma once
// The one way a release file (a manifest or a resource package) comes from the release server:
// fetched under a temporary name beside its place, its signature checked, and only then renamed
// over the file in use. A file that fails never replaces anything.

#include <QString>
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
// `accept`, when given, looks at the signed file under its temporary name before it takes its
// place and answers an empty text to let it, or why not (the outcome is then kRefused).
using FetchCheck = std::function<QString(const QString& partial)>;
FetchResult FetchSignedFile(const QString& url, const QString& file, const DownloadLimits& limits,
                            const ReleaseSettings& settings, const FetchCheck& accept = {});

// A manifest (LastVersion.xml, information.xml) fetched from `base` into `file`. With a key it
// must be stamped for its role (its file name) with a release sequence not below the highest kept
// in `keptFile`, which then moves up to it; one that is not is refused (outcome kRefused, the
// detail saying why in the program's language) and `file` stays as it was.
struct ManifestFetch {
  FetchResult result;
  StampVerdict stamp;  // as checked; kMissing without a key
};
ManifestFetch FetchManifest(const QString& base, const QString& role, const QString& file,
                            const QString& keptFile, const ReleaseSettings& settings);

// Whether a file that FetchSignedFile put in place still carries the signature kept beside it
// (file + ".sig"); true without a key.
bool KeptFileSigned(const QString& file, const QByteArray& publicKey);

// The failure in the program's language, naming the file as shown.
QString FetchFailureText(const FetchResult& result, const QString& shownName);

// The temporary name a fetch writes to.
QString PartialFileOf(const QString& file);

}  // namespace ravlek
