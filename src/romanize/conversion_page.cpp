// The conversion page: 開始轉拼音 converts the input field line by line into the output field;
// 例文說明 puts the sample text into the input field.

#include <QCheckBox>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextBlock>
#include <QTextLayout>

#include "app/ostrel.h"
#include "dictionary/dataset.h"
#include "romanize/characters.h"
#include "romanize/class_readings.h"
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

}  // namespace

void TOstrel::TntButton1Click() {
  TntMemo4->clear();
  const QStringList lines = DisplayedLines(TntMemo3);
  const ravlek::ConversionOptions options{TntCheckBox2->isChecked(), TntCheckBox3->isChecked(),
                                          TntCheckBox4->isChecked(), TntCheckBox1->isChecked()};
  ravlek::DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
  ravlek::Romanizer romanizer(source, options);

  // The output is written once at the end, also when the store fails: the pairs of the lines
  // finished before stay, the line being converted is not written.
  QStringList output;
  auto finish = [&] {
    TntMemo4->setPlainText(output.join(u'\n'));
    TntProgressBar1->hide();
  };
  const auto progress = [this](qsizetype done) {
    // The bar repaints itself at once whenever the change shows (its drawn length or text).
    TntProgressBar1->setValue(static_cast<int>(done));
  };
  try {
    for (const QString& line : lines) {
      // An empty range would turn the bar into a busy indicator; an empty line shows it empty.
      const auto length = static_cast<int>(ravlek::CharacterCount(line));
      TntProgressBar1->setRange(0, qMax(length, 1));
      TntProgressBar1->setValue(0);
      if (!TntProgressBar1->isVisible()) {
        TntProgressBar1->show();
        TntProgressBar1->repaint();
      }
      const QString romanised = romanizer.RomanizeLine(line, progress);
      output.append(line);
      output.append(romanised);
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TOstrel::TntButton5Click() {
  TntMemo3->setPlainText(ravlek::ConversionSampleText());
}
