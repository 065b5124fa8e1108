#pragma once
// The one place where the server calls the conversion, the metre and the handout of the core, so
// that a change of their interfaces is met here only.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "dictionary/reading_classes.h"
#include "metre/metre_check.h"
#include "romanize/class_index.h"
#include "romanize/handout_layout.h"
#include "romanize/ruby_text.h"

namespace ravlek::server {

struct DictionarySnapshot;

// What a conversion keeps between requests: the classes' indexes, one store per reading source.
struct ConversionCaches {
  ClassIndexCache numeric;
  ClassIndexCache toneMarked;
};

// Called between lines; raises to end the work (the time limit).
using Checkpoint = std::function<void()>;

struct ConvertedText {
  QStringList romanized;  // one line per input line, as ravlek-cli romanize writes it
  // The cells of every line (as the handout would write them), with the reading the metre or a
  // phrase chose, and why (by position, in the words of `ravlek-cli romanize --explain`).
  std::vector<RubyLine> cells;
  ReadingChoices metre;
  ReadingChoices reasons;
  QString metreProblem;  // why the readings are not chosen by the metre, or empty
};

// The conversion of `lines` with the readings the metre and the phrases choose first in their
// groups.
ConvertedText ConvertText(const DictionarySnapshot& snapshot, ConversionCaches& caches,
                          const QStringList& lines, const ConversionOptions& options,
                          bool toneMarks, const Checkpoint& checkpoint);

// The 格律 check of each poem (poems separated by empty lines).
QList<metre::PoemCheck> CheckPoems(const DictionarySnapshot& snapshot, const QStringList& lines,
                                   const Checkpoint& checkpoint);

// The cells of a handout with the user's choices, and the fault of a choice that does not fit.
std::vector<RubyLine> HandoutText(const DictionarySnapshot& snapshot, const QStringList& lines,
                                  const RubyTextOptions& options, const ReadingChoices& choices,
                                  QString& metreProblem);

}  // namespace ravlek::server
