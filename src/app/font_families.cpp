#include "app/font_families.h"

namespace ravlek {

QStringList CollapseFamilyNames(const QStringList& reported) {
  QStringList names;
  for (const QString& name : reported) {
    if (names.isEmpty() || names.last().compare(name, Qt::CaseInsensitive) != 0) {
      names.append(name);
    }
  }
  return names;
}

bool HasPhoneticFamily(const QStringList& familyNames) {
  bool found = false;
  // Every name is looked at; the check does not stop at the first hit.
  for (const QString& name : familyNames) {
    if (name.contains(kPhoneticFamilyMark, Qt::CaseSensitive)) found = true;
  }
  return found;
}

QString PhoneticFamilyName(const QStringList& familyNames) {
  for (const QString& name : familyNames) {
    if (name.contains(kPhoneticFamilyMark, Qt::CaseSensitive)) return name;
  }
  return {};
}

}  // namespace ravlek
