#pragma once
// A dictionary upgrade that keeps the notes the user typed: the new shipped rows take the place
// of the old ones, and for each reading (character, class, reading) a note (Phone_desc, Desc)
// that the user changed stays over the new shipped text, while one left as shipped takes the new
// text. Notes the user changed whose reading the new dictionary no longer has are written to a
// file beside the database and named in the report's message.
//
// The shipped notes are known by the table RavlekShippedNotes (HanWord, Ptype, HanSpell and the
// hashes of Phone_desc and Desc as shipped) that the build writes into every shipped dictionary
// and the upgrade renews. A dictionary without it (made before the table existed) counts every
// note that differs from the new shipped text as the user's.
//
// One function serves the package launcher (ravlek-cli upgrade --from FILE), the starter that
// installs a database archive (UpgradeDictionaryFile) and ravlek-cli upgrade on SQLite or
// PostgreSQL (UpgradeDictionary).

#include <QSqlDatabase>
#include <QString>
#include <functional>

#include "dictionary/dictionary_tsv.h"

namespace ravlek {

// A release of the shipped dictionary: the rows of its three tables, in order.
struct ShippedDictionary {
  DictionaryTsv ravlek;  // RavlekTable
  DictionaryTsv base;    // BaseWords
  DictionaryTsv plus;    // BaseWordsPlus
};

// The TSV files of a release folder: RavlekTable.tsv followed by every RavlekTable.*.tsv in
// name order (the open dictionary's second source), BaseWords.tsv and BaseWordsPlus.tsv. Raises
// Error for a missing file or a bad line.
ShippedDictionary ReadShippedRelease(const QString& folder);
// The three tables of a shipped SQLite dictionary file, in rowid order. Raises Error.
ShippedDictionary ReadShippedDatabase(const QString& sqliteFile);

struct DictionaryUpgradeReport {
  qsizetype rows = 0;           // RavlekTable rows after the upgrade
  qsizetype notesKept = 0;      // notes the user changed, kept over the new shipped text
  qsizetype notesRenewed = 0;   // notes left as shipped that took a new shipped text
  qsizetype notesOrphaned = 0;  // notes the user changed whose reading no longer exists
  QString notesFile;            // where those were written; empty when there were none
  QString message;              // what to tell the user
};

// The note-hash of the shipped-notes table: the first 16 hex digits of the SHA-1 of the UTF-8.
QString ShippedNoteHash(const QString& note);

// Upgrades the dictionary open on `db` (SQLite or PostgreSQL) to `shipped` in one transaction:
// on any error, or if the process dies before the end, the database is as it was. Notes whose
// reading is gone go to <notesFolder>/Ravlek-notes-<time>.tsv (in the import format) before the
// commit. `beforeCommit`, when given, runs after everything is written and before the commit.
// Raises Error.
DictionaryUpgradeReport UpgradeDictionary(QSqlDatabase& db, const ShippedDictionary& shipped,
                                          const QString& notesFolder,
                                          const std::function<void()>& beforeCommit = {});

// The starter's path: `fresh` (a new shipped dictionary file, unpacked from an archive) becomes a
// copy of the user's dictionary `current` upgraded to the rows of `fresh`, ready to be moved
// over `current`; `current` itself is not changed. Nothing is done where either does not
// exist (a first install, an archive without a dictionary). The notes file goes beside `current`.
// Raises Error.
DictionaryUpgradeReport UpgradeDictionaryFile(const QString& current, const QString& fresh);

}  // namespace ravlek
