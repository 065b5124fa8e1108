#pragma once
// The handout as it will print, drawn cell by cell; clicking a character, or pressing Enter on
// it, offers all its readings (class, reading, rhyme) in a menu, and the one taken is reported.

#include <QSqlDatabase>
#include <QWidget>
#include <memory>
#include <vector>

#include "romanize/handout_layout.h"
#include "romanize/ruby_text.h"

class QMenu;
class QGlyphRun;

namespace ravlek {

class PhraseTable;

// A reading as the preview draws it, shaped with the reading faces, each run's glyph positions
// relative to the top left of the text, whose size goes to `size`. A combining mark that Qt has
// put below the line is set back at its designed height over its letter: Qt misreads mark
// anchors that a font gives as outline points, as DejaVu Sans does for U+030D (the 8th tone's
// vertical line), while the handout's HTML engine reads them right.
QList<QGlyphRun> ReadingGlyphRuns(const QString& reading, const QFont& font, QSizeF* size);

class RubyPreview : public QWidget {
  Q_OBJECT
 public:
  explicit RubyPreview(QSqlDatabase database, QWidget* parent = nullptr);

  void SetText(std::vector<RubyLine> text, const HandoutStyle& style);
  // The readings the choosers put first and why, by position; the menu of a cell that shows its
  // chooser's reading says why.
  void SetReasons(ReadingChoices chosen, ReadingChoices reasons);
  // The phrase tables whose phrases the menu offers to keep a reading for (may be null).
  void SetPhraseTable(std::shared_ptr<const PhraseTable> table) { phrases_ = std::move(table); }
  const std::vector<RubyLine>& Text() const { return text_; }

  // The cell with the keyboard focus (its index among the cells that have readings), and the
  // menu of its readings, which the caller shows; null when it has none.
  int Current() const { return current_; }
  void SetCurrent(int index);
  QMenu* ReadingMenu(int index);

  QSize sizeHint() const override;

 Q_SIGNALS:
  void ReadingChosen(qsizetype position, const QString& reading);
  // Keep `reading` for `phrase` (its character in brackets) in the user's own phrase file.
  void PhraseReadingKept(const QString& phrase, const QString& reading);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct Placed {
    const RubyCell* cell;
    QRectF rect;
  };
  void Place();
  void Offer(int index);
  // The submenu that keeps the cell's reading for a phrase around it.
  void AddKeepMenu(QMenu& menu, const RubyCell& cell);
  double Scale() const;

  QSqlDatabase database_;
  std::shared_ptr<const PhraseTable> phrases_;
  ReadingChoices chosen_;
  ReadingChoices reasons_;
  std::vector<RubyLine> text_;
  HandoutStyle style_;
  std::vector<HandoutRow> rows_;
  std::vector<Placed> placed_;  // every cell
  std::vector<int> readable_;   // indexes into placed_ of the cells with readings
  int current_ = -1;
  QSizeF size_;
};

}  // namespace ravlek
