#pragma once
// What the program and the starter agree on about staged upgrade archives: the ready mark that
// the program leaves beside an archive it has verified. The folders' and files' names are those of
// app/app_folder.h.

#include <QByteArray>
#include <QString>

#include "base/app_folder.h"

namespace ravlek {

// The mark beside a verified archive: "<archive>.ready", holding the archive's SHA-256 in hex.
QString ReadyMarkPath(const QString& archive);
// Writes the mark for the archive as it is now; false when it cannot be written.
bool WriteReadyMark(const QString& archive);
// Whether the archive's bytes are those that the program marked ready.
bool ReadyMarkMatches(const QString& archive, const QByteArray& bytes);

}  // namespace ravlek
