#include "romanize/reading_choice_file.h"

#include <algorithm>

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

ReadingChoiceCheck::ReadingChoiceCheck(const std::vector<ReadingChoiceLine>& lines)
    : lines_(lines), faults_(lines.size()), seen_(lines.size(), false) {
  for (size_t i = 0; i < lines.size(); ++i) {
    byPosition_[lines[i].position].append(i);
    last_ = std::max(last_, lines[i].position);
  }
}

void ReadingChoiceCheck::AddLine(const RubyLine& line) {
  for (const RubyCell& cell : line.cells) {
    passedUpTo_ = cell.position + 1;
    const auto found = byPosition_.constFind(cell.position);
    if (found == byPosition_.constEnd()) continue;
    for (const size_t i : *found) {
      const ReadingChoiceLine& choice = lines_[i];
      seen_[i] = true;
      if (cell.character != choice.character) {
        faults_[i] = QStringLiteral("line %1: position %2 is %3, not %4")
                         .arg(choice.line)
                         .arg(choice.position)
                         .arg(cell.character, choice.character);
      } else if (!HasReading(cell, choice.reading)) {
        faults_[i] = QStringLiteral("line %1: %2 has no reading %3 (it has: %4)")
                         .arg(choice.line)
                         .arg(cell.character, choice.reading,
                              cell.readings.empty() ? QStringLiteral("none")
                                                    : ReadingsSummary(cell.readings));
      }
    }
  }
  ++passedUpTo_;  // the line end is no character
}

QString ReadingChoiceCheck::Fault() const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (!seen_[i]) {
      return QStringLiteral("line %1: position %2 is no character of the text")
          .arg(lines_[i].line)
          .arg(lines_[i].position);
    }
    if (!faults_[i].isEmpty()) return faults_[i];
  }
  return {};
}

QString CheckReadingChoices(const std::vector<RubyLine>& text,
                            const std::vector<ReadingChoiceLine>& lines) {
  ReadingChoiceCheck check(lines);
  for (const RubyLine& line : text) check.AddLine(line);
  return check.Fault();
}

}  // namespace ravlek
