#include "metre/metre_readings.h"

#include "base/characters.h"
#include "metre/metre_report.h"

namespace ravlek::metre {
QList<QList<MetrePlace>> MetrePlaces(const QStringList& lines, const PingshuiTable& table,
                                     const CharacterReadings& readings,
                                     const QList<QStringList>* preferred) {
  QList<QList<MetrePlace>> result;
  QList<QList<qsizetype>> starts;  // per line: the UTF-16 position of each character
  for (const QString& line : lines) {
    QList<qsizetype> positions;
    for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos)) {
      positions.append(pos);
    }
    result.append(QList<MetrePlace>(positions.size()));
    starts.append(positions);
  }
  for (const PoemLines& poem : SplitPoems(lines)) {
    QList<QStringList> poemPreferred;
    if (preferred) poemPreferred = preferred->mid(poem.firstLine, poem.lines.size());
    const PoemCheck check =
        CheckPoem(poem.lines, table, &readings, preferred ? &poemPreferred : nullptr);
    if (!check.Regulated()) continue;
    for (qsizetype v = 0; v < check.verses.size(); ++v) {
      const Verse& verse = check.verses[v];
      for (qsizetype k = 0; k < verse.characters.size(); ++k) {
        const MetreCharacter& c = verse.characters[k];
        const int line = poem.firstLine + c.line;
        const qsizetype index = starts[line].indexOf(c.position);
        if (index < 0) continue;
        MetrePlace& place = result[line][index];
        place.reading = c.reading;
        place.verse = static_cast<int>(v) + 1;
        place.index = static_cast<int>(k) + 1;
        place.tone = c.tone;
        place.rhymePosition = c.rhymePosition;
        place.rhyme = c.rhyme;
        place.preferred = c.preferred;
        place.byOrder = c.byOrder;
      }
    }
  }
  return result;
}

QList<QStringList> MetreReadings(const QStringList& lines, const PingshuiTable& table,
                                 const CharacterReadings& readings,
                                 const QList<QStringList>* preferred) {
  QList<QStringList> result;
  for (const QList<MetrePlace>& places : MetrePlaces(lines, table, readings, preferred)) {
    QStringList line;
    line.reserve(places.size());
    for (const MetrePlace& place : places) line.append(place.reading);
    result.append(line);
  }
  return result;
}

bool HasMetreReadings(const QList<QStringList>& readings) {
  for (const QStringList& line : readings) {
    for (const QString& reading : line) {
      if (!reading.isEmpty()) return true;
    }
  }
  return false;
}

}  // namespace ravlek::metre
