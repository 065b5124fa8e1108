// 輸出注音 on the conversion page: the input field as a handout to print, with the page's class
// boxes. A preview shows it as it will print; clicking a character (or Enter on it) offers its
// readings, and the choice is kept for that text while the program runs. 儲存… saves it as HTML,
// PDF (printed by the HTML engine) or OpenDocument text, and the dialog and the status line say
// where.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "app/window/messages.h"
#include "app/window/screen_fit.h"
#include "base/error.h"
#include "base/text_input.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "metre/metre_choices.h"
#include "romanize/conversion.h"
#include "romanize/handout_file.h"
#include "romanize/phrase_chooser.h"
#include "romanize/phrase_files.h"
#include "romanize/reading_rhymes.h"
#include "romanize/ruby_html.h"
#include "romanize/ruby_odt.h"
#include "romanize/user_phrases.h"
#include "romanize/window/conversion_page.h"
#include "romanize/window/handout_state.h"
#include "romanize/window/html_to_pdf.h"
#include "romanize/window/ruby_preview.h"

namespace {

const QString kHtmlFilter = QStringLiteral("HTML (*.html *.htm)");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");
const QString kOdtFilter = QStringLiteral("OpenDocument (*.odt)");

enum class Form { Html, Pdf, Odt };

// The form a name asks for by its suffix, else the chosen filter's (the suffix then added).
Form FormOf(QString& path, const QString& filter) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == u"html" || suffix == u"htm") return Form::Html;
  if (suffix == u"pdf") return Form::Pdf;
  if (suffix == u"odt") return Form::Odt;
  if (filter == kPdfFilter) {
    path += QStringLiteral(".pdf");
    return Form::Pdf;
  }
  if (filter == kOdtFilter) {
    path += QStringLiteral(".odt");
    return Form::Odt;
  }
  path += QStringLiteral(".html");
  return Form::Html;
}

void SaveHandout(const QString& path, Form form, const std::vector<ravlek::RubyLine>& text,
                 const ravlek::HandoutStyle& style) {
  switch (form) {
    case Form::Html:
      ravlek::SaveFileAtomically(path, ravlek::RubyHtmlDocument(text, style).toUtf8());
      return;
    case Form::Odt:
      ravlek::SaveFileAtomically(path, ravlek::RubyOdtDocument(text, style));
      return;
    case Form::Pdf:
      break;
  }
  const QTemporaryDir folder;
  if (!folder.isValid()) throw ravlek::CannotCreateFileError(folder.path(), folder.errorString());
  const QString htmlPath = folder.filePath(QStringLiteral("handout.html"));
  ravlek::SaveFileAtomically(htmlPath, ravlek::RubyHtmlDocument(text, style).toUtf8());
  const QString beside = ravlek::BesidePath(path);
  try {
    ravlek::PrintHtmlFileToPdf(htmlPath, beside);
  } catch (...) {
    QFile::remove(beside);
    throw;
  }
  ravlek::MoveIntoPlace(beside, path);
}

}  // namespace

void ravlek::ConversionPage::RubyExport_TntButtonClick() {
  if (!handoutState) handoutState = std::make_shared<ravlek::HandoutState>();
  ravlek::HandoutState& state = *handoutState;
  const QString input = TntMemo3->toPlainText();
  const QStringList lines = ravlek::SplitTextLines(input);
  ravlek::RubyTextOptions options;
  options.conversion.ancient = TntCheckBox2->isChecked();
  options.conversion.colloquial = TntCheckBox3->isChecked();

  QDialog dialog(TntTabSheet3);
  dialog.setObjectName(QStringLiteral("RubyExport_Dialog"));
  dialog.setWindowTitle(QStringLiteral("輸出注音"));
  auto* heading = new QCheckBox(QStringLiteral("首行標題、次行作者"), &dialog);
  heading->setObjectName(QStringLiteral("RubyExport_Heading"));
  heading->setChecked(state.heading);
  auto* numeric = new QCheckBox(QStringLiteral("數字調"), &dialog);
  numeric->setObjectName(QStringLiteral("RubyExport_Numeric"));
  numeric->setChecked(!state.style.toneMarks);
  auto* characterSize = new QSpinBox(&dialog);
  characterSize->setObjectName(QStringLiteral("RubyExport_CharacterSize"));
  characterSize->setRange(12, 72);
  characterSize->setSuffix(QStringLiteral(" pt"));
  characterSize->setValue(qRound(state.style.characterPt));
  auto* readingSize = new QSpinBox(&dialog);
  readingSize->setObjectName(QStringLiteral("RubyExport_ReadingSize"));
  readingSize->setRange(6, 36);
  readingSize->setSuffix(QStringLiteral(" pt"));
  readingSize->setValue(qRound(state.style.readingPt));
  auto* preview = new ravlek::RubyPreview(FDConnection1->Database(), &dialog);
  preview->setObjectName(QStringLiteral("RubyExport_Preview"));
  auto* scroll = new QScrollArea(&dialog);
  scroll->setWidget(preview);
  scroll->setWidgetResizable(false);
  // A white page on a white field: the readings read as they will print.
  scroll->setBackgroundRole(QPalette::Base);
  auto* saved = new QLabel(&dialog);
  saved->setObjectName(QStringLiteral("RubyExport_Saved"));
  saved->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* save = buttons->addButton(QStringLiteral("儲存…"), QDialogButtonBox::AcceptRole);
  save->setObjectName(QStringLiteral("RubyExport_Save"));
  buttons->addButton(QStringLiteral("關閉"), QDialogButtonBox::RejectRole);

  auto* options_row = new QHBoxLayout;
  options_row->addWidget(heading);
  options_row->addWidget(numeric);
  options_row->addWidget(new QLabel(QStringLiteral("字"), &dialog));
  options_row->addWidget(characterSize);
  options_row->addWidget(new QLabel(QStringLiteral("音"), &dialog));
  options_row->addWidget(readingSize);
  options_row->addStretch();
  auto* layout = new QVBoxLayout(&dialog);
  layout->addLayout(options_row);
  layout->addWidget(new QLabel(QStringLiteral("點選字（或按 Enter）可改讀音。"), &dialog));
  layout->addWidget(scroll, 1);
  layout->addWidget(saved);
  layout->addWidget(buttons);

  // The readings the metre and the phrases choose, where the user has chosen none, and why (for
  // the reading menu); chosen again when the user keeps a reading for a phrase.
  ravlek::ReadingChoices metre;
  const auto choose = [&] {
    ravlek::DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
    if (!keptMetreSources) keptMetreSources = std::make_shared<ravlek::metre::KeptMetreSources>();
    ravlek::metre::MetreSources sources(QDir::currentPath(), source, keptMetreSources.get());
    const ravlek::LoadedPhrases phraseFiles = ravlek::ProcessPhrases(QDir::currentPath());
    ravlek::PhraseChooser phrases(*phraseFiles.table, sources,
                                  ravlek::CachedReadingFanqie(FDConnection1->Database()));
    ravlek::MetreChooser chooser(sources, &phrases);
    ravlek::FirstReadings why;
    metre = ravlek::PositionChoices(lines,
                                    ravlek::ChooseFirstReadings(lines, {&chooser, &phrases}, &why));
    preview->SetReasons(metre, ravlek::PositionChoices(lines, why));
    preview->SetPhraseTable(phraseFiles.table);
    QStringList problems = phraseFiles.problems;
    if (!sources.Problem().isEmpty()) {
      problems.prepend(sources.Problem() + QStringLiteral("：讀音未依格律選"));
    }
    if (!problems.isEmpty()) Convert_TntStatusBar->showMessage(problems.join(QStringLiteral("；")));
  };
  choose();
  std::vector<ravlek::RubyLine> text;
  const auto rebuild = [&] {
    state.heading = heading->isChecked();
    state.style.toneMarks = !numeric->isChecked();
    state.style.characterPt = characterSize->value();
    state.style.readingPt = readingSize->value();
    options.title = options.author = state.heading;
    ravlek::DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
    text = ravlek::BuildRubyText(lines, options, source, state.choicesByText.value(input), metre);
    preview->SetText(text, state.style);
    preview->resize(preview->sizeHint());
  };
  rebuild();
  // The dialog's own handlers run inside its event loop: an error is reported there, and the
  // dialog stays open.
  const auto guardedRebuild = [&] { ravlek::RunHandler(rebuild); };
  QObject::connect(heading, &QCheckBox::toggled, &dialog, guardedRebuild);
  QObject::connect(numeric, &QCheckBox::toggled, &dialog, guardedRebuild);
  QObject::connect(characterSize, &QSpinBox::valueChanged, &dialog, guardedRebuild);
  QObject::connect(readingSize, &QSpinBox::valueChanged, &dialog, guardedRebuild);
  QObject::connect(preview, &ravlek::RubyPreview::ReadingChosen, &dialog,
                   [&](qsizetype position, const QString& reading) {
                     state.choicesByText[input].insert(position, reading);
                     ravlek::RunHandler(rebuild);
                   });
  QObject::connect(preview, &ravlek::RubyPreview::PhraseReadingKept, &dialog,
                   [&](const QString& phrase, const QString& reading) {
                     ravlek::RunHandler([&] {
                       const ravlek::UserPhrase kept{phrase, reading, {}};
                       const auto change = ravlek::KeepUserPhrase(
                           ravlek::UserPhrasesPath(QDir::currentPath()), kept);
                       const QString message = ravlek::KeptPhraseMessage(change, kept);
                       saved->setText(message);
                       choose();
                       rebuild();
                       Convert_TntStatusBar->showMessage(message);
                     });
                   });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
    ravlek::RunHandler([&] {
      QString filter = state.lastFilter.isEmpty() ? kHtmlFilter : state.lastFilter;
      const QString start =
          QDir(ravlek::SaveFolder(state.lastFolder)).filePath(ravlek::HandoutFileName(text));
      QString path = QFileDialog::getSaveFileName(
          &dialog, QStringLiteral("輸出注音"), start,
          kHtmlFilter + QStringLiteral(";;") + kPdfFilter + QStringLiteral(";;") + kOdtFilter,
          &filter, QFileDialog::DontUseNativeDialog);
      if (path.isEmpty()) return;
      const Form form = FormOf(path, filter);
      SaveHandout(path, form, text, state.style);
      state.lastFolder = QFileInfo(path).absolutePath();
      state.lastFilter = form == Form::Pdf   ? kPdfFilter
                         : form == Form::Odt ? kOdtFilter
                                             : kHtmlFilter;
      // The preview stays open and says where the file went: the user may save another form.
      const QString message = QStringLiteral("已儲存：") + QDir::toNativeSeparators(path);
      saved->setText(message);
      Convert_TntStatusBar->showMessage(message);
    });
  });
  dialog.resize(ravlek::FittedToScreen(*TntTabSheet3,
                                       QSize(qMin(preview->sizeHint().width() + 60, 1000), 640)));
  preview->setFocus();
  dialog.exec();
}
