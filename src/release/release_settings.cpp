#include "release/release_settings.h"

#include "release_public_key.h"

namespace ravlek {

ReleaseSettings BuiltReleaseSettings() {
  ReleaseSettings settings;
  settings.root = QStringLiteral(RAVLEK_RELEASE_ROOT);
  settings.publicKey = QByteArray(kBuiltReleasePublicKey).trimmed();
  return settings;
}

}  // namespace ravlek
