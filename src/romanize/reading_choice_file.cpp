#include "romanize/reading_choice_file.h"

#include "base/characters.h"
#include "dictionary/tailo.h"

namespace ravlek {

QString NumericReading(const QString& typed) {
  QString reading = NumericTaiLo(typed.trimmed().normalized(QString::NormalizationForm_C));
  if (reading.isEmpty() || reading.back().isDigit()) return reading;
  const QChar last = reading.back().toLower();
  const bool checked = last == u'p' || last == u't' || last == u'k' || last == u'h';
  return reading + QLatin1Char(checked ? '4' : '1');
}

bool ParseReadingChoices(const QString& text, std::vector<ReadingChoiceLine>& lines,
                         QString& error) {
  const QStringList raw = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < raw.size(); ++i) {
    QString line = raw[i];
    if (line.endsWith(u'\r')) line.chop(1);
    if (line.trimmed().isEmpty() || line.startsWith(u'#')) continue;
    const QStringList fields = line.split(QLatin1Char('\t'));
    bool number = false;
    const qsizetype position = fields.value(0).trimmed().toLongLong(&number);
    const auto fault = [&](const QString& what) {
      error = QStringLiteral("line %1: %2").arg(i + 1).arg(what);
      return false;
    };
    if (fields.size() != 3) return fault(QStringLiteral("not position<TAB>character<TAB>reading"));
    if (!number || position < 1)
      return fault(QStringLiteral("the position is not a number from 1"));
    const QString character = fields[1];
    if (character.isEmpty() || CharacterLength(character, 0) != character.size())
      return fault(QStringLiteral("not one character: \"%1\"").arg(character));
    const QString reading = NumericReading(fields[2]);
    if (reading.isEmpty()) return fault(QStringLiteral("no reading"));
    lines.push_back({int(i + 1), position, character, reading});
  }
  return true;
}

ReadingChoices ChoicesOf(const std::vector<ReadingChoiceLine>& lines) {
  ReadingChoices choices;
  for (const ReadingChoiceLine& line : lines) choices.insert(line.position, line.reading);
  return choices;
}

QString CheckReadingChoices(const std::vector<RubyLine>& text,
                            const std::vector<ReadingChoiceLine>& lines) {
  QHash<qsizetype, const RubyCell*> cells;
  for (const RubyLine& line : text) {
    for (const RubyCell& cell : line.cells) cells.insert(cell.position, &cell);
  }
  for (const ReadingChoiceLine& choice : lines) {
    const RubyCell* cell = cells.value(choice.position);
    if (!cell) {
      return QStringLiteral("line %1: position %2 is no character of the text")
          .arg(choice.line)
          .arg(choice.position);
    }
    if (cell->character != choice.character) {
      return QStringLiteral("line %1: position %2 is %3, not %4")
          .arg(choice.line)
          .arg(choice.position)
          .arg(cell->character, choice.character);
    }
    if (!HasReading(*cell, choice.reading)) {
      return QStringLiteral("line %1: %2 has no reading %3 (it has: %4)")
          .arg(choice.line)
          .arg(cell->character, choice.reading,
               cell->readings.empty() ? QStringLiteral("none") : ReadingsSummary(cell->readings));
    }
  }
  return {};
}

}  // namespace ravlek
