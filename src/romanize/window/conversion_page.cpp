// The conversion page: 開始轉拼音 converts the input field line by line into the output field (in
// a regulated poem, the reading its metre needs first in its group); 例文說明 puts the sample
// text into the input field.

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include "app/window/ostrel.h"
#include "base/characters.h"
#include "dictionary/class_readings.h"
#include "dictionary/dataset.h"
#include "metre/metre_choices.h"
#include "romanize/class_index.h"
#include "romanize/conversion.h"
#include "romanize/conversion_status.h"
#include "romanize/romanizer.h"
#include "romanize/sample_text.h"

namespace {

// The lines as the field shows them: every line break ends a line, and so does every point where
// the field wraps a long paragraph at its width. An empty last line is not counted.
QStringList DisplayedLines(QPlainTextEdit* field) {
  QStringList lines;
  QTextDocument* document = field->document();
  auto* layout = qobject_cast<QPlainTextDocumentLayout*>(document->documentLayout());
  for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
    if (layout) layout->ensureBlockLayout(block);
    const QString text = block.text();
    const QTextLayout* blockLayout = block.layout();
    const int count = blockLayout ? blockLayout->lineCount() : 0;
    if (count == 0) {
      lines.append(text);
      continue;
    }
    for (int i = 0; i < count; ++i) {
      const QTextLine line = blockLayout->lineAt(i);
      lines.append(text.mid(line.textStart(), line.textLength()));
    }
  }
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

// Paints the progress bar while a run holds the event loop. A repaint costs about a quarter of a
// millisecond, far more than converting a character, so the bar is repainted when its drawn
// length has changed and a display frame has passed since the last repaint: the screen shows
// every state it could show, and a long text is not slowed down a hundredfold.
class ProgressPainter {
 public:
  explicit ProgressPainter(QProgressBar* bar) : bar_(bar) { clock_.start(); }
  ~ProgressPainter() { bar_->setUpdatesEnabled(true); }

  // A new line: the bar restarts at 0 of `length` characters.
  void StartLine(int length) {
    // An empty range would turn the bar into a busy indicator; an empty line shows it empty.
    length_ = qMax(length, 1);
    done_ = 0;
    if (!bar_->isVisible()) {
      bar_->setRange(0, length_);
      bar_->setValue(0);
      bar_->show();
      Repaint();
      return;
    }
    MaybeRepaint();
  }

  void Advance(qsizetype done) {
    done_ = static_cast<int>(done);
    MaybeRepaint();
  }

 private:
  static constexpr qint64 kFrameMs = 16;

  int DrawnLength() const { return static_cast<int>(qint64(done_) * bar_->width() / length_); }

  void MaybeRepaint() {
    if (DrawnLength() == drawn_ && bar_->maximum() == length_) return;
    if (clock_.elapsed() - lastPaint_ < kFrameMs) return;
    Repaint();
  }

  void Repaint() {
    // The bar's own repaint on every value change is held back; it paints here, once.
    bar_->setUpdatesEnabled(false);
    bar_->setRange(0, length_);
    bar_->setValue(done_);
    bar_->setUpdatesEnabled(true);
    bar_->repaint();
    drawn_ = DrawnLength();
    lastPaint_ = clock_.elapsed();
  }

  QProgressBar* bar_;
  QElapsedTimer clock_;
  qint64 lastPaint_ = -kFrameMs;
  int length_ = 1;
  int done_ = 0;
  int drawn_ = -1;
};

}  // namespace

void TOstrel::TntButton1Click() {
  TntMemo4->clear();
  Convert_TntStatusBar->clearMessage();
  const QStringList lines = DisplayedLines(TntMemo3);
  const ravlek::ConversionOptions options{TntCheckBox2->isChecked(), TntCheckBox3->isChecked(),
                                          TntCheckBox4->isChecked(), TntCheckBox1->isChecked()};
  ravlek::DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
  if (!conversionClasses) conversionClasses = std::make_shared<ravlek::ClassIndexCache>();
  ravlek::Romanizer romanizer(source, options, conversionClasses.get());
  if (!keptMetreSources) keptMetreSources = std::make_shared<ravlek::metre::KeptMetreSources>();
  ravlek::metre::MetreSources metreSources(QDir::currentPath(), source, keptMetreSources.get());

  // The output is written once at the end, also when the store fails: the pairs of the lines
  // finished before stay, the line being converted is not written.
  QStringList output;
  auto finish = [&] {
    TntMemo4->setPlainText(output.join(u'\n'));
    TntProgressBar1->hide();
    QString status = ravlek::EmptyClassesStatus(romanizer.EmptyClasses());
    if (!metreSources.Problem().isEmpty()) {
      if (!status.isEmpty()) status += QStringLiteral("；");
      status += metreSources.Problem() + QStringLiteral("：讀音未依格律排序");
    }
    Convert_TntStatusBar->showMessage(status);
  };
  ProgressPainter painter(TntProgressBar1);
  const auto progress = [&painter](qsizetype done) { painter.Advance(done); };
  try {
    ravlek::MetreChooser metre(metreSources);
    ravlek::RomanizeStream stream(
        romanizer, {&metre},
        [&output](const QString& line, const QString& romanised) { output << line << romanised; },
        [&painter](const QString& line) {
          painter.StartLine(static_cast<int>(ravlek::CharacterCount(line)));
        },
        progress);
    for (const QString& line : lines) stream.AddLine(line);
    stream.Finish();
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TOstrel::TntButton5Click() {
  // Replaced as one edit, so that one Ctrl+Z brings back the text the user had pasted.
  QTextCursor cursor(TntMemo3->document());
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(ravlek::ConversionSampleText());
  cursor.endEditBlock();
  TntMemo3->moveCursor(QTextCursor::Start);
}
