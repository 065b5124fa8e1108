#pragma once
// The typography of a printed handout, shared by its HTML and ODT forms: the sizes and faces, the
// width of the cells, and the rows the lines are broken into on an A4 page.
//
// Every character stands in a cell of its own; the cells of one line are equally wide, and the
// reading is centred above its character. A line whose widest reading (with a gap on either side)
// is wider than a character's cell gets wider cells, all of them evenly: readings are never set
// smaller than the chosen size, so they stay legible at arm's length. A line longer than the page
// is broken into rows, after a punctuation mark where one falls in the row's second half.

#include <QString>
#include <vector>

#include "romanize/ruby_text.h"

namespace ravlek {

struct HandoutStyle {
  double characterPt = 20;  // the characters' size
  double readingPt = 10;    // the readings' size
  bool toneMarks = true;    // tsàn; false: numeric Tâi-lô, tsan3
};

// The faces, first choice first: a Kai (楷) face for the characters, and for the readings a
// Latin face that has Tâi-lô's combining marks (o͘, a̍) and ⁿ.
inline constexpr const char* kCharacterFaces[] = {"cwTeXKai", "AR PL UKai TW", "AR PL UKai",
                                                  "Noto Serif CJK TC"};
inline constexpr const char* kReadingFaces[] = {"DejaVu Sans", "Noto Sans", "Noto Sans CJK TC"};

// A4 less the margins of 16 mm on either side and 18 / 20 mm above and below.
inline constexpr double kPageWidthMm = 210;
inline constexpr double kPageHeightMm = 297;
inline constexpr double kMarginSideMm = 16;
inline constexpr double kMarginTopMm = 18;
inline constexpr double kMarginBottomMm = 20;
inline constexpr double kPointsPerMm = 72.0 / 25.4;
inline constexpr double kTextWidthPt = (kPageWidthMm - 2 * kMarginSideMm) * kPointsPerMm;

// A title's characters are larger, an author's smaller, than the body's.
double CharacterPtOf(RubyLineKind kind, const HandoutStyle& style);

// The reading as the handout writes it: in tone marks or as the dictionary holds it.
QString ShownReading(const QString& reading, const HandoutStyle& style);

// The width of a reading set in the first reading face (DejaVu Sans), in points.
double ReadingWidthPt(const QString& shownReading, double readingPt);

struct HandoutRow {
  RubyLineKind kind = RubyLineKind::Body;
  double cellPt = 0;                   // the width of each of its cells
  std::vector<const RubyCell*> cells;  // empty: a blank line
};

// The rows of the handout; the cells point into `text`, which must outlive them.
std::vector<HandoutRow> LayOutHandout(const std::vector<RubyLine>& text, const HandoutStyle& style);

// The rows of one line, appended to `rows`; the cells point into `line`.
void LayOutLine(const RubyLine& line, const HandoutStyle& style, std::vector<HandoutRow>& rows);

}  // namespace ravlek
