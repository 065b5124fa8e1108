#include "tests/support/test_release_key.h"

#include <QCryptographicHash>

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

ArchiveFacts FactsOfBytes(const QByteArray& bytes) {
  return {QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(), bytes.size()};
}

QByteArray StampForTest(const QByteArray& xml, const QString& role, qint64 sequence,
                        const std::function<std::optional<ArchiveFacts>(const QString&)>& factsOf,
                        const QDateTime& expires) {
  return StampManifest(xml, role, sequence,
                       expires.isValid() ? expires : QDateTime::currentDateTimeUtc().addDays(365),
                       factsOf);
}

QByteArray TestSignature(const QByteArray& data) {
  return SignReleaseFile(data, TestReleaseKey().privatePem);
}

}  // namespace ravlek::test
