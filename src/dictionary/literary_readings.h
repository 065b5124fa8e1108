#pragma once
// The literary (文 and 通) readings of the dictionary, by character, in row order: what the
// fanqie synthesis combines.

#include <QHash>
#include <QList>
#include <QString>

#include "dictionary/fanqie_synthesis.h"

namespace ravlek {

class TFDConnection;

class LiteraryReadings {
 public:
  // Keeps the row when its reading class (the first character of Ptype) is 文 or 通.
  void Add(const QString& hanWord, const QString& ptype, const LiteraryReading& reading);
  // The character's literary readings in row order; empty when it has none.
  QList<LiteraryReading> Find(const QString& character) const;

  // Reads RavlekTable's rows with a reading class through a dataset of its own on the connection
  // (the lookup page's dataset keeps its filter). A field that the table lacks reads as empty.
  // Raises Error with the engine's message when the table cannot be read.
  static LiteraryReadings FromTable(TFDConnection& connection);

 private:
  QHash<QString, QList<LiteraryReading>> byCharacter_;
};

}  // namespace ravlek
