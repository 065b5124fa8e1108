#include "dictionary/window/synthesis_field.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPlainTextEdit>
#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextOption>
#include <QToolTip>

#include "dictionary/fanqie_synthesis_text.h"

namespace ravlek {

namespace {

// The space between two columns, in widths of "字".
constexpr double kColumnGap = 1.0;

// Between two candidates' steps: a line break within the notation's line, then the steps column.
const QString kNextCandidate = QStringLiteral(";") + QChar(QChar::LineSeparator) + u'\t' + u'\t';

class SynthesisHint : public QObject {
 public:
  explicit SynthesisHint(QPlainTextEdit* field) : QObject(field), field_(field) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != field_->viewport() || event->type() != QEvent::ToolTip) return false;
    const auto* help = static_cast<QHelpEvent*>(event);
    QString hint = FanqieStepsLegend();
    // The line under the pointer; below the last line the nearest one does not count.
    const QTextBlock block = field_->cursorForPosition(help->pos()).block();
    const QRect line = field_->cursorRect(QTextCursor(block));
    const bool over = help->pos().y() >= line.top() && help->pos().y() <= line.bottom();
    if (block.isValid() && !block.text().isEmpty() && over) {
      // The line as the synthesis wrote it: its candidates were set one under the other.
      const QString line = block.text().replace(kNextCandidate, QStringLiteral("; "));
      hint = ExplainFanqieSynthesisLine(line) + QStringLiteral("\n\n") + hint;
    }
    QToolTip::showText(help->globalPos(), hint, field_->viewport());
    return true;
  }

 private:
  QPlainTextEdit* field_;
};

}  // namespace

void PrepareSynthesisField(QPlainTextEdit* field) {
  // Long steps wrap at the field's edge: nothing hides to the right behind a scroll bar.
  field->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  field->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  field->viewport()->installEventFilter(new SynthesisHint(field));
}

void ShowSynthesis(QPlainTextEdit* field, const QString& text) {
  // The stops: after the widest notation, then after the widest list of readings.
  const QFontMetricsF metrics(field->font());
  qreal widest[2] = {0, 0};
  for (const QString& line : text.split(QStringLiteral("\r\n"))) {
    const QStringList columns = line.split(u'\t');
    for (qsizetype i = 0; i < 2 && i + 1 < columns.size(); ++i)
      widest[i] = qMax(widest[i], metrics.horizontalAdvance(columns[i]));
  }
  const qreal gap = kColumnGap * metrics.horizontalAdvance(QStringLiteral("字"));
  QTextOption option = field->document()->defaultTextOption();
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  option.setTabs({QTextOption::Tab(widest[0] + gap, QTextOption::LeftTab),
                  QTextOption::Tab(widest[0] + gap + widest[1] + gap, QTextOption::LeftTab)});
  field->document()->setDefaultTextOption(option);
  // Each candidate's steps on a line of their own, in the steps column.
  QStringList lines = text.split(QStringLiteral("\r\n"));
  for (QString& line : lines) {
    QStringList columns = line.split(u'\t');
    if (columns.size() != 3) continue;
    columns[2].replace(QStringLiteral("; "), kNextCandidate);
    line = columns.join(u'\t');
  }
  field->setPlainText(lines.join(QStringLiteral("\r\n")));
}

}  // namespace ravlek
