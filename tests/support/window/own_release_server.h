#pragma once
// A release server of the test program's own, so that no test or benchmark depends on what
// listens on the compiled-in release address: cpp-httplib on 127.0.0.1, on a port the system
// picks, serving the installed release of the built application folder (no update announced),
// signed with the test program's own key.

#include <QString>

namespace ravlek::test {

// Starts the server at the first call and points the window's release steps at it (and their
// signature checks at the test key); later calls
// change nothing, so a test that points them elsewhere keeps its own address. Answers the
// server's root address.
QString EnsureOwnReleaseServer();

}  // namespace ravlek::test
