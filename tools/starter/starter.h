#pragma once
// The starter's work, apart from its entry point so that it can be tested.

#include <QString>
#include <QStringList>

namespace ravlek {

// The staged archives, installed in this order.
inline const QStringList kStagedArchives = {QStringLiteral("Ravlek_sys_upgrade.zip"),
                                            QStringLiteral("Ravlek_db_upgrade.zip")};

struct StarterReport {
  QStringList installed;  // archives unpacked and removed
  QStringList failures;   // one line per archive that could not be installed (left in place)
};

// Unpacks each staged archive found in <appDir>/upgrade_zip into appDir and removes it. A broken
// archive is reported and left where it is.
StarterReport InstallStagedArchives(const QString& appDir);

// Creates the marker file __sys_Ravlek.ini in appDir, new and empty (one left by an earlier run
// is replaced). False when it cannot be created.
bool CreateStartMarker(const QString& appDir);

// Starts the program detached, with appDir as its current directory and no arguments.
bool StartProgram(const QString& program, const QString& appDir);

}  // namespace ravlek
