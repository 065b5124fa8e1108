#pragma once
// A text cut into the cells of a ruby document: every character of every line with the readings
// the dictionary gives it and the one reading written above it.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

#include "dictionary/reading_classes.h"

namespace ravlek {

class ClassReadingSource;

// One reading of a character and the class it belongs to.
struct ClassReading {
  QChar classCharacter;  // 通 文 今 古 白
  QString reading;       // numeric Tâi-lô, as the dictionary holds it
};

// The reading chosen for a character, by its position in the text: positions count characters
// (a surrogate pair is one) from 1, and every line end counts as one character.
using ReadingChoices = QHash<qsizetype, QString>;

struct RubyCell {
  QString character;
  qsizetype position = 0;
  std::vector<ClassReading> readings;  // by consulted class, each class in row order
  QString reading;                     // the one written above it; empty: none
};

enum class RubyLineKind { Body, Title, Author };

struct RubyLine {
  RubyLineKind kind = RubyLineKind::Body;
  std::vector<RubyCell> cells;  // empty: a blank line
};

struct RubyTextOptions {
  ConversionOptions conversion;  // only `ancient` and `colloquial` count
  bool title = false;            // the first line is the title
  bool author = false;           // the line after the title (or the first line) names the author
};

// The cells of a text a line at a time, for a handout written as it goes: the classes are read
// once, and positions, the title line and the author line are counted over the lines given.
class RubyTextBuilder {
 public:
  RubyTextBuilder(const RubyTextOptions& options, ClassReadingSource& source);
  // The next line's cells. `metre` holds the readings the metre chooses by position in the text;
  // `first`, where given, those of this line, one entry per character (an empty entry: none).
  RubyLine Line(const QString& line, const ReadingChoices& choices,
                const ReadingChoices& metre = {}, const QStringList& first = {});

 private:
  RubyTextOptions options_;
  QHash<char32_t, std::vector<ClassReading>> index_;  // the consulted classes by character
  qsizetype lines_ = 0;
  qsizetype position_ = 1;
};

// The cells of `lines`. Every character gets a cell (an U+0020 blank too); its reading is the one
// PickReading() gives.
std::vector<RubyLine> BuildRubyText(const QStringList& lines, const RubyTextOptions& options,
                                    ClassReadingSource& source, const ReadingChoices& choices,
                                    const ReadingChoices& metre = {});

// The reading written above a character: the chosen one (a user's or a script's), if any and if
// the character has it; else the one its place in a regulated verse needs (`metre`, which the
// caller gets from the 格律 check), if the character has it; else the first reading of the first
// class that has one.
QString PickReading(const RubyCell& cell, const ReadingChoices& choices,
                    const ReadingChoices& metre = {});

// "通 tsan3; 文 tsan7, tsan3": every reading by class, each passed through `shown`.
QString ReadingsSummary(const std::vector<ClassReading>& readings,
                        QString (*shown)(const QString&) = nullptr);

// True when `reading` is one of the cell's readings.
bool HasReading(const RubyCell& cell, const QString& reading);

}  // namespace ravlek
