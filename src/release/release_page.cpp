#include "app/ostrel.h"

void TOstrel::DL_TntButtonClick() {}
void TOstrel::DL_NEXTTIME_TntButtonClick() {}
void TOstrel::DownloadProgressChanged() {}
void TOstrel::StartupReleaseAddress() {}
void TOstrel::InstallStagedStarter(bool) {}
void TOstrel::StartupFetchManifest() {}
void TOstrel::StartupRefreshPackages() {}
void TOstrel::StartupShowInstalledVersions() {}
void TOstrel::StartupListLatestRelease() {}
void TOstrel::StartupAnnounceUpdate() {}
void TOstrel::StartupShowReleaseNotes() {}
void TOstrel::StartupSetDownloadFlags() {}
