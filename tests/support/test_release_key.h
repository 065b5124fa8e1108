#pragma once
// A release key pair of the test program's own, so that tests run the signed path whatever key
// the build carries.

#include <QByteArray>

#include "release/manifest_binding.h"
#include "release/release_settings.h"
#include "release/release_signature.h"

namespace ravlek::test {

// Made once per test program.
const ReleaseKeyPair& TestReleaseKey();
// The build's release settings with the server at `root` and the test key to check with.
ReleaseSettings TestReleaseSettings(const QString& root);
// The .sig text of `data` under the test key.
QByteArray TestSignature(const QByteArray& data);

// The SHA-256 and size of bytes, as a manifest names an archive.
ArchiveFacts FactsOfBytes(const QByteArray& bytes);
// A manifest stamped as the publisher's release-server manifest step does, for `role` with the
// sequence, an expiry a year ahead (or the one given), and the archives' facts from `factsOf`.
QByteArray StampForTest(
    const QByteArray& xml, const QString& role, qint64 sequence,
    const std::function<std::optional<ArchiveFacts>(const QString&)>& factsOf =
        [](const QString&) { return std::nullopt; },
    const QDateTime& expires = {});

}  // namespace ravlek::test
