#pragma once
// The release notes of the installed version (ReleaseNote.txt) and the folders the packages go to.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ravlek {

// A byte-order mark selects UTF-8 or UTF-16 (either byte order). Without one the bytes are read
// as UTF-8 when they are valid UTF-8, else in Big5 (code page 950), the code page of the
// program's users.
QString DecodeReleaseNotes(const QByteArray& bytes);

// The lines of the file (CR LF, LF or CR end a line). Raises Error when it cannot be read.
QStringList ReadReleaseNotes(const QString& path);

// Release notes are shown up to kMaxMemoNotes characters (256 K); a longer text is cut there and
// ends with a line that says so, so that a huge text cannot hold up the window.
constexpr qsizetype kMaxMemoNotes = 256 * 1024;
QString CutForMemo(const QString& text);

// Where the image package is unpacked: "C:/HAN_images" on Windows, else HAN_images in the
// user's home folder.
QString HanImagesFolder();

}  // namespace ravlek
