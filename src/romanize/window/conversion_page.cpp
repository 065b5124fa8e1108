// The conversion page's layout, its two handlers and the export and import of the user's own
// phrase readings. When the window grows, the input and the output share the extra height and
// take the extra width; the button row stays between them.
#include "romanize/window/conversion_page.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>

#include "app/window/messages.h"
#include "base/characters.h"
#include "dictionary/class_readings.h"
#include "dictionary/dataset.h"
#include "metre/metre_choices.h"
#include "romanize/class_index.h"
#include "romanize/conversion.h"
#include "romanize/conversion_status.h"
#include "romanize/handout_file.h"
#include "romanize/phrase_chooser.h"
#include "romanize/phrase_files.h"
#include "romanize/romanizer.h"
#include "romanize/sample_text.h"
#include "romanize/user_phrases.h"
#include "romanize/window/handout_state.h"

namespace ravlek {

namespace {

const DesignedPlace kPlaces[] = {
    {"TntMemo3", {16, 16, 1089, 209}, {0, 0, 1, 0.5}},
    {"TntButton5", {16, 231, 113, 28}, {0, 0.5, 0, 0}},
    {"RubyExport_TntButton", {135, 231, 113, 28}, {0, 0.5, 0, 0}},
    {"Metre_TntButton", {254, 231, 108, 28}, {0, 0.5, 0, 0}},
    {"TntCheckBox2", {368, 231, 97, 27}, {0, 0.5, 0, 0}},
    {"TntCheckBox3", {471, 231, 122, 23}, {0, 0.5, 0, 0}},
    {"TntCheckBox4", {625, 227, 113, 34}, {0, 0.5, 0, 0}},
    {"TntCheckBox1", {744, 231, 161, 28}, {0, 0.5, 0, 0}},
    {"TntButton1", {942, 231, 139, 28}, {1, 0.5, 0, 0}},
    {"TntMemo4", {16, 280, 1089, 193}, {0, 0.5, 1, 0.5}},
    {"TntProgressBar1", {16, 496, 1049, 21}, {0, 1, 1, 0}},
    // In the free space at the right below the progress bar.
    {"Phrases_TntButton", {985, 525, 120, 28}, {1, 1, 0, 0}},
    {"Convert_TntStatusBar", {0, 560, 1143, 40}, {0, 1, 1, 0}},
};

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

ConversionPage::ConversionPage(QWidget* sheet, TFDConnection& connection, TFDQuery& sqlRows,
                               std::shared_ptr<metre::KeptMetreSources> kept,
                               const DesignUnits& units)
    : TntTabSheet3(sheet),
      keptMetreSources(std::move(kept)),
      FDConnection1(&connection),
      FDQuerySQLRavlekTable(&sqlRows),
      layout_(Places(), units) {
  LayOut();
}

ConversionPage::~ConversionPage() = default;

LayoutTable ConversionPage::Places() {
  return kPlaces;
}

void ConversionPage::LayOut() {
  QWidget* page = TntTabSheet3;
  TntMemo3 = PrepareMemo(layout_.Make<QPlainTextEdit>(page, "TntMemo3"));
  TntButton5 = layout_.Make<QPushButton>(page, "TntButton5");
  TntButton5->setText(QStringLiteral("例文說明"));
  TntCheckBox2 = layout_.Make<QCheckBox>(page, "TntCheckBox2");
  TntCheckBox2->setText(QStringLiteral("轉古音"));
  TntCheckBox3 = layout_.Make<QCheckBox>(page, "TntCheckBox3");
  TntCheckBox3->setText(QStringLiteral("轉白話音"));
  TntCheckBox4 = layout_.Make<QCheckBox>(page, "TntCheckBox4");
  TntCheckBox4->setText(QStringLiteral("音類標註"));
  TntCheckBox4->setChecked(true);
  TntCheckBox1 = layout_.Make<QCheckBox>(page, "TntCheckBox1");
  TntCheckBox1->setText(QStringLiteral("換字 with 。"));
  TntCheckBox1->setChecked(true);
  TntButton1 = layout_.Make<QPushButton>(page, "TntButton1");
  TntButton1->setText(QStringLiteral("開始轉拼音"));
  // The one free place of the button row, between the sample button and the class boxes: 輸出注音
  // and 格律檢查.
  RubyExport_TntButton = layout_.Make<QPushButton>(page, "RubyExport_TntButton");
  RubyExport_TntButton->setText(QStringLiteral("輸出注音"));
  Metre_TntButton = layout_.Make<QPushButton>(page, "Metre_TntButton");
  Metre_TntButton->setText(QStringLiteral("格律檢查"));
  TntMemo4 = PrepareMemo(layout_.Make<QPlainTextEdit>(page, "TntMemo4"));
  TntProgressBar1 = PrepareProgressBar(layout_.Make<QProgressBar>(page, "TntProgressBar1"));
  TntProgressBar1->hide();
  Phrases_TntButton = layout_.Make<QPushButton>(page, "Phrases_TntButton");
  Phrases_TntButton->setText(QStringLiteral("自訂詞"));
  Phrases_TntButton->setToolTip(
      QStringLiteral("在輸出注音的預覽裡點字，可把讀音記入自訂詞；這裡匯出或匯入自訂詞檔（TSV）"));
  auto* phrasesMenu = new QMenu(Phrases_TntButton);
  Phrases_ExportAction = phrasesMenu->addAction(QStringLiteral("匯出自訂詞…"));
  Phrases_ExportAction->setObjectName(QStringLiteral("Phrases_ExportAction"));
  Phrases_ImportAction = phrasesMenu->addAction(QStringLiteral("匯入自訂詞…"));
  Phrases_ImportAction->setObjectName(QStringLiteral("Phrases_ImportAction"));
  Phrases_TntButton->setMenu(phrasesMenu);
  // A status line as on the fanqie page, in the free space along the page's bottom.
  Convert_TntStatusBar = layout_.Make<QStatusBar>(page, "Convert_TntStatusBar");
  Convert_TntStatusBar->setSizeGripEnabled(false);
}

void ConversionPage::TntButton1Click() {
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
  // Read at the first press and kept for the process; read again when the user's own phrase file
  // has changed.
  const ravlek::LoadedPhrases phrases = ravlek::ProcessPhrases(QDir::currentPath());

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
    for (const QString& problem : phrases.problems) {
      if (!status.isEmpty()) status += QStringLiteral("；");
      status += problem;
    }
    Convert_TntStatusBar->showMessage(status);
  };
  ProgressPainter painter(TntProgressBar1);
  const auto progress = [&painter](qsizetype done) { painter.Advance(done); };
  try {
    // The metre first, then the phrases (conversion.h says why).
    ravlek::PhraseChooser phraseChooser(*phrases.table, metreSources);
    ravlek::MetreChooser metre(metreSources, &phraseChooser);
    ravlek::RomanizeStream stream(
        romanizer, {&metre, &phraseChooser},
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

void ConversionPage::TntButton5Click() {
  // Replaced as one edit, so that one Ctrl+Z brings back the text the user had pasted.
  QTextCursor cursor(TntMemo3->document());
  cursor.beginEditBlock();
  cursor.select(QTextCursor::Document);
  cursor.insertText(ravlek::ConversionSampleText());
  cursor.endEditBlock();
  TntMemo3->moveCursor(QTextCursor::Start);
}

}  // namespace ravlek

namespace ravlek {

namespace {

const QString kPhrasesFilter = QStringLiteral("自訂詞 TSV (*.tsv *.txt)");

// At most this many refused lines are listed in the box; the count says how many there were.
constexpr qsizetype kListedRefusals = 20;

}  // namespace

void ConversionPage::Phrases_ExportActionClick() {
  const QString user = UserPhrasesPath(QDir::currentPath());
  const QString start = QDir(SaveFolder(phrasesFolder)).filePath(QStringLiteral("自訂詞.tsv"));
  const QString path =
      QFileDialog::getSaveFileName(TntTabSheet3, QStringLiteral("匯出自訂詞"), start,
                                   kPhrasesFilter, nullptr, QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return;
  const qsizetype unread = ReadUserPhrases(user).Problems().size();
  const qsizetype count = ExportUserPhrases(user, path);
  phrasesFolder = QFileInfo(path).absolutePath();
  QString message =
      QStringLiteral("已匯出 %1 條自訂詞到 %2").arg(count).arg(QDir::toNativeSeparators(path));
  if (unread > 0) {
    message += QStringLiteral("（自訂詞檔另有 %1 行讀不懂，未匯出，仍留在 %2）")
                   .arg(unread)
                   .arg(QDir::toNativeSeparators(user));
  }
  Convert_TntStatusBar->showMessage(message);
}

void ConversionPage::Phrases_ImportActionClick() {
  const QString path = QFileDialog::getOpenFileName(TntTabSheet3, QStringLiteral("匯入自訂詞"),
                                                    SaveFolder(phrasesFolder), kPhrasesFilter,
                                                    nullptr, QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return;
  phrasesFolder = QFileInfo(path).absolutePath();
  // A reading the character does not have in the dictionary is refused.
  DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
  if (!keptMetreSources) keptMetreSources = std::make_shared<metre::KeptMetreSources>();
  metre::MetreSources sources(QDir::currentPath(), source, keptMetreSources.get());
  const metre::CharacterReadings& readings = sources.LoadReadings();
  const UserPhraseImport result =
      ImportUserPhrases(UserPhrasesPath(QDir::currentPath()), path,
                        [&readings](char32_t character) { return readings.Find(character); });
  const QString summary = ImportSummary(result);
  Convert_TntStatusBar->showMessage(summary);
  if (result.refused.isEmpty()) return;
  QString text =
      summary + QStringLiteral("。\n%1 裡拒收的行：\n").arg(QDir::toNativeSeparators(path));
  text += result.refused.mid(0, kListedRefusals).join(u'\n');
  if (result.refused.size() > kListedRefusals) {
    text += QStringLiteral("\n……共 %1 行").arg(result.refused.size());
  }
  ShowCaptionedMessage(TntTabSheet3, text, QStringLiteral("匯入自訂詞"));
}

}  // namespace ravlek
