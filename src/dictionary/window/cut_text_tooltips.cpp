#include "dictionary/window/cut_text_tooltips.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QTableView>
#include <QToolTip>

namespace ravlek {
namespace {

class CutTextFilter : public QObject {
 public:
  CutTextFilter(QTableView& grid, QWidget& target, bool titles)
      : QObject(&target), grid_(grid), target_(target), titles_(titles) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != &target_ || event->type() != QEvent::ToolTip) return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    QString text;
    QRect area;
    if (titles_) {
      const QHeaderView* header = grid_.horizontalHeader();
      const int section = header->logicalIndexAt(help->pos());
      if (section >= 0) {
        text = grid_.model()->headerData(section, Qt::Horizontal).toString();
        const QVariant titleFont = grid_.model()->headerData(section, Qt::Horizontal, Qt::FontRole);
        const QFont font = titleFont.isValid() ? titleFont.value<QFont>() : header->font();
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        area = QRect(header->sectionViewportPosition(section), 0, header->sectionSize(section),
                     header->height());
        if (!TextIsCut(font, text, area.width() - 2 * margin)) text.clear();
        // A title that says more (what an empty column holds) shows that too.
        const QString note =
            grid_.model()->headerData(section, Qt::Horizontal, Qt::ToolTipRole).toString();
        if (!note.isEmpty()) text = text.isEmpty() ? note : text + u'\n' + note;
      }
    } else {
      const QModelIndex index = grid_.indexAt(help->pos());
      if (index.isValid()) {
        text = index.data().toString();
        const QVariant cellFont = index.data(Qt::FontRole);
        const QFont font = cellFont.isValid() ? cellFont.value<QFont>() : grid_.font();
        const int margin =
            grid_.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid_) + 1;
        area = grid_.visualRect(index);
        if (!TextIsCut(font, text, area.width() - 2 * margin)) text.clear();
      }
    }
    if (text.isEmpty()) {
      QToolTip::hideText();
      event->ignore();
    } else {
      QToolTip::showText(help->globalPos(), text, &target_, area);
    }
    return true;
  }

 private:
  QTableView& grid_;
  QWidget& target_;
  bool titles_;
};

}  // namespace

bool TextIsCut(const QFont& font, const QString& text, int width) {
  return QFontMetrics(font).horizontalAdvance(text) > width;
}

void ShowCutTextsAsToolTips(QTableView& grid) {
  QWidget* cells = grid.viewport();
  QWidget* titles = grid.horizontalHeader()->viewport();
  cells->installEventFilter(new CutTextFilter(grid, *cells, false));
  titles->installEventFilter(new CutTextFilter(grid, *titles, true));
}

}  // namespace ravlek
