#pragma once
// INI profile files read and written the way the desktop platform's profile functions do it:
// sections and keys compare without regard to letter case, a missing file, section or key yields
// the caller's default, and a write creates the file, section or key as needed while keeping every
// other line of the file as it was.
//
// Files are read as UTF-8 (a UTF-8 or UTF-16 byte-order mark is honoured) and written back in the
// encoding and line endings they had; a new file is written as UTF-8 with LF line endings.

#include <QString>
#include <QStringList>

namespace ravlek {

// The value of key in section, blanks around it removed and one pair of enclosing double or single
// quotes dropped; defaultValue when the file, the section or the key is missing.
QString ReadProfileString(const QString& file, const QString& section, const QString& key,
                          const QString& defaultValue = QString());

// The value read as a decimal integer (leading blanks and a sign allowed, reading stops at the
// first non-digit); defaultValue when the key is missing or its value does not begin with digits.
int ReadProfileInt(const QString& file, const QString& section, const QString& key,
                   int defaultValue);

// Sets key in section to value, creating what is missing. Returns false when the file cannot be
// written.
bool WriteProfileString(const QString& file, const QString& section, const QString& key,
                        const QString& value);
bool WriteProfileInt(const QString& file, const QString& section, const QString& key, int value);

// Removes the key (every line of it in the first matching section). Returns false when the file
// cannot be written; a missing file, section or key is no failure.
bool DeleteProfileKey(const QString& file, const QString& section, const QString& key);

// Whether the file holds the section; the section's keys in file order.
bool ProfileSectionExists(const QString& file, const QString& section);
QStringList ProfileSectionKeys(const QString& file, const QString& section);

}  // namespace ravlek
