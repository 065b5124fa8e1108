#pragma once
// The readings a script chooses for a ruby document: a UTF-8 text of lines
// `position<TAB>character<TAB>reading`, the position counted in characters of the input from 1
// (every line end counts as one), the reading in numeric Tâi-lô or with tone marks. Empty lines
// and lines that begin with # are passed over.

#include <QHash>
#include <QList>
#include <QString>
#include <vector>

#include "romanize/ruby_text.h"

namespace ravlek {

struct ReadingChoiceLine {
  int line = 0;  // in the file, from 1
  qsizetype position = 0;
  QString character;
  QString reading;  // numeric Tâi-lô
};

// Reads the lines; on a line that is not of that form returns false with `error` naming it.
bool ParseReadingChoices(const QString& text, std::vector<ReadingChoiceLine>& lines,
                         QString& error);

ReadingChoices ChoicesOf(const std::vector<ReadingChoiceLine>& lines);

// Checks each line against the text: the character stands at its position and has the reading.
// Returns the first fault, naming the file's line, or an empty text.
QString CheckReadingChoices(const std::vector<RubyLine>& text,
                            const std::vector<ReadingChoiceLine>& lines);

// The same check as the text goes by a line at a time, so that a handout written as it goes
// knows, once the last chosen position has passed, whether it may be written at all.
class ReadingChoiceCheck {
 public:
  explicit ReadingChoiceCheck(const std::vector<ReadingChoiceLine>& lines);
  void AddLine(const RubyLine& line);
  // Whether every chosen position has gone by: the fault is then known.
  bool Passed() const { return passedUpTo_ > last_; }
  // The first fault in the order of the file's lines, a position not yet passed counting as no
  // character of the text (so at the text's end: as CheckReadingChoices); empty when none.
  QString Fault() const;

 private:
  const std::vector<ReadingChoiceLine>& lines_;
  QHash<qsizetype, QList<size_t>> byPosition_;  // position → its lines (indexes)
  std::vector<QString> faults_;                 // per line; empty: none
  std::vector<bool> seen_;                      // per line: its position has gone by
  qsizetype last_ = 0;                          // the highest chosen position
  qsizetype passedUpTo_ = 1;                    // the positions before this have gone by
};

// A reading as typed, with tone marks or digits, as numeric Tâi-lô: a syllable without a mark
// is tone 1, or tone 4 when it ends in p, t, k or h.
QString NumericReading(const QString& typed);

}  // namespace ravlek
