#include "release/staged_archive.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

namespace ravlek {
namespace {

QByteArray Fingerprint(const QByteArray& bytes) {
  return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

}  // namespace

QString ReadyMarkPath(const QString& archive) {
  return archive + kReadyMarkSuffix;
}

bool WriteReadyMark(const QString& archive) {
  QFile file(archive);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray fingerprint = Fingerprint(file.readAll());
  QSaveFile mark(ReadyMarkPath(archive));
  return mark.open(QIODevice::WriteOnly) && mark.write(fingerprint) == fingerprint.size() &&
         mark.commit();
}

bool ReadyMarkMatches(const QString& archive, const QByteArray& bytes) {
  QFile mark(ReadyMarkPath(archive));
  if (!mark.open(QIODevice::ReadOnly)) return false;
  return mark.read(256).trimmed() == Fingerprint(bytes);
}

}  // namespace ravlek
