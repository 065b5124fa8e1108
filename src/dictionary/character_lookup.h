#pragma once
// The character search of the lookup page and of ravlek-server, over whatever holds the rows: the
// text as typed; if no row passes and blanks surround it, the text without them; if still none
// passes and it is a run of several characters, each of them, with a status line that names those
// without a row.

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <vector>

#include "dictionary/dataset_rows.h"

namespace ravlek {

// The rows a character search filters.
class CharacterRows {
 public:
  virtual ~CharacterRows() = default;
  // Sets the filter (of the filter language) on the rows; true when a row passes.
  virtual bool Select(const QString& filter) = 0;
  // Gives the HanWord of each passing row to `visit` until it returns false.
  virtual void VisitWords(const std::function<bool(QStringView word)>& visit) const = 0;
};

struct CharacterLookup {
  QString text;    // what was looked up at last: the typed text, or that without its blanks
  QString status;  // the status line; empty when the text itself found rows
};

// Leaves the rows filtered as the search ends.
CharacterLookup LookUpCharacters(const QString& typed, CharacterRows& rows);

// The distinct characters of a text, in their order.
QStringList DistinctCharacters(const QString& text);

// The rows of held rows that pass a filter, in row order.
std::vector<int> PassingRows(const HeldRows& rows, const QString& filter);

// Held rows as a character search filters them.
class HeldCharacterRows : public CharacterRows {
 public:
  explicit HeldCharacterRows(const HeldRows& rows) : rows_(rows) {}
  bool Select(const QString& filter) override;
  void VisitWords(const std::function<bool(QStringView word)>& visit) const override;
  // The rows that passed the last filter.
  std::vector<int>& Passing() { return passing_; }

 private:
  const HeldRows& rows_;
  std::vector<int> passing_;
};

}  // namespace ravlek
