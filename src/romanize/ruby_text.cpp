#include "romanize/ruby_text.h"

#include "base/characters.h"
#include "dictionary/class_readings.h"

namespace ravlek {

bool HasReading(const RubyCell& cell, const QString& reading) {
  for (const ClassReading& r : cell.readings) {
    if (r.reading == reading) return true;
  }
  return false;
}

QString PickReading(const RubyCell& cell, const ReadingChoices& choices,
                    const ReadingChoices& metre) {
  for (const ReadingChoices* wanted : {&choices, &metre}) {
    const auto chosen = wanted->constFind(cell.position);
    if (chosen != wanted->constEnd() && HasReading(cell, *chosen)) return *chosen;
  }
  return cell.readings.empty() ? QString() : cell.readings.front().reading;
}

QString ReadingsSummary(const std::vector<ClassReading>& readings,
                        QString (*shown)(const QString&)) {
  QString out;
  for (size_t i = 0; i < readings.size(); ++i) {
    const bool newClass = i == 0 || readings[i].classCharacter != readings[i - 1].classCharacter;
    if (newClass) {
      if (i > 0) out += QStringLiteral("; ");
      out += readings[i].classCharacter;
      out += QLatin1Char(' ');
    } else {
      out += QStringLiteral(", ");
    }
    out += shown ? shown(readings[i].reading) : readings[i].reading;
  }
  return out;
}

RubyTextBuilder::RubyTextBuilder(const RubyTextOptions& options, ClassReadingSource& source)
    : options_(options) {
  for (const ReadingClass* readingClass : ConsultedClasses(options.conversion)) {
    const QChar classCharacter = readingClass->character;
    source.ReadClass(*readingClass, [&](QStringView hanWord, QStringView hanSpell) {
      // Only a row whose HanWord is exactly one character can match a character of the text; an
      // empty reading is no reading.
      if (hanWord.isEmpty() || CharacterLength(hanWord, 0) != hanWord.size()) return;
      if (hanSpell.isEmpty()) return;
      index_[CharacterCode(hanWord, 0, hanWord.size())].push_back(
          {classCharacter, hanSpell.toString()});
    });
  }
}

RubyLine RubyTextBuilder::Line(const QString& line, const ReadingChoices& choices,
                               const ReadingChoices& metre, const QStringList& first) {
  const qsizetype i = lines_++;
  RubyLine out;
  if (i == 0 && options_.title) {
    out.kind = RubyLineKind::Title;
  } else if (i == (options_.title ? 1 : 0) && options_.author) {
    out.kind = RubyLineKind::Author;
  }
  ReadingChoices lineMetre;
  qsizetype k = 0;
  for (qsizetype pos = 0; pos < line.size(); ++k) {
    const qsizetype length = CharacterLength(line, pos);
    RubyCell cell;
    cell.character = line.mid(pos, length);
    cell.position = position_++;
    const auto found = index_.constFind(CharacterCode(line, pos, length));
    if (found != index_.constEnd()) cell.readings = *found;
    if (k < first.size() && !first[k].isEmpty()) {
      lineMetre.insert(cell.position, first[k]);
      cell.reading = PickReading(cell, choices, lineMetre);
    } else {
      cell.reading = PickReading(cell, choices, metre);
    }
    out.cells.push_back(std::move(cell));
    pos += length;
  }
  ++position_;  // the line end
  return out;
}

std::vector<RubyLine> BuildRubyText(const QStringList& lines, const RubyTextOptions& options,
                                    ClassReadingSource& source, const ReadingChoices& choices,
                                    const ReadingChoices& metre) {
  RubyTextBuilder builder(options, source);
  std::vector<RubyLine> text;
  text.reserve(lines.size());
  for (const QString& line : lines) text.push_back(builder.Line(line, choices, metre));
  return text;
}

}  // namespace ravlek
