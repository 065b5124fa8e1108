#pragma once
// What the release steps of the start-up keep for each other and for the download button.

#include <QString>

#include "release/version_check.h"

namespace ravlek {

struct ReleaseState {
  QString xmlPath;               // XMLpath of FDConnectionDefs.ini
  bool manifestFetched = false;  // the latest manifest came from the server at this start-up
  InstalledVersions installed;
  LatestRelease latest;
  bool programEnding = false;  // a completed update download has asked the program to end
};

}  // namespace ravlek
