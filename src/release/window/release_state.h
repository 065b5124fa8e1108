#pragma once
// What the release steps of the start-up keep for each other and for the download button.

#include <QString>
#include <functional>
#include <memory>

#include "release/release_settings.h"
#include "release/version_check.h"

namespace ravlek {

struct ReleaseState {
  ReleaseSettings settings;      // the release server, the key, the time-outs
  QString xmlPath;               // XMLpath of FDConnectionDefs.ini
  bool manifestFetched = false;  // the latest manifest came from the server at this start-up
  InstalledVersions installed;
  LatestRelease latest;
  bool programEnding = false;  // a completed update download has asked the program to end
  // Ends the event loop without closing the window, so that the close handler does not run.
  // Tests put a recorder in its place.
  std::function<void()> endProgram;
};

// The window's release state, made on first use.
inline ReleaseState& EnsureReleaseState(std::shared_ptr<ReleaseState>& state) {
  if (!state) state = std::make_shared<ReleaseState>();
  return *state;
}

}  // namespace ravlek
