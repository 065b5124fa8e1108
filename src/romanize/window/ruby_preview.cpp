#include "romanize/window/ruby_preview.h"

#include <QAction>
#include <QGlyphRun>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QRawFont>
#include <QStringList>
#include <QTextLayout>

#include "app/window/messages.h"
#include "dictionary/tailo.h"
#include "romanize/reading_rhymes.h"
#include "romanize/user_phrases.h"

namespace ravlek {

namespace {

constexpr double kMarginPt = 24;

QFont FaceOf(const char* const* faces, size_t count, double pixels) {
  QFont font;
  QStringList families;
  for (size_t i = 0; i < count; ++i) families.append(QString::fromLatin1(faces[i]));
  font.setFamilies(families);
  font.setPixelSize(qMax(1, qRound(pixels)));
  return font;
}

}  // namespace

QList<QGlyphRun> ReadingGlyphRuns(const QString& reading, const QFont& font, QSizeF* size) {
  QTextLayout layout(reading, font);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  layout.endLayout();
  if (!line.isValid()) {
    if (size) *size = QSizeF();
    return {};
  }
  line.setPosition(QPointF(0, 0));
  if (size) *size = QSizeF(line.naturalTextWidth(), line.height());
  QList<QGlyphRun> runs = layout.glyphRuns();
  for (QGlyphRun& run : runs) {
    const QRawFont raw = run.rawFont();
    const QList<quint32> glyphs = run.glyphIndexes();
    QList<QPointF> positions = run.positions();
    const QList<QPointF> advances = raw.advancesForGlyphIndexes(glyphs);
    bool moved = false;
    for (qsizetype i = 1; i < glyphs.size(); ++i) {
      // A mark has no advance; one designed above the baseline that was shaped below its letter's
      // baseline stands at its designed height (no vertical offset) instead.
      if (advances[i].x() != 0) continue;
      const QRectF designed = raw.boundingRect(glyphs[i]);
      qsizetype base = i - 1;
      while (base > 0 && advances[base].x() == 0) --base;
      if (designed.bottom() <= 0 && positions[i].y() > positions[base].y()) {
        positions[i].setY(positions[base].y());
        moved = true;
      }
    }
    if (moved) run.setPositions(positions);
  }
  return runs;
}

RubyPreview::RubyPreview(QSqlDatabase database, QWidget* parent)
    : QWidget(parent), database_(std::move(database)) {
  setFocusPolicy(Qt::StrongFocus);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, Qt::white);
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
}

double RubyPreview::Scale() const {
  return logicalDpiX() / 72.0;
}

void RubyPreview::SetText(std::vector<RubyLine> text, const HandoutStyle& style) {
  text_ = std::move(text);
  style_ = style;
  Place();
  if (current_ >= int(readable_.size())) current_ = int(readable_.size()) - 1;
  if (current_ < 0 && !readable_.empty()) current_ = 0;
  updateGeometry();
  update();
}

void RubyPreview::Place() {
  rows_ = LayOutHandout(text_, style_);
  placed_.clear();
  readable_.clear();
  const double scale = Scale();
  double y = kMarginPt;
  const double rowReading = style_.readingPt * 1.3;
  for (const HandoutRow& row : rows_) {
    const double characterPt = CharacterPtOf(row.kind, style_);
    const double height = rowReading + characterPt * 1.2;
    double x = kMarginPt;
    const double used = row.cellPt * double(row.cells.size());
    if (row.kind != RubyLineKind::Body) x += qMax(0.0, (kTextWidthPt - used) / 2);
    for (const RubyCell* cell : row.cells) {
      if (!cell->readings.empty()) readable_.push_back(int(placed_.size()));
      placed_.push_back({cell, QRectF(x * scale, y * scale, row.cellPt * scale, height * scale)});
      x += row.cellPt;
    }
    y += height + 0.45 * style_.characterPt;
  }
  size_ = QSizeF((kTextWidthPt + 2 * kMarginPt) * scale, (y + kMarginPt) * scale);
}

QSize RubyPreview::sizeHint() const {
  return size_.toSize();
}

void RubyPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const double scale = Scale();
  const QFont reading = FaceOf(kReadingFaces, std::size(kReadingFaces), style_.readingPt * scale);
  for (size_t i = 0; i < placed_.size(); ++i) {
    const Placed& placed = placed_[i];
    const QRectF& rect = placed.rect;
    const double readingHeight = style_.readingPt * 1.3 * scale;
    if (current_ >= 0 && readable_[size_t(current_)] == int(i)) {
      painter.fillRect(rect, QColor(0xdd, 0xe8, 0xf6));
      if (hasFocus()) painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    if (!placed.cell->reading.isEmpty()) {
      // Centred at the bottom of the reading's band, in black as it prints.
      QSizeF size;
      const QList<QGlyphRun> runs =
          ReadingGlyphRuns(ShownReading(placed.cell->reading, style_), reading, &size);
      const QPointF origin(rect.left() + (rect.width() - size.width()) / 2,
                           rect.top() + readingHeight - size.height());
      painter.setPen(Qt::black);
      for (const QGlyphRun& run : runs) painter.drawGlyphRun(origin, run);
    }
    painter.setFont(
        FaceOf(kCharacterFaces, std::size(kCharacterFaces), (rect.height() - readingHeight) / 1.2));
    painter.setPen(Qt::black);
    painter.drawText(QRectF(rect.left(), rect.top() + readingHeight, rect.width(),
                            rect.height() - readingHeight),
                     Qt::AlignHCenter | Qt::AlignTop, placed.cell->character);
  }
}

void RubyPreview::SetReasons(ReadingChoices chosen, ReadingChoices reasons) {
  chosen_ = std::move(chosen);
  reasons_ = std::move(reasons);
}

void RubyPreview::SetCurrent(int index) {
  if (index < 0 || index >= int(readable_.size())) return;
  current_ = index;
  update();
}

QMenu* RubyPreview::ReadingMenu(int index) {
  if (index < 0 || index >= int(readable_.size())) return nullptr;
  const RubyCell& cell = *placed_[size_t(readable_[size_t(index)])].cell;
  const QHash<QString, QString> rhymes = ReadingRhymes(database_, cell.character);
  auto* menu = new QMenu(this);
  menu->setAttribute(Qt::WA_DeleteOnClose);
  // The readings in a face whose marks Qt sets right (DejaVu Sans' 8th-tone mark it draws below
  // the line, see ReadingGlyphRuns), so that tones 4 and 8 differ here too.
  QFont font = menu->font();
  QStringList families = font.families().isEmpty() ? QStringList{font.family()} : font.families();
  families.prepend(QStringLiteral("DejaVu Serif"));
  font.setFamilies(families);
  menu->setFont(font);
  menu->setTitle(cell.character);
  QStringList seen;
  for (const ClassReading& reading : cell.readings) {
    // One entry per reading; a reading that two classes give is listed under the first.
    if (seen.contains(reading.reading)) continue;
    seen.append(reading.reading);
    QString label = QStringLiteral("%1  %2 (%3)")
                        .arg(reading.classCharacter)
                        .arg(ToneMarkedTaiLo(reading.reading), reading.reading);
    if (const QString rhyme = rhymes.value(reading.reading); !rhyme.isEmpty())
      label += QStringLiteral("  ") + rhyme;
    QAction* action = menu->addAction(label);
    action->setCheckable(true);
    action->setChecked(reading.reading == cell.reading);
    action->setData(reading.reading);
    const qsizetype position = cell.position;
    connect(action, &QAction::triggered, this,
            [this, position, value = reading.reading] { Q_EMIT ReadingChosen(position, value); });
  }
  if (const QString reason = reasons_.value(cell.position);
      !reason.isEmpty() && chosen_.value(cell.position) == cell.reading) {
    menu->addSeparator();
    menu->addAction(QStringLiteral("依據：") + reason)->setEnabled(false);
  }
  AddKeepMenu(*menu, cell);
  return menu;
}

void RubyPreview::AddKeepMenu(QMenu& menu, const RubyCell& cell) {
  if (cell.reading.isEmpty()) return;
  // The line the cell stands in, and its place there.
  for (const RubyLine& line : text_) {
    QString text;
    qsizetype index = -1;
    for (const RubyCell& other : line.cells) {
      if (&other == &cell) index = qsizetype(&other - line.cells.data());
      text += other.character;
    }
    if (index < 0) continue;
    const QStringList phrases = PhraseCandidates(text, index, phrases_.get());
    if (phrases.isEmpty()) return;
    menu.addSeparator();
    QMenu* keep = menu.addMenu(
        QStringLiteral("%1 記入自訂詞，以後都照此讀").arg(ToneMarkedTaiLo(cell.reading)));
    keep->setObjectName(QStringLiteral("RubyExport_KeepPhrase"));
    for (const QString& phrase : phrases) {
      QAction* action = keep->addAction(phrase);
      action->setData(phrase);
      connect(action, &QAction::triggered, this, [this, phrase, reading = cell.reading] {
        Q_EMIT PhraseReadingKept(phrase, reading);
      });
    }
    return;
  }
}

void RubyPreview::Offer(int index) {
  QMenu* menu = nullptr;
  // Called from the widget's own events: a store failure is reported here.
  RunHandler([&] { menu = ReadingMenu(index); });
  if (!menu) return;
  const QRectF rect = placed_[size_t(readable_[size_t(index)])].rect;
  menu->popup(mapToGlobal(rect.bottomLeft().toPoint()));
}

void RubyPreview::mousePressEvent(QMouseEvent* event) {
  for (size_t i = 0; i < readable_.size(); ++i) {
    if (placed_[size_t(readable_[i])].rect.contains(event->position())) {
      SetCurrent(int(i));
      Offer(int(i));
      return;
    }
  }
  QWidget::mousePressEvent(event);
}

void RubyPreview::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Down:
      SetCurrent(current_ + 1);
      return;
    case Qt::Key_Left:
    case Qt::Key_Up:
      SetCurrent(current_ - 1);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      Offer(current_);
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}

}  // namespace ravlek
