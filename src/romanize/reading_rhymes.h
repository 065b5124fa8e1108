#pragma once
// The Pingshui rhyme and the 廣韻 entry the dictionary gives each reading of a character, for a
// list that offers the readings to choose from and for the reasons of a choice.

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <functional>

namespace ravlek {

// Reading (HanSpell) → PoemRhyme of the character's RavlekTable rows; a reading with several rows
// gets the rhymes joined by "、". Raises Error when the store fails.
QHash<QString, QString> ReadingRhymes(const QSqlDatabase& database, const QString& character);

// Reading (HanSpell) → the 反切 of the 廣韻 entry its PtypeDesc names (the first row's when
// several have one); readings without one are left out. Raises Error when the store fails.
QHash<QString, QString> ReadingFanqie(const QSqlDatabase& database, const QString& character);

// The 反切 of one reading of a character (empty when none), each character's rows read once: for
// the reasons of the phrases' choices, asked character by character.
std::function<QString(const QString& character, const QString& reading)> CachedReadingFanqie(
    const QSqlDatabase& database);

}  // namespace ravlek
