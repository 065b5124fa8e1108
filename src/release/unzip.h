#pragma once
#include <QString>

namespace ravlek {

// Unpacks every member of a ZIP archive into a folder (sub-folders created, existing files
// replaced). Raises Error on a missing, empty or broken archive, an unsupported compression
// method, an unsafe member name (absolute or with a ".." part; nothing is written then) or a file
// that cannot be created.
void UnzipToFolder(const QString& archive, const QString& folder);

}  // namespace ravlek
