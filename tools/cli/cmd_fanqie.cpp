// ravlek-cli fanqie: the readings of the fanqie notations in the input, one line per notation;
// with --synthesize, then an empty line and what each notation reads, with the steps.

#include "base/error.h"
#include "base/text_input.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/fanqie.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/literary_readings.h"

namespace ravlek::cli {
namespace {

int Fanqie(const Invocation& command) {
  const bool synthesize = command.IsSet(QStringLiteral("synthesize"));
  const QStringList args = command.Arguments();
  QString text;
  if (QString error; !ReadTextInput(args.value(0), text, error)) {
    return command.Fail(error);
  }

  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  try {
    const QString baseName = QStringLiteral("FDQueryBaseWords");
    const QString plusName = QStringLiteral("FDQueryBaseWordsPlus");
    TFDQuery baseWords(connection, baseName, DatasetStatement(baseName));
    TFDQuery baseWordsPlus(connection, plusName, DatasetStatement(plusName));
    baseWords.Open();
    baseWordsPlus.Open();
    DatasetBaseWordLookup lookup(baseWords, baseWordsPlus);
    // The notations are read from the text with its line breaks as CR LF, as the window holds it.
    const QString input = WithCrLfBreaks(text);
    QString output = ExtractFanqieReadings(input, lookup);
    if (synthesize) {
      output += QStringLiteral("\r\n");
      output += SynthesizeFanqieText(input, LiteraryReadings::FromTable(connection));
    }
    WriteOut(output.toUtf8());
  } catch (const Error& error) {
    return command.Fail(error.message());
  }
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("fanqie");
  spec.summary = QStringLiteral(
      "The readings of the fanqie notations (\u2026\u5207, \u2026\u53cd) of a text.");
  spec.about = QStringLiteral(
      "Finds the notations (two characters before \u5207 or \u53cd) in FILE, or in standard "
      "input,\nand writes the readings of their upper and lower characters, one line a notation "
      "(at\nmost 25), as the fanqie page does.");
  spec.options = {
      {{QStringLiteral("synthesize")},
       {},
       QStringLiteral("then an empty line and what each notation reads, with its steps")}};
  spec.arguments = {
      {QStringLiteral("FILE"), QStringLiteral("the text; standard input when left out or -")}};
  spec.run = &Fanqie;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
