#pragma once
// The Pingshui rhyme the dictionary gives each reading of a character, for a list that offers the
// readings to choose from.

#include <QHash>
#include <QSqlDatabase>
#include <QString>

namespace ravlek {

// Reading (HanSpell) → PoemRhyme of the character's RavlekTable rows; a reading with several rows
// gets the rhymes joined by "、". Raises Error when the store fails.
QHash<QString, QString> ReadingRhymes(const QSqlDatabase& database, const QString& character);

}  // namespace ravlek
