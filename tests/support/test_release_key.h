#pragma once
// A release key pair of the test program's own, so that tests run the signed path whatever key
// the build carries.

#include <QByteArray>

#include "release/release_signature.h"

namespace ravlek::test {

// Made once per test program.
const ReleaseKeyPair& TestReleaseKey();
// Makes the program check release files against the test key.
void UseTestReleaseKey();
// The .sig text of `data` under the test key.
QByteArray TestSignature(const QByteArray& data);

}  // namespace ravlek::test
