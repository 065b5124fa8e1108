#pragma once
// The one conversion path of the conversion page, the handout and ravlek-cli: a text taken a
// line at a time, cut into poems by the metre's splitter, and for every line the reading to put
// first for each of its characters, as the choosers decide; the Romanizer then writes the line.
//
// A chooser is one step of that decision. The metre's is the first (MetreChooser); a phrase
// table choosing by word context would be one more ReadingChooser in the list, before or after
// it. The first chooser that sets a character's entry wins over those after it; a user's own
// choice in the handout (ReadingChoices) wins over them all (PickReading).

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "metre/poem_splitter.h"
#include "romanize/ruby_text.h"

namespace ravlek {

class Romanizer;

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
};

// The reading each place of a regulated poem needs. The tables and readings are read once the
// text holds a poem of the regulated shape; when the tables cannot be read, nothing is chosen and
// the sources' Problem() says why.
class MetreChooser : public ReadingChooser {
 public:
  explicit MetreChooser(metre::MetreSources& sources) : sources_(sources) {}
  void Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
              FirstReadings& first) override;

 private:
  metre::MetreSources& sources_;
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
  ConversionStream(std::vector<ReadingChooser*> choosers, LineFn out);
  void AddLine(const QString& line);
  // Gives out what is still held.
  void Finish();

 private:
  void Part(metre::PoemSplitter::Kind kind, metre::PoemLines&& part);

  std::vector<ReadingChooser*> choosers_;
  LineFn out_;
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
  void AddLine(const QString& line) { stream_.AddLine(line); }
  void Finish() { stream_.Finish(); }

 private:
  ConversionStream stream_;
};

// The first readings of a whole text, one list per line (empty lists where nothing is chosen).
FirstReadings ChooseFirstReadings(const QStringList& lines,
                                  const std::vector<ReadingChooser*>& choosers);

// The same as the handout's choices: by position in the text, characters counted from 1 (a
// surrogate pair is one), every line end counting one.
ReadingChoices PositionChoices(const QStringList& lines, const FirstReadings& readings);

}  // namespace ravlek
