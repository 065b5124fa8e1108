#pragma once
// The phrases' step of the one conversion path: each character takes the reading the longest
// phrase covering it names (src/romanize/phrase_readings.h), where no chooser before it chose.

#include <QString>
#include <functional>
#include <vector>

#include "romanize/conversion.h"
#include "romanize/phrase_readings.h"

namespace ravlek {

namespace metre {
class MetreSources;
}

class PhraseChooser : public ReadingChooser {
 public:
  // The 廣韻 entry (its 反切) of a character's reading, for the explanations; empty when unknown.
  using FanqieFn = std::function<QString(const QString& character, const QString& reading)>;

  // The character's readings are those of `sources`, read once a phrase first names one.
  PhraseChooser(const PhraseTable& table, metre::MetreSources& sources, FanqieFn fanqie = {});

  void Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
              FirstReadings& first) override;

  bool HasPhrases() const { return !table_.isEmpty(); }
  // The phrases' readings of each line (empty entries where none), as the metre prefers them.
  FirstReadings Readings(const QStringList& lines);
  // Why the phrases chose what they chose at character `index` of `line`; empty when nothing.
  QString Reason(const QString& line, qsizetype index);

 private:
  std::vector<PhraseChoice> ChooseLine(const QString& line);
  QString ReasonOf(const QString& line, qsizetype index, const PhraseChoice& choice);

  const PhraseTable& table_;
  metre::MetreSources& sources_;
  FanqieFn fanqie_;
  HasReadingFn hasReading_;
  // The choices of the last part Readings() was asked for: the metre asks for a poem's lines
  // before this chooser's own turn on the same part.
  QStringList keptLines_;
  std::vector<std::vector<PhraseChoice>> keptChoices_;
};

}  // namespace ravlek
