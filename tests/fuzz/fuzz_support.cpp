#include "fuzz_support.h"

#include <QCoreApplication>
#include <QFile>

namespace ravlek::fuzz {

void StartQt() {
  static int argc = 1;
  static char name[] = "ravlek-fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(bytes) == bytes.size();
}

}  // namespace ravlek::fuzz
