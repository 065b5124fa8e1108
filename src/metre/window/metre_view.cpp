#include "metre/window/metre_view.h"

#include <QDialog>
#include <QDir>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "app/window/screen_fit.h"
#include "base/error.h"
#include "base/text_input.h"
#include "dictionary/class_readings.h"
#include "dictionary/dataset.h"
#include "metre/metre_check.h"
#include "metre/metre_choices.h"
#include "metre/metre_html.h"
#include "metre/metre_report.h"
#include "metre/poem_splitter.h"

namespace ravlek {

MetreView::MetreView(QWidget* owner, TFDQuery& sqlRows,
                     std::shared_ptr<metre::KeptMetreSources> kept)
    : keptMetreSources(std::move(kept)), owner_(owner), FDQuerySQLRavlekTable(&sqlRows) {}

MetreView::~MetreView() = default;

void MetreView::Check(const QString& text) {
  // The tables are read first: without them there is nothing to check against (the error
  // report names the file). What the metre reads is kept between presses, as for the conversion.
  ravlek::DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
  if (!keptMetreSources) keptMetreSources = std::make_shared<ravlek::metre::KeptMetreSources>();
  ravlek::metre::MetreSources sources(QDir::currentPath(), source, keptMetreSources.get());
  if (!sources.Load()) throw ravlek::Error(sources.Problem());
  QList<ravlek::metre::PoemCheck> checks;
  for (const ravlek::metre::PoemLines& poem :
       ravlek::metre::SplitPoems(ravlek::SplitTextLines(text))) {
    checks.append(ravlek::metre::CheckPoem(poem, sources.Table(), &sources.Readings()));
  }
  if (!Metre_Form) {
    Metre_Form = new QDialog(owner_);
    Metre_Form->setObjectName(QStringLiteral("Metre_Form"));
    Metre_Form->setWindowTitle(QStringLiteral("格律檢查"));
    Metre_Form->resize(ravlek::FittedToScreen(*owner_, QSize(720, 640)));
    Metre_TntMemo = new QTextBrowser(Metre_Form);
    Metre_TntMemo->setObjectName(QStringLiteral("Metre_TntMemo"));
    auto* layout = new QVBoxLayout(Metre_Form);
    layout->addWidget(Metre_TntMemo);
  }
  Metre_TntMemo->setHtml(ravlek::metre::MetreHtml(checks));
  Metre_Form->show();
  Metre_Form->raise();
}

}  // namespace ravlek
