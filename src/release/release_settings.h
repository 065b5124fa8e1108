#pragma once
// What the release channel is given from outside: the release server's root address, the
// publisher's public key, and the time-outs and limits of the manifests. The program runs with
// the build's settings; tests and tools pass their own.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>

#include "release/download.h"
#include "release/manifest.h"

namespace ravlek {

struct ReleaseSettings {
  QString root;          // the build setting RAVLEK_RELEASE_ROOT
  QByteArray publicKey;  // RAVLEK_RELEASE_PUBLIC_KEY; empty: no signature is asked for
  // The certificates an https release root is checked against; empty: the system's trust store.
  QString caFile;
  DownloadTimeouts timeouts;
  // The manifests (LastVersion.xml, information.xml) and their signatures: 1 MB and 60 s.
  DownloadLimits manifestLimits{kMaxManifestBytes, 60000};
  // The time a manifest's expiry is compared with (UTC).
  std::function<QDateTime()> now = [] { return QDateTime::currentDateTimeUtc(); };
};

// The settings the program was built with.
ReleaseSettings BuiltReleaseSettings();

}  // namespace ravlek
