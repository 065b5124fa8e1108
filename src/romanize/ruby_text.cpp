#include "romanize/ruby_text.h"

#include "base/characters.h"
#include "dictionary/class_readings.h"

namespace ravlek {

namespace {

// The consulted classes read once, indexed by character.
class ReadingIndex {
 public:
  ReadingIndex(ClassReadingSource& source, const ConversionOptions& options) {
    const std::vector<const ReadingClass*> classes = ConsultedClasses(options);
    for (const ReadingClass* readingClass : classes) {
      const QChar classCharacter = readingClass->character;
      source.ReadClass(*readingClass, [&](QStringView hanWord, QStringView hanSpell) {
        // Only a row whose HanWord is exactly one character can match a character of the text;
        // an empty reading is no reading.
        if (hanWord.isEmpty() || CharacterLength(hanWord, 0) != hanWord.size()) return;
        if (hanSpell.isEmpty()) return;
        index_[CharacterCode(hanWord, 0, hanWord.size())].push_back(
            {classCharacter, hanSpell.toString()});
      });
    }
  }

  const std::vector<ClassReading>* Find(char32_t code) const {
    const auto it = index_.constFind(code);
    return it == index_.constEnd() ? nullptr : &*it;
  }

 private:
  QHash<char32_t, std::vector<ClassReading>> index_;
};

}  // namespace

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

std::vector<RubyLine> BuildRubyText(const QStringList& lines, const RubyTextOptions& options,
                                    ClassReadingSource& source, const ReadingChoices& choices,
                                    const ReadingChoices& metre) {
  const ReadingIndex index(source, options.conversion);
  std::vector<RubyLine> text;
  text.reserve(lines.size());
  qsizetype position = 1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    RubyLine out;
    if (i == 0 && options.title) {
      out.kind = RubyLineKind::Title;
    } else if (i == (options.title ? 1 : 0) && options.author) {
      out.kind = RubyLineKind::Author;
    }
    for (qsizetype pos = 0; pos < line.size();) {
      const qsizetype length = CharacterLength(line, pos);
      RubyCell cell;
      cell.character = line.mid(pos, length);
      cell.position = position++;
      if (const std::vector<ClassReading>* readings = index.Find(CharacterCode(line, pos, length)))
        cell.readings = *readings;
      cell.reading = PickReading(cell, choices, metre);
      out.cells.push_back(std::move(cell));
      pos += length;
    }
    ++position;  // the line end
    text.push_back(std::move(out));
  }
  return text;
}

}  // namespace ravlek
