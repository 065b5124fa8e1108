#pragma once
// File operations of the release channel. Copies and deletions report nothing: the callers
// ignore their results by design.

#include <QString>

namespace ravlek {

// Copies a file over another, replacing it; a missing source or an unwritable target leaves the
// target as it was. The copy lands under a temporary name first and then replaces the target,
// so that a running program can be replaced too; it keeps the source's mode.
bool CopyFileReplacing(const QString& from, const QString& to);

// The same for a program (the starter, the program itself): the copy gets the mode of the file it
// replaces, executable by its owner at least, or 0755 when there is none, whatever the source's
// mode is.
bool CopyExecutableReplacing(const QString& from, const QString& to);

// The mode a new copy of the program `target` gets: that of the file there now with the owner's
// execute bit, or 0755.
unsigned ExecutableModeFor(const QString& target);

// Deletes a file; a missing file is no failure.
void DeleteFileQuietly(const QString& path);

// Renames a file over another and flushes the folder that holds the new name to disk, so that the
// rename survives a crash. False (errno set) when the rename fails.
bool RenameDurably(const QString& from, const QString& to);

// Writes a whole file under a temporary name, flushes it and renames it into place; false (errno
// set) on any failure, the old file then unchanged.
bool WriteFileDurably(const QString& path, const QByteArray& bytes);

// Flushes a file's data, or a folder's entries, to disk; false when that fails.
bool SyncToDisk(const QString& path);

// Makes a folder and every missing one above it. 0, or the system's error number for the first
// that could not be made (ENOSPC also when the file system has no inode left for it).
int MakeFolderPath(const QString& path);

// A failure of the file system as an Error: a DiskFullError for a full disk, quota or inode
// table. `what` names the step and the path; the system's words follow.
[[noreturn]] void ThrowFileSystemError(const QString& what, int error);

// The size in bytes of the file of that name, or -1 when there is none.
qint64 FileSizeOf(const QString& path);

}  // namespace ravlek
