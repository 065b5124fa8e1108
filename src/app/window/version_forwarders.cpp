// TOstrel's designed handler names of the version page, forwarded to the page.
#include "app/window/ostrel.h"
#include "app/window/page_control.h"
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
void TOstrel::StartupShowInstalledVersions() {
  versionPage->StartupShowInstalledVersions();
}
void TOstrel::StartupShowReleaseNotes() {
  versionPage->StartupShowReleaseNotes();
}
void TOstrel::StartupFetchReleaseFiles() {
  versionPage->StartupFetchReleaseFiles([this](bool announced) {
    if (!announced) return;
    TntTabControl1->GLOBAL_Control_page_ActivePage = "TntTabSheet4";
    // Shown already: the version page comes forward unless the user has gone to another page.
    if (activated_ && TntTabControl1->currentWidget() == TntTabSheet1) SelectPage(TntTabSheet4);
  });
}
void TOstrel::WaitForStartupFetches() {
  versionPage->WaitForStartupFetches();
}
