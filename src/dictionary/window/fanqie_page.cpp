// The fanqie page: 反.切音粹取 writes the readings of the notations in the input field, and with
// 自動拼切 checked what each notation reads; 頂面欄清空 empties the input; 使用範例說明 puts the
// sample passage into the input.

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextDocument>

#include "app/window/ostrel.h"
#include "dictionary/fanqie.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/literary_readings.h"
#include "dictionary/window/synthesis_field.h"

void TOstrel::TntButton2Click() {
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

void TOstrel::TntButton3Click() {
  TntMemo1->clear();
}

void TOstrel::TntButton4Click() {
  TntMemo1->setPlainText(ravlek::FanqieSamplePassage());
}
