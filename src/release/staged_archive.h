#pragma once
// What the program and the starter agree on about staged upgrade archives: the ready mark that
// the program leaves beside an archive it has verified, the note that the starter leaves when it
// refused what was staged, and the starter's own name.

#include <QByteArray>
#include <QString>

namespace ravlek {

// The mark beside a verified archive: "<archive>.ready", holding the archive's SHA-256 in hex.
QString ReadyMarkPath(const QString& archive);
// Writes the mark for the archive as it is now; false when it cannot be written.
bool WriteReadyMark(const QString& archive);
// Whether the archive's bytes are those that the program marked ready.
bool ReadyMarkMatches(const QString& archive, const QByteArray& bytes);

// Where the starter moves archives it refused (relative to the application folder), and the note
// it leaves there for the program, one line per refused archive.
inline const QString kRefusedUpdateFolder = QStringLiteral("upgrade_zip/refused");
inline const QString kRefusedUpdateNote = QStringLiteral("upgrade_zip/refused/refused.txt");

// The starter's file name. The starter cannot replace itself while it runs: it leaves a new copy in
// upgrade_zip/ for the program to install.
#ifdef Q_OS_WIN
inline const QString kStarterFileName = QStringLiteral("Ravlek_Start.exe");
#else
inline const QString kStarterFileName = QStringLiteral("Ravlek_Start");
#endif

}  // namespace ravlek
