#include "tests/support/test_release_key.h"

namespace ravlek::test {

const ReleaseKeyPair& TestReleaseKey() {
  static const ReleaseKeyPair pair = MakeReleaseKeyPair();
  return pair;
}

ReleaseSettings TestReleaseSettings(const QString& root) {
  ReleaseSettings settings = BuiltReleaseSettings();
  settings.root = root;
  settings.publicKey = TestReleaseKey().publicPem;
  return settings;
}

QByteArray TestSignature(const QByteArray& data) {
  return SignReleaseFile(data, TestReleaseKey().privatePem);
}

}  // namespace ravlek::test
