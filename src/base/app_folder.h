#pragma once
// The application folder: the program runs with it as its current directory (the starter starts
// it there), so the files the parts share are found relative to that.

#include <QString>

namespace ravlek {

// The marker the starter creates before it starts the program; the program removes it on closing.
inline const QString kStartMarkerFile = QStringLiteral("__sys_Ravlek.ini");

// The release channel's files and folders, relative to the application folder: what the program
// fetches, what it stages for the starter, and what the starter works in.
inline const QString kLastReleaseFolder = QStringLiteral("last_release_XML");
inline const QString kLatestManifestFile = QStringLiteral("last_release_XML/LastVersion.xml");
inline const QString kLatestManifestBackup = QStringLiteral("last_release_XML/LastVersion.sav");
inline const QString kLatestPackagesFile = QStringLiteral("last_release_XML/information.xml");
// The highest release sequence accepted from a signed manifest, and the expiry last warned about.
inline const QString kKeptSequenceFile = QStringLiteral("last_release_XML/accepted_sequence.txt");
inline const QString kExpiryWarnedFile = QStringLiteral("last_release_XML/expiry_warned.txt");
inline const QString kInstalledManifestFile = QStringLiteral("installedXML/CurrentVersion.xml");
inline const QString kInstalledPackagesFile = QStringLiteral("installedXML/information.xml");
// The release sequence of the installed release, shipped with it: no manifest of a lower
// sequence is taken, even by a fresh installation that has accepted none yet.
inline const QString kInstalledSequenceFile = QStringLiteral("installedXML/release_sequence.txt");
inline const QString kUpgradeFolder = QStringLiteral("upgrade_zip");
inline const QString kSystemArchiveName = QStringLiteral("Ravlek_sys_upgrade.zip");
inline const QString kDatabaseArchiveName = QStringLiteral("Ravlek_db_upgrade.zip");
inline const QString kSystemArchiveFile = kUpgradeFolder + u'/' + kSystemArchiveName;
inline const QString kDatabaseArchiveFile = kUpgradeFolder + u'/' + kDatabaseArchiveName;
// The mark beside a verified archive: "<archive>.ready".
inline const QString kReadyMarkSuffix = QStringLiteral(".ready");
// Where the starter moves archives it refused, and the note it leaves there for the program.
inline const QString kRefusedUpdateFolder = QStringLiteral("upgrade_zip/refused");
inline const QString kRefusedUpdateNote = QStringLiteral("upgrade_zip/refused/refused.txt");
// The starter unpacks into the first and moves the old copies into the second, both inside the
// application folder so that every move into place is a rename on one file system.
inline const QString kUnpackFolder = QStringLiteral("upgrade_unpack");
inline const QString kUnpackBackupFolder = QStringLiteral("upgrade_unpack.old");
// The old copies of an install that has completed, renamed from kUnpackBackupFolder as its last
// step: a folder of this name is only ever deleted, one of the other name is put back first.
inline const QString kUnpackDoneFolder = QStringLiteral("upgrade_unpack.done");
// The note the starter leaves when the disk was too full to install: the archives are deleted.
inline const QString kNoSpaceNote = QStringLiteral("upgrade_zip/no_space.txt");

// The program's and the starter's file names. The starter cannot replace itself while it runs:
// it leaves a new copy in upgrade_zip/ for the program to install.
#ifdef Q_OS_WIN
inline const QString kProgramFileName = QStringLiteral("Ravlek.exe");
inline const QString kStarterFileName = QStringLiteral("Ravlek_Start.exe");
#else
inline const QString kProgramFileName = QStringLiteral("Ravlek");
inline const QString kStarterFileName = QStringLiteral("Ravlek_Start");
#endif
inline const QString kStagedStarterFile = kUpgradeFolder + u'/' + kStarterFileName;
// The lock that one starter at a time holds while it installs and starts the program.
inline const QString kStarterLockFile = QStringLiteral("Ravlek_Start.lock");

// The path of a file or folder given relative to the application folder: the current directory,
// "/" and the relative name as given.
QString AppFolderFile(const QString& relative);

}  // namespace ravlek
