#pragma once
// The 格律 check of a poem: its 句, the tone of every character (平, 仄 or 中), its rhyme
// positions and group, its form, its faults by name and the remedied forms it uses.

#include <QList>
#include <QString>
#include <QStringList>

#include "metre/pingshui_table.h"

namespace ravlek::metre {

class CharacterReadings;

enum class Tone { Level, Oblique, Either };  // 平 仄 中
QChar ToneCharacter(Tone tone);

// Where a character's possible tones come from.
enum class ToneSource {
  Pingshui,  // its Pingshui groups
  Variant,   // the Pingshui groups of its standard form (爲 → 為)
  Readings,  // the tone digits of its readings: the table lacks it
  Unknown,   // neither: it may be either tone
};

struct MetreCharacter {
  char32_t code = 0;  // the character
  int line = 0;       // where it stands in the input: line index and UTF-16 position
  qsizetype position = 0;
  bool canBeLevel = true;
  bool canBeOblique = true;
  ToneSource source = ToneSource::Unknown;
  RhymeGroups groups;        // its Pingshui groups, when the table has them
  Tone tone = Tone::Either;  // 平 or 仄 when only one is possible or the pattern decides it
  bool rhymePosition = false;
  RhymeGroup rhyme = -1;   // the group it rhymes in, at a rhyme position
  QString reading;         // the reading of its tone, literary first; empty when it has none
  bool preferred = false;  // the reading is the one asked for (CheckPoem's `preferred`)
  bool byOrder = false;    // several readings had the needed tone: the first in order was taken

  QString Text() const;  // the character as text (one or two UTF-16 units)
  void AppendTo(QString& text) const;
};

// One 句: the characters between two of ，。？！；、 or line ends.
struct Verse {
  QList<MetreCharacter> characters;
  QString Text() const;
  QString Tones() const;  // 平/仄/中 per character
};

// A fault or a remedied form, on the characters it concerns (0-based in the 句).
struct Finding {
  QString name;
  int verse = 0;  // 0-based
  QList<int> positions;
};

inline const QString kIrregularForm = QStringLiteral("古體");
// Text whose 句 share no length, as prose does: not verse, so nothing is checked.
inline const QString kProseForm = QStringLiteral("非詩");

// Why a poem ended where it did (PoemSplitter).
enum class PoemEnd {
  EmptyLine,    // an empty or blank line follows
  ShapeChange,  // a line follows that does not fit the regulated shape of the lines before
  TextEnd,      // the text ends
};

struct PoemCheck {
  QString title;  // a first line taken as the title, not checked
  QList<Verse> verses;
  QString form;           // 五言絕句 … 七言排律, 古體, or 非詩
  RhymeGroup rhyme = -1;  // the rhyme group, -1 when none is found
  QList<Finding> faults;
  QList<Finding> allowed;          // named but no faults: 拗救 forms and 孤雁出群
  PoemEnd end = PoemEnd::TextEnd;  // set by the caller that split the text

  bool Regulated() const { return form != kIrregularForm && form != kProseForm; }
  bool Prose() const { return form == kProseForm; }
  // The faults' names, each once, in the order first found; empty for a poem without faults.
  QStringList FaultNames() const;
};

// Checks one poem: its lines hold one or two 句 each. A first line without 句 punctuation that
// is not as long as the 句 after it is the title. When no length is shared by half of the 句
// (or two 句 differ), the text is prose (非詩) and gets no rhyme. The readings, when given, give
// the tones of characters the table lacks and the reading of each character. `preferred` (one
// list per line, one entry per character; missing or empty: none) names a reading to take where
// it has the tone the place needs, or the place needs none; a rhyme position keeps the reading of
// its tone in order.
PoemCheck CheckPoem(const QStringList& lines, const PingshuiTable& table,
                    const CharacterReadings* readings = nullptr,
                    const QList<QStringList>* preferred = nullptr);

// Poems longer than this many lines are not taken as regulated verse where the readings are
// chosen by the metre (the longest 排律 hold some 200 句), so that a text is looked at a bounded
// piece at a time.
inline constexpr qsizetype kLongestPoemLines = 1000;

// The shape of a poem's 句, taken a line at a time, as CheckPoem splits them; decided before any
// table is read.
class PoemShape {
 public:
  void AddLine(const QString& line);
  // Whether the lines so far, alone or with more after them, may still be a regulated poem: every
  // 句 after a title has 5 or 7 characters, as many as the first, and there are at most
  // kLongestPoemLines lines.
  bool MayStart() const;
  // Whether they have the shape CheckPoem needs to find a regulated poem: they may start one and
  // hold an even number of 句, at least four.
  bool MayBe() const;
  // Whether any line so far holds a 句 end mark (the text is punctuated).
  bool Punctuated() const { return punctuated_; }

 private:
  qsizetype RegulatedVerses() const;  // -1 when the shape is broken

  qsizetype lines_ = 0;
  int note_ = 0;
  qsizetype verses_ = 0;
  qsizetype firstLines_[2] = {0, 0};  // the line (from 1) and length of the first two 句
  qsizetype firstLengths_[2] = {0, 0};
  bool firstLineHasEnd_ = false;
  bool punctuated_ = false;
  bool sameFromFirst_ = true;  // every 句 as long as the first
  bool sameFromSecond_ = true;
};

// A line that reads as a title: a few characters (at most kLongestTitle) without a 句 end mark.
inline constexpr qsizetype kLongestTitle = 20;
bool IsTitleLike(const QString& line);

bool MayStartRegulatedPoem(const QStringList& lines);
bool MayBeRegulatedPoem(const QStringList& lines);

}  // namespace ravlek::metre
