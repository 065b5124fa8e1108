#include "fuzz_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace ravlek::fuzz {

void StartQt() {
  static int argc = 1;
  static char name[] = "ravlek-fuzz";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  (void)app;
}

QString InputFile(const QString& name, const uint8_t* data, size_t size) {
  static QTemporaryDir folder;
  const QString path = folder.filePath(name);
  QFile file(path);
  const auto length = static_cast<qint64>(size);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(reinterpret_cast<const char*>(data), length) != length) {
    Fail("the input file cannot be written");
  }
  return path;
}

}  // namespace ravlek::fuzz
