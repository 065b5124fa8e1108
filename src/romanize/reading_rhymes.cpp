#include "romanize/reading_rhymes.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <memory>

#include "base/error.h"
#include "romanize/reading_explanation.h"

namespace ravlek {

QHash<QString, QString> ReadingRhymes(const QSqlDatabase& database, const QString& character) {
  QSqlQuery query(database);
  query.prepare(QStringLiteral("SELECT HanSpell, PoemRhyme FROM RavlekTable WHERE HanWord = ?"));
  query.addBindValue(character);
  if (!query.exec()) throw Error(query.lastError().text());
  QHash<QString, QString> rhymes;
  while (query.next()) {
    const QString reading = query.value(0).toString();
    const QString rhyme = query.value(1).toString().trimmed();
    if (rhyme.isEmpty()) continue;
    QString& known = rhymes[reading];
    if (known.split(u'、').contains(rhyme)) continue;
    if (!known.isEmpty()) known += u'、';
    known += rhyme;
  }
  return rhymes;
}

QHash<QString, QString> ReadingFanqie(const QSqlDatabase& database, const QString& character) {
  QSqlQuery query(database);
  query.prepare(QStringLiteral("SELECT HanSpell, PtypeDesc FROM RavlekTable WHERE HanWord = ?"));
  query.addBindValue(character);
  if (!query.exec()) throw Error(query.lastError().text());
  QHash<QString, QString> fanqie;
  while (query.next()) {
    const QString reading = query.value(0).toString();
    const QString entry = FanqieOf(query.value(1).toString());
    if (!entry.isEmpty() && !fanqie.contains(reading)) fanqie.insert(reading, entry);
  }
  return fanqie;
}

std::function<QString(const QString&, const QString&)> CachedReadingFanqie(
    const QSqlDatabase& database) {
  auto known = std::make_shared<QHash<QString, QHash<QString, QString>>>();
  return [database, known](const QString& character, const QString& reading) {
    auto found = known->find(character);
    if (found == known->end()) found = known->insert(character, ReadingFanqie(database, character));
    return found->value(reading);
  };
}

}  // namespace ravlek
