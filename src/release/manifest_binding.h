#pragma once
// What binds a signed manifest to its release, beyond the elements it always had:
//
//   <signed file="LastVersion.xml" sequence="12" expires="2027-06-30T00:00:00Z"/>
//     a child of the root: the role the file was signed for (its file name), the publisher's
//     release sequence number (never lower for a later release) and the date after which the
//     manifest counts as stale;
//   <sys_sha256>, <sys_size>, <db_sha256>, <db_size>
//     in each release element of LastVersion.xml that names an archive: the archive's SHA-256 (hex)
//     and size in bytes;
//   <HTML_sha256>, <HTML_size>, <HTML_images_sha256>, <HTML_images_size>
//     in the info element of information.xml: those of HTML.zip and HTML_images.zip.
//
// The publisher writes them (release-server manifest) before signing; the program checks them.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace ravlek {

struct ManifestStamp {
  QString file;
  qint64 sequence = -1;
  QDateTime expires;  // invalid when none was given
};

// The stamp of a manifest file; nullopt when it has none. Raises Error as ManifestDocument::Load.
std::optional<ManifestStamp> ReadManifestStamp(const QString& path);

// An archive as a manifest names it.
struct ArchiveFacts {
  QByteArray sha256;  // lower-case hex
  qint64 size = -1;
  bool known() const { return !sha256.isEmpty() && size >= 0; }
};

// The facts of a file on disk (empty when it cannot be read).
ArchiveFacts FactsOfFile(const QString& path);
// Whether a file is the archive the manifest names.
bool FileMatches(const QString& path, const ArchiveFacts& facts);

// What the program decides about a verified manifest's stamp.
struct StampVerdict {
  enum class Kind { kAccepted, kMissing, kWrongRole, kRolledBack };
  Kind kind = Kind::kMissing;
  qint64 sequence = -1;
  bool expired = false;
  QDateTime expires;
  bool accepted() const { return kind == Kind::kAccepted; }
};
// The manifest at `path` must have been signed as `role` with a sequence not below `kept` (the
// highest accepted so far, -1 for none); an expiry before `now` is no refusal, only noted.
StampVerdict CheckManifestStamp(const QString& path, const QString& role, qint64 kept,
                                const QDateTime& now);
// Why a manifest was refused, in the program's language; empty when it was accepted.
QString StampRefusalText(const StampVerdict& verdict, const QString& role, qint64 kept);

// Whether the expiry of an accepted manifest is to be told now: it has passed and was not told
// yet (the expiry told last is kept in `warnedFile`, which this then updates). Told once.
bool ExpiryToTell(const StampVerdict& verdict, const QString& warnedFile);

// The highest release sequence the program has accepted, kept in a file; -1 when there is none.
qint64 ReadKeptSequence(const QString& path);
bool KeepSequence(const QString& path, qint64 sequence);

// The publisher's step: the manifest `xml` stamped for `role` with the sequence and expiry, each
// named archive or package given its facts by `factsOf` (called with the base name of a
// download address, or "HTML.zip" / "HTML_images.zip"; nullopt leaves the entry without them).
// Existing elements stay as they are. Empty when `xml` is not a readable manifest.
QByteArray StampManifest(const QByteArray& xml, const QString& role, qint64 sequence,
                         const QDateTime& expires,
                         const std::function<std::optional<ArchiveFacts>(const QString&)>& factsOf);

}  // namespace ravlek
