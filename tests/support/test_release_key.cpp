#include "tests/support/test_release_key.h"

namespace ravlek::test {

const ReleaseKeyPair& TestReleaseKey() {
  static const ReleaseKeyPair pair = MakeReleaseKeyPair();
  return pair;
}

void UseTestReleaseKey() {
  ReleasePublicKey() = TestReleaseKey().publicPem;
}

QByteArray TestSignature(const QByteArray& data) {
  return SignReleaseFile(data, TestReleaseKey().privatePem);
}

}  // namespace ravlek::test
