#pragma once
// A release key pair of the test program's own, so that tests run the signed path whatever key
// the build carries.

#include <QByteArray>

#include "release/release_settings.h"
#include "release/release_signature.h"

namespace ravlek::test {

// Made once per test program.
const ReleaseKeyPair& TestReleaseKey();
// The build's release settings with the server at `root` and the test key to check with.
ReleaseSettings TestReleaseSettings(const QString& root);
// The .sig text of `data` under the test key.
QByteArray TestSignature(const QByteArray& data);

}  // namespace ravlek::test
