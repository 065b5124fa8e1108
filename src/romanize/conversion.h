#pragma once
// The one conversion path of the conversion page, the handout and ravlek-cli: a text taken a
// line at a time, cut into poems by the metre's splitter, and for every line the reading to put
// first for each of its characters, as the choosers decide; the Romanizer then writes the line.
//
// A chooser is one step of that decision: the metre's (MetreChooser), then the phrases'
// (PhraseChooser). The metre comes first because in regulated verse the tone of a place is not a
// matter of words: a phrase's reading of the other tone would break the line. Among readings of
// the tone a place needs, and wherever the metre fixes no tone, the phrase decides: the metre
// takes the phrase's reading as its preference (MetreChooser's `phrases`), and the phrase
// chooser sets what the metre left. A rhyme position keeps the metre's reading, whose group is
// the poem's. The first chooser that sets a character's entry wins over those after it; a user's
// own choice in the handout (ReadingChoices) wins over them all (PickReading).

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "metre/poem_splitter.h"
#include "romanize/ruby_text.h"

namespace ravlek {

class Romanizer;

class PhraseChooser;

namespace metre {
class MetreSources;
}

// For each line of a part, one entry per character (a surrogate pair is one); an empty entry, a
// missing entry or an empty list: nothing chosen.
using FirstReadings = QList<QStringList>;

class ReadingChooser {
 public:
  virtual ~ReadingChooser() = default;
  // Sets the entries of `first` still empty for the lines of `part`: a poem (whole, kind Poem)
  // or lines that cannot be regulated verse (Loose). `first` has one list per line of the part.
  virtual void Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
                      FirstReadings& first) = 0;
  // Where Choose() writes, beside each entry it sets, why (one list per line of the part, as
  // `first`; reasons in the words of reading_explanation.h); null: it need not say.
  void ExplainInto(FirstReadings* why) { why_ = why; }

 protected:
  bool Explaining() const { return why_ != nullptr; }
  void Explain(qsizetype line, qsizetype index, const QString& reason);

 private:
  FirstReadings* why_ = nullptr;
};

// The reading each place of a regulated poem needs. The tables and readings are read once the
// text holds a poem of the regulated shape; when the tables cannot be read, nothing is chosen and
// the sources' Problem() says why.
// With `phrases`, a phrase's reading is taken where it fits the place (metre_readings.h).
class MetreChooser : public ReadingChooser {
 public:
  explicit MetreChooser(metre::MetreSources& sources, PhraseChooser* phrases = nullptr)
      : sources_(sources), phrases_(phrases) {}
  void Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
              FirstReadings& first) override;

 private:
  metre::MetreSources& sources_;
  PhraseChooser* phrases_;
};

// The readings another chooser sets, each passed through `shown` (tone marks, for a conversion
// whose groups are written in tone marks).
class ShownReadingChooser : public ReadingChooser {
 public:
  ShownReadingChooser(ReadingChooser& inner, QString (*shown)(const QString&))
      : inner_(inner), shown_(shown) {}
  void Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
              FirstReadings& first) override;

 private:
  ReadingChooser& inner_;
  QString (*shown_)(const QString&);
};

// Lines in, each line out with its first readings, in order. A poem's lines wait while it may
// still be regulated verse; any other line goes out at once, so memory stays bounded by the
// longest poem.
class ConversionStream {
 public:
  using LineFn = std::function<void(const QString& line, const QStringList& first)>;
  // The same with why each entry of `first` was chosen (as `first`; empty where nothing said).
  using ExplainedLineFn =
      std::function<void(const QString& line, const QStringList& first, const QStringList& why)>;
  ConversionStream(std::vector<ReadingChooser*> choosers, LineFn out);
  ConversionStream(std::vector<ReadingChooser*> choosers, ExplainedLineFn out);
  void AddLine(const QString& line);
  // Gives out what is still held.
  void Finish();

 private:
  void Part(metre::PoemSplitter::Kind kind, metre::PoemLines&& part);

  std::vector<ReadingChooser*> choosers_;
  ExplainedLineFn out_;
  bool explain_ = false;
  metre::PoemSplitter splitter_;
};

// The conversion of the page and of ravlek-cli romanize: lines in; each line and its romanised
// line out, in order, the choosers' readings first in their groups. `starting` (when given) hears
// of each line before it is romanised and `progress` of the characters done in it: the page's
// progress bar.
class RomanizeStream {
 public:
  using LineFn = std::function<void(const QString& line, const QString& romanised)>;
  using StartFn = std::function<void(const QString& line)>;
  RomanizeStream(Romanizer& romanizer, std::vector<ReadingChooser*> choosers, LineFn out,
                 StartFn starting = {}, std::function<void(qsizetype)> progress = {});
  // The same, with why each character's first reading was chosen (one entry per character;
  // empty where no chooser chose).
  using ExplainedLineFn = std::function<void(const QString& line, const QString& romanised,
                                             const QStringList& first, const QStringList& why)>;
  RomanizeStream(Romanizer& romanizer, std::vector<ReadingChooser*> choosers, ExplainedLineFn out);
  void AddLine(const QString& line) { stream_.AddLine(line); }
  void Finish() { stream_.Finish(); }

 private:
  ConversionStream stream_;
};

// The first readings of a whole text, one list per line (empty lists where nothing is chosen);
// with `why`, the reasons beside them.
FirstReadings ChooseFirstReadings(const QStringList& lines,
                                  const std::vector<ReadingChooser*>& choosers,
                                  FirstReadings* why = nullptr);

// The same as the handout's choices: by position in the text, characters counted from 1 (a
// surrogate pair is one), every line end counting one.
ReadingChoices PositionChoices(const QStringList& lines, const FirstReadings& readings);

}  // namespace ravlek
