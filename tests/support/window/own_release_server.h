#pragma once
// A release server of the test program's own, so that no test or benchmark depends on what
// listens on the compiled-in release address: cpp-httplib on 127.0.0.1, on a port the system
// picks, serving the installed release of the built application folder (no update announced),
// signed with the test program's own key.

#include <QString>

#include "release/release_settings.h"

namespace ravlek::test {

// Starts the server at the first call (later calls change nothing) and answers its root address.
QString EnsureOwnReleaseServer();

// The release settings of a window that asks that server and checks with the test key.
ReleaseSettings OwnReleaseSettings();

}  // namespace ravlek::test
