#pragma once
// The phrase files of an application folder, read into one PhraseTable: the one loader of the
// window, ravlek-cli and ravlek-server.

#include <QString>
#include <QStringList>
#include <memory>

#include "romanize/phrase_readings.h"

namespace ravlek {

// The shipped files, beside LICENSE.terra-pinyin in the application folder.
inline const QString kClassicalPhraseFile = QStringLiteral("classical_readings.tsv");
inline const QString kTerraPhraseFile = QStringLiteral("phrases.terra.tsv");

// Adds the shipped phrase files of `appDir` to `table`: our reviewed classical readings, then
// terra-pinyin's. Returns what went wrong, as sentences for the user (a file that cannot be read,
// lines that cannot); whatever could be read is kept.
QStringList LoadShippedPhrases(const QString& appDir, PhraseTable& table);

// Adds the user's own phrase file of `appDir` (user_phrases.h), as PhraseSource::User. Returns
// what went wrong, as for LoadShippedPhrases(); a missing file is none.
QStringList LoadUserPhrases(const QString& appDir, PhraseTable& table);

// Every phrase file of `appDir`: the user's own, then the shipped ones (the user's reading of a
// phrase wins over a shipped one's whatever the order, phrase_readings.h). Returns the problems.
QStringList LoadPhrases(const QString& appDir, PhraseTable& table);

struct LoadedPhrases {
  std::shared_ptr<const PhraseTable> table;  // never null
  QStringList problems;
};

// LoadPhrases() of `appDir`, read at the first call for that folder and kept for the rest of the
// process (a window's presses, a server's requests), read again when the user's own file has
// changed; safe from several threads.
LoadedPhrases ProcessPhrases(const QString& appDir);

}  // namespace ravlek
