#include "metre/metre_readings.h"

#include "base/characters.h"
#include "metre/metre_check.h"
#include "metre/metre_report.h"

namespace ravlek::metre {

QList<QStringList> MetreReadings(const QStringList& lines, const PingshuiTable& table,
                                 const CharacterReadings& readings) {
  QList<QStringList> result;
  QList<QList<qsizetype>> starts;  // per line: the UTF-16 position of each character
  for (const QString& line : lines) {
    QList<qsizetype> positions;
    for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos)) {
      positions.append(pos);
    }
    result.append(QStringList(positions.size()));
    starts.append(positions);
  }
  for (const PoemLines& poem : SplitPoems(lines)) {
    const PoemCheck check = CheckPoem(poem.lines, table, &readings);
    if (!check.Regulated()) continue;
    for (const Verse& verse : check.verses) {
      for (const MetreCharacter& c : verse.characters) {
        const int line = poem.firstLine + c.line;
        const qsizetype index = starts[line].indexOf(c.position);
        if (index >= 0) result[line][index] = c.reading;
      }
    }
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
