#pragma once
// Saving a handout as desktop programs save: written beside its place and renamed over it, so
// that a failure leaves the old file whole, with the mode the user's umask gives a new file
// (0644 under the usual 022), and in the folder the user is likely to want.

#include <QByteArray>
#include <QString>

namespace ravlek {

// Writes the bytes to a new file beside `path` and renames it to `path`. Raises Error (naming
// `path`) when either step fails; the file beside is then removed.
void SaveFileAtomically(const QString& path, const QByteArray& bytes);

// A name beside `path` for a file that another writer (an HTML engine printing a PDF) fills, to
// be moved over `path` by MoveIntoPlace.
QString BesidePath(const QString& path);

// Gives the file beside the mode of a new file and renames it to `path`; raises Error and removes
// it when that fails.
void MoveIntoPlace(const QString& besidePath, const QString& path);

// The folder a save dialog opens in: the last one used if it still exists, else the user's
// documents folder (XDG_DOCUMENTS_DIR), else the home folder.
QString SaveFolder(const QString& lastFolder);

}  // namespace ravlek
