#pragma once
#include <QByteArray>
#include <QString>
#include <cstdint>

namespace ravlek {

// What an archive may unpack to, so that a small archive cannot fill the disk (a "ZIP bomb").
// Zero means no limit.
struct UnzipLimits {
  std::uint64_t memberBytes = 0;  // the unpacked size of one member
  std::uint64_t totalBytes = 0;   // the unpacked size of all members together
  std::uint64_t ratio = 0;        // unpacked size ÷ packed size of one member
};

// The limits of the resource-page packages: 100 MB a member, 1 GB in all, 1:200.
UnzipLimits PackageUnzipLimits();

// Unpacks every member of a ZIP archive into a folder (sub-folders created, existing files
// replaced). The archive is read into memory once and its members are streamed out of that copy,
// so a member may even replace the archive's own file. Each file is written beside its target
// and renamed over it (its data flushed to disk first), so that a running program is replaced,
// never written into. A member whose Unix attributes have the owner-execute bit is made 0777, any
// other 0666, both less the umask: nothing else of the archive's mode counts.
//
// Raises Error on a missing, empty or broken archive, an unsupported compression method, an
// unsafe member (an absolute name, a ".." part or a symbolic link; nothing is written then), a
// member beyond the limits (nothing is written when the archive's own sizes tell it) or a file
// that cannot be created.
void UnzipToFolder(const QString& archive, const QString& folder, const UnzipLimits& limits = {});

// The same, for an archive already held in memory.
void UnzipBytesToFolder(const QByteArray& archive, const QString& shownName, const QString& folder,
                        const UnzipLimits& limits = {});

}  // namespace ravlek
