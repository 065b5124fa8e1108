// TOstrel's designed handler names of the version page, forwarded to the page.
#include "app/window/ostrel.h"
#include "release/window/version_page.h"

void TOstrel::DL_TntButtonClick() {
  versionPage->DL_TntButtonClick();
}
void TOstrel::DL_NEXTTIME_TntButtonClick() {
  versionPage->DL_NEXTTIME_TntButtonClick();
}
void TOstrel::VersionPageChanged() {
  versionPage->PageChanged();
}
void TOstrel::StartupReleaseAddress() {
  versionPage->StartupReleaseAddress();
}
void TOstrel::InstallStagedStarter(bool notify) {
  versionPage->InstallStagedStarter(notify);
}
void TOstrel::ReportRefusedUpdate() {
  versionPage->ReportRefusedUpdate();
}
void TOstrel::StartupFetchManifest() {
  versionPage->StartupFetchManifest();
}
void TOstrel::StartupRefreshPackages() {
  versionPage->StartupRefreshPackages();
}
void TOstrel::StartupShowInstalledVersions() {
  versionPage->StartupShowInstalledVersions();
}
void TOstrel::StartupListLatestRelease() {
  versionPage->StartupListLatestRelease();
}
void TOstrel::StartupAnnounceUpdate() {
  if (versionPage->StartupAnnounceUpdate())
    TntTabControl1->GLOBAL_Control_page_ActivePage = "TntTabSheet4";
}
void TOstrel::StartupShowReleaseNotes() {
  versionPage->StartupShowReleaseNotes();
}
void TOstrel::StartupSetDownloadFlags() {
  versionPage->StartupSetDownloadFlags();
}
