#pragma once
// Ed25519 detached signatures of release files (OpenSSL's EVP interface). Each release file F on
// the server has F.sig beside it: the 64-byte signature in base64 on one line.

#include <QByteArray>
#include <QString>

#include "release/release_settings.h"

namespace ravlek {

// Whether `signature` (the text of a .sig file) is the publisher's signature of `data`. The public
// key is PEM, or base64 of the raw 32 bytes or of the DER form.
bool VerifyReleaseSignature(const QByteArray& data, const QByteArray& signature,
                            const QByteArray& publicKey);

// Whether the release file fetched from `url` into `file` is signed by the publisher: fetches
// url + ".sig" (http, or https trusting caFile besides the system's store when it is set) and
// checks the file's bytes against settings.publicKey. True without asking anything when no public
// key is set.
bool ReleaseFileSigned(const QString& url, const QString& file, const ReleaseSettings& settings,
                       const QString& caFile = {});

// The .sig text for `data`, signed with a private key in PEM; empty when the key is unusable.
QByteArray SignReleaseFile(const QByteArray& data, const QByteArray& privateKeyPem);

// A new key pair in PEM (private, public); both empty on failure.
struct ReleaseKeyPair {
  QByteArray privatePem;
  QByteArray publicPem;
};
ReleaseKeyPair MakeReleaseKeyPair();

}  // namespace ravlek
