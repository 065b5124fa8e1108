#pragma once
// Reads a file whole for a comparison in a test.

#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes; "<missing>" when it cannot be read, so that a failed comparison says why.
inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
