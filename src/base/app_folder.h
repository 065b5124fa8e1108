#pragma once
// The application folder: the program runs with it as its current directory (the starter starts
// it there), so the files the parts share are found relative to that.

#include <QString>

namespace ravlek {

// The marker the starter creates before it starts the program; the program removes it on closing.
inline const QString kStartMarkerFile = QStringLiteral("__sys_Ravlek.ini");

// The path of a file or folder given relative to the application folder: the current directory,
// "/" and the relative name as given.
QString AppFolderFile(const QString& relative);

}  // namespace ravlek
