#include "romanize/handout_layout.h"

#include <QChar>
#include <algorithm>
#include <cmath>

#include "dictionary/tailo.h"

namespace ravlek {

namespace {

// DejaVu Sans advance widths in 1/2048 em, a to z, then 0 to 9.
constexpr int kLetterAdvance[26] = {1255, 1300, 1126, 1300, 1260, 721,  1300, 1298, 569,
                                    569,  1186, 569,  1995, 1298, 1253, 1300, 1300, 842,
                                    1067, 803,  1298, 1212, 1675, 1212, 1212, 1075};
constexpr int kDigitAdvance = 1303;
constexpr int kHyphenAdvance = 739;
constexpr int kSuperscriptNAdvance = 816;  // ⁿ
constexpr int kOtherAdvance = 1300;

int Advance(char16_t c) {
  if (c >= u'a' && c <= u'z') return kLetterAdvance[c - u'a'];
  if (c >= u'A' && c <= u'Z') return kLetterAdvance[c - u'A'] + 100;
  if (c >= u'0' && c <= u'9') return kDigitAdvance;
  if (c == u'-') return kHyphenAdvance;
  if (c == u'\u207f') return kSuperscriptNAdvance;
  // Combining marks take no room of their own.
  if (QChar::category(char32_t(c)) == QChar::Mark_NonSpacing) return 0;
  return kOtherAdvance;
}

// A reading keeps this much room on either side, so that neighbours never touch.
double ReadingGapPt(double readingPt) {
  return std::max(0.3 * readingPt, 2.5);
}

// A character's cell: its own width and a gap that keeps the characters apart.
constexpr double kCharacterCellEm = 1.2;

bool IsBreakAfter(const RubyCell& cell) {
  if (!cell.reading.isEmpty() || cell.character.isEmpty()) return false;
  const QChar c = cell.character.front();
  return c.isPunct() || c.isSpace();
}

}  // namespace

double CharacterPtOf(RubyLineKind kind, const HandoutStyle& style) {
  switch (kind) {
    case RubyLineKind::Title:
      return style.characterPt * 1.3;
    case RubyLineKind::Author:
      return std::max(style.characterPt * 0.8, 12.0);
    case RubyLineKind::Body:
      break;
  }
  return style.characterPt;
}

QString ShownReading(const QString& reading, const HandoutStyle& style) {
  return style.toneMarks ? ToneMarkedTaiLo(reading) : reading;
}

double ReadingWidthPt(const QString& shownReading, double readingPt) {
  int units = 0;
  for (const QChar c : shownReading.normalized(QString::NormalizationForm_D))
    units += Advance(c.unicode());
  return units * readingPt / 2048.0;
}

std::vector<HandoutRow> LayOutHandout(const std::vector<RubyLine>& text,
                                      const HandoutStyle& style) {
  std::vector<HandoutRow> rows;
  for (const RubyLine& line : text) LayOutLine(line, style, rows);
  return rows;
}

void LayOutLine(const RubyLine& line, const HandoutStyle& style, std::vector<HandoutRow>& rows) {
  double widest = 0;
  for (const RubyCell& cell : line.cells) {
    if (cell.reading.isEmpty()) continue;
    widest = std::max(widest, ReadingWidthPt(ShownReading(cell.reading, style), style.readingPt));
  }
  HandoutRow row;
  row.kind = line.kind;
  const double cell = std::max(kCharacterCellEm * CharacterPtOf(line.kind, style),
                               widest > 0 ? widest + 2 * ReadingGapPt(style.readingPt) : 0.0);
  // Whole half points, so that equal widths stay equal once written out.
  row.cellPt = std::ceil(cell * 2) / 2;
  const size_t perRow = std::max<size_t>(1, static_cast<size_t>(kTextWidthPt / row.cellPt));
  size_t begin = 0;
  do {
    size_t end = std::min(line.cells.size(), begin + perRow);
    if (end < line.cells.size()) {
      // Break after the last punctuation mark of the row's second half, if there is one.
      for (size_t i = end; i > begin + perRow / 2; --i) {
        if (IsBreakAfter(line.cells[i - 1])) {
          end = i;
          break;
        }
      }
    }
    HandoutRow piece = row;
    for (size_t i = begin; i < end; ++i) piece.cells.push_back(&line.cells[i]);
    rows.push_back(std::move(piece));
    begin = end;
  } while (begin < line.cells.size());
}

}  // namespace ravlek
