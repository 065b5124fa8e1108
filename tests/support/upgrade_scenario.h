#pragma once
// A dictionary upgrade as a user meets it, for the tests of every path that installs a newer
// dictionary: an old release and a newer one (as TSV folders), the notes a user types into the
// old one, and the check that after the upgrade both the user's notes and the new readings are
// there.
//
//   old release: 讚 通 tsan3, 則 文 tsik4, 如 文 ju5; BaseWords 則
//   new release: 讚 with a new Phone_desc, 則 with a new Desc, 新 文 sin1 added, 如 gone;
//                BaseWords 則 新
//   the user:    讚's Desc, 則's Phone_desc and 如's Desc typed over the shipped text

#include <QSqlDatabase>
#include <QString>

#include "dictionary/dictionary_upgrade.h"

namespace ravlek::test {

// Writes the release's TSV files (RavlekTable.tsv, BaseWords.tsv, BaseWordsPlus.tsv) into folder.
void WriteOldRelease(const QString& folder);
void WriteNewRelease(const QString& folder);

// Makes a shipped SQLite dictionary of a release folder at path (what the build ships: the rows
// and the shipped notes' hashes). Raises ravlek::Error.
void WriteShippedDatabase(const QString& path, const QString& releaseFolder);

// Types the user's notes into the dictionary (as the lookup page's memo fields store them).
void TypeUserNotes(QSqlDatabase& db);

// Empty when the dictionary holds the new release's readings with the user's notes in place of
// the shipped text where the user changed them and the new text elsewhere; else what differs.
QString CheckUpgraded(QSqlDatabase& db);
// Empty when the dictionary holds exactly the old release's readings with the user's notes.
QString CheckNotUpgraded(QSqlDatabase& db);

// Empty when folder holds one Ravlek-notes-*.tsv naming 如's note and the message names it.
QString CheckOrphanedNotes(const QString& folder, const QString& message);

}  // namespace ravlek::test
