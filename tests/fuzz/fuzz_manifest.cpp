// The release manifests: any file content either loads or raises Error, never worse.

#include "base/error.h"
#include "fuzz_support.h"
#include "release/manifest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  const QString file = ravlek::fuzz::InputFile(QStringLiteral("LastVersion.xml"), data, size);
  try {
    ravlek::ReadReleases(file);
  } catch (const ravlek::Error&) {
  }
  try {
    ravlek::ReadPackageIds(file);
  } catch (const ravlek::Error&) {
  }
  ravlek::ReplacePredefinedEntities(
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  return 0;
}
