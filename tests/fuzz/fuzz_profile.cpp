// The INI profile reader and writer on any file content: reading never fails, and a key written
// is read back as written while a key of another section keeps its value.

#include "base/profile.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  const QString file = ravlek::fuzz::InputFile(QStringLiteral("FDConnectionDefs.ini"), data, size);

  const QString section = QStringLiteral("Connect_RavlekDB");
  const QString before = ravlek::ReadProfileString(file, section, QStringLiteral("Database"));
  ravlek::ReadProfileInt(file, section, QStringLiteral("Port"), 5432);
  ravlek::ProfileSectionExists(file, section);
  ravlek::ProfileSectionKeys(file, section);

  const QString value = QStringLiteral("寫入 value");
  if (!ravlek::WriteProfileString(file, QStringLiteral("Fuzz"), QStringLiteral("Key"), value)) {
    ravlek::fuzz::Fail("a profile write failed");
  }
  ravlek::fuzz::Check(
      ravlek::ReadProfileString(file, QStringLiteral("FUZZ"), QStringLiteral("key")) == value,
      "a written key does not read back");
  ravlek::fuzz::Check(
      ravlek::ReadProfileString(file, section, QStringLiteral("Database")) == before,
      "a write changed another section's key");
  ravlek::DeleteProfileKey(file, QStringLiteral("Fuzz"), QStringLiteral("Key"));
  ravlek::fuzz::Check(ravlek::ReadProfileString(file, QStringLiteral("Fuzz"), QStringLiteral("Key"),
                                                QStringLiteral("gone")) == QStringLiteral("gone"),
                      "a deleted key still reads");
  return 0;
}
