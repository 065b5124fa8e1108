#pragma once
// The rules of the phonetic-font check, kept apart from the font database so they can be tested
// over any list of names.

#include <QString>
#include <QStringList>

namespace ravlek {

// The text that the phonetic font's family name contains.
inline const QString kPhoneticFamilyMark = QStringLiteral("Ostrel台語");

// The family names as the font listing reports them, each appended unless it equals the name
// appended last (compared without regard to case).
QStringList CollapseFamilyNames(const QStringList& reported);

// Whether some name contains the phonetic font's mark (case-sensitive substring test).
bool HasPhoneticFamily(const QStringList& familyNames);

// The first name holding the mark, or an empty text.
QString PhoneticFamilyName(const QStringList& familyNames);

}  // namespace ravlek
