#pragma once
// Fanqie notations in a text: two characters followed by the marker 切 or 反. For each, the
// upper and the lower character with the reading the base-word tables give.

#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace ravlek {

class TFDQuery;

// A character's first row in the base-word tables.
struct BaseWordRow {
  QString hanWord;
  QString hanSpell;
};

class BaseWordLookup {
 public:
  virtual ~BaseWordLookup() = default;
  // The first row, in row order, whose HanWord is exactly `character`.
  virtual std::optional<BaseWordRow> Find(const QString& character) = 0;
};

// Looks a character up in BaseWords, then in BaseWordsPlus, through their datasets' filters.
class DatasetBaseWordLookup : public BaseWordLookup {
 public:
  DatasetBaseWordLookup(TFDQuery& baseWords, TFDQuery& baseWordsPlus)
      : baseWords_(baseWords), baseWordsPlus_(baseWordsPlus) {}
  std::optional<BaseWordRow> Find(const QString& character) override;

 private:
  TFDQuery& baseWords_;
  TFDQuery& baseWordsPlus_;
};

// At most this many notations are reported per extraction.
inline constexpr int kMaxFanqieNotations = 25;

// A notation found in a text: its upper and lower character (each a whole character), its
// marker 切 or 反, and where its upper character starts in the text.
struct FanqieNotation {
  QString upper;
  QString lower;
  QChar marker;
  qsizetype position = 0;

  QString Text() const { return upper + lower + marker; }
};

// The notations of a text in text order, at most kMaxFanqieNotations; a marker with fewer than
// two characters before it is no notation.
QList<FanqieNotation> FindFanqieNotations(const QString& text);

// The extraction's output: one line per notation in text order, each ending with CR LF. The text
// is read with its line breaks as CR LF; characters are whole (a surrogate pair is one). A marker
// with fewer than two characters before it is no notation. `onLine` receives each line as soon as
// it is complete, so that a failing lookup leaves the lines before it with the caller.
QString ExtractFanqieReadings(const QString& text, BaseWordLookup& lookup,
                              const std::function<void(const QString& line)>& onLine = {});

// The fanqie page's sample passage.
QString FanqieSamplePassage();

}  // namespace ravlek
