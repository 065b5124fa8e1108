// ravlek-cli fanqie: the readings of the fanqie notations in the input, one line per notation;
// with --synthesize, then an empty line and what each notation reads, with the steps.

#include "base/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/fanqie.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/literary_readings.h"
#include "romanize/text_input.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage = "fanqie [--synthesize] [FILE]";

int Fanqie(const Globals& globals, const QStringList& arguments) {
  const QCommandLineOption synthesizeOption(QStringLiteral("synthesize"));
  QCommandLineParser parser;
  if (const auto end =
          ParseCommandLine(parser, QStringLiteral("fanqie"), {synthesizeOption}, arguments, 1)) {
    return *end;
  }
  const bool synthesize = parser.isSet(synthesizeOption);
  const QStringList args = parser.positionalArguments();
  QString text;
  if (QString error; !ReadTextInput(args.value(0), text, error)) {
    WriteErr(QStringLiteral("ravlek-cli fanqie: ") + error);
    return 1;
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
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
    WriteErr(QStringLiteral("ravlek-cli fanqie: ") + error.message());
    return 1;
  }
  return 0;
}

constexpr const char* kHelp =
    "The readings of the fanqie notations (\u2026\u5207, \u2026\u53cd) of a text.\n"
    "Finds the notations (two characters before \u5207 or \u53cd) in FILE, or in standard input,\n"
    "and writes the readings of their upper and lower characters, one line a notation (at\n"
    "most 25), as the fanqie page does.\n"
    "\n"
    "  --synthesize  then an empty line and what each notation reads, with its steps";

const CommandRegistration registration("fanqie", kUsage, &Fanqie, kHelp);

}  // namespace
}  // namespace ravlek::cli
