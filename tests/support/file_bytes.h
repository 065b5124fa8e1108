#pragma once
// Bytes for comparisons in tests: a file read whole, and bytes given as numbers.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <initializer_list>

// The file's bytes; "<missing>" when it cannot be read, so that a failed comparison says why.
inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Bytes given as numbers 0-255 (byte-order marks, invalid sequences).
inline QByteArray Bytes(std::initializer_list<int> values) {
  QByteArray bytes;
  for (int value : values) bytes.append(static_cast<char>(value));
  return bytes;
}
