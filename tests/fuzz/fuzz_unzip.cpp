// UnzipToFolder on any archive bytes, into a fresh folder three levels below a fresh parent: it
// unpacks or raises Error, and nothing appears outside the destination (no member climbs out with
// "..", and none becomes a link that points elsewhere).

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include "base/error.h"
#include "fuzz_support.h"
#include "release/unzip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  const QString archive = ravlek::fuzz::InputFile(QStringLiteral("package.zip"), data, size);

  QTemporaryDir parent;
  const QString destination = parent.filePath(QStringLiteral("a/b/c/out"));
  QDir().mkpath(destination);
  try {
    ravlek::UnzipToFolder(archive, destination, ravlek::PackageUnzipLimits());
  } catch (const ravlek::Error&) {
  }

  const QString allowed[] = {QStringLiteral("a"), QStringLiteral("a/b"), QStringLiteral("a/b/c"),
                             QStringLiteral("a/b/c/out")};
  QDirIterator it(parent.path(),
                  QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  const QDir root(parent.path());
  while (it.hasNext()) {
    it.next();
    const QFileInfo info = it.fileInfo();
    ravlek::fuzz::Check(!info.isSymLink(), "a member became a link");
    const QString relative = root.relativeFilePath(info.filePath());
    if (relative.startsWith(QLatin1String("a/b/c/out/"))) continue;
    bool known = false;
    for (const QString& folder : allowed) known = known || relative == folder;
    if (!known) {
      std::fprintf(stderr, "outside the destination: %s\n", qPrintable(relative));
      ravlek::fuzz::Fail("a member landed outside the destination");
    }
  }
  return 0;
}
