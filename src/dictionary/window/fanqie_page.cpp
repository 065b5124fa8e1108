// The fanqie page's layout and handlers. When the window grows, the input takes the extra width
// and half the extra height; the output and the synthesis share the rest.

#include "dictionary/window/fanqie_page.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTextDocument>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/fanqie.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/literary_readings.h"
#include "dictionary/window/synthesis_field.h"

namespace ravlek {

namespace {

const DesignedPlace kPlaces[] = {
    {"TntLabel2", {16, 13, 697, 20}},
    {"TntMemo1", {16, 39, 1049, 225}, {0, 0, 1, 0.5}},
    {"TntButton4", {568, 263, 135, 25}, {1, 0.5, 0, 0}},
    {"TntButton3", {789, 263, 115, 25}, {1, 0.5, 0, 0}},
    {"TntButton2", {910, 263, 155, 25}, {1, 0.5, 0, 0}},
    {"TntMemo2", {16, 302, 473, 275}, {0, 0.5, 0.5, 0.5}},
    {"TntStatusBar1", {0, 560, 1143, 40}, {0, 1, 1, 0}},
    {"Synth_TntCheckBox", {910, 290, 155, 24}, {1, 0.5, 0, 0}},
    {"Synth_TntMemo", {497, 318, 568, 239}, {0.5, 0.5, 0.5, 0.5}},
};

}  // namespace

FanqiePage::FanqiePage(QWidget* sheet, TFDConnection& connection, TFDQuery& baseWords,
                       TFDQuery& baseWordsPlus, const DesignUnits& units)
    : TntTabSheet5(sheet),
      FDConnection1(&connection),
      FDQueryBaseWords(&baseWords),
      FDQueryBaseWordsPlus(&baseWordsPlus),
      layout_(Places(), units) {
  LayOut();
}

LayoutTable FanqiePage::Places() {
  return kPlaces;
}

void FanqiePage::LayOut() {
  const DesignUnits& units = layout_.Units();
  QWidget* page = TntTabSheet5;
  TntLabel2 = layout_.Make<QLabel>(page, "TntLabel2");
  TntLabel2->setText(
      QStringLiteral("請輸入有 [反]或者[切] 並其前有二字漢字之文字, 此功能將輔助汝切音。"));
  TntMemo1 = PrepareMemo(layout_.Make<QPlainTextEdit>(page, "TntMemo1"));
  TntMemo1->setFont(units.Font(QStringLiteral("細明體-ExtB"), 23));
  TntButton4 = layout_.Make<QPushButton>(page, "TntButton4");
  TntButton4->setText(QStringLiteral("使用範例說明"));
  TntButton3 = layout_.Make<QPushButton>(page, "TntButton3");
  TntButton3->setText(QStringLiteral("頂面欄清空"));
  TntButton2 = layout_.Make<QPushButton>(page, "TntButton2");
  TntButton2->setText(QStringLiteral("反.切音粹取"));
  TntMemo2 = PrepareMemo(layout_.Make<QPlainTextEdit>(page, "TntMemo2"));
  TntMemo2->setFont(units.Font(QStringLiteral("細明體"), 23));
  TntStatusBar1 = layout_.Make<QStatusBar>(page, "TntStatusBar1");
  TntStatusBar1->setSizeGripEnabled(false);
  // The synthesis: its check box just below TntButton2, its output in the free space to the
  // right of TntMemo2 (ending above the status bar).
  Synth_TntCheckBox = layout_.Make<QCheckBox>(page, "Synth_TntCheckBox");
  Synth_TntCheckBox->setText(QStringLiteral("自動拼切"));
  Synth_TntMemo = PrepareMemo(layout_.Make<QPlainTextEdit>(page, "Synth_TntMemo"));
  Synth_TntMemo->setFont(units.Font(QStringLiteral("細明體"), 17));
  Synth_TntMemo->setReadOnly(true);
  PrepareSynthesisField(Synth_TntMemo);
  Synth_TntCheckBox->setToolTip(FanqieStepsLegend());
}

void FanqiePage::TntButton2Click() {
  TntMemo2->clear();
  TntStatusBar1->clearMessage();
  // The synthesis output belongs to this press only; unchecked, it stays empty.
  if (Synth_TntMemo) Synth_TntMemo->clear();
  // The field's text as it holds it, its paragraph breaks read as CR LF. (Its plain text would
  // turn a no-break space into a blank and a line separator into a line break.)
  QString text = TntMemo1->document()->toRawText();
  text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
  ravlek::DatasetBaseWordLookup lookup(*FDQueryBaseWords, *FDQueryBaseWordsPlus);
  // Each line is shown when it is complete; a failing lookup leaves the lines before it.
  QString shown;
  ravlek::ExtractFanqieReadings(text, lookup, [&](const QString& line) {
    shown += line;
    TntMemo2->setPlainText(shown);
  });
  // Empty lists say why.
  if (shown.isEmpty())
    TntStatusBar1->showMessage(QStringLiteral("文中沒有反切：找不到前有二字的「切」或「反」。"));
  if (Synth_TntCheckBox && Synth_TntCheckBox->isChecked()) {
    const auto readings = ravlek::LiteraryReadings::FromTable(*FDConnection1);
    ravlek::ShowSynthesis(Synth_TntMemo, ravlek::SynthesizeFanqieText(text, readings));
  }
}

void FanqiePage::TntButton3Click() {
  TntMemo1->clear();
}

void FanqiePage::TntButton4Click() {
  TntMemo1->setPlainText(ravlek::FanqieSamplePassage());
}

}  // namespace ravlek
