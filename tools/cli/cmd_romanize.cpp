// ravlek-cli romanize: each line of the input, then its romanised line; or the input as an HTML
// document with the readings above the characters.

#include "app/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "romanize/class_readings.h"
#include "romanize/romanizer.h"
#include "romanize/ruby_html.h"
#include "romanize/text_input.h"
#include "romanize/tone_marked_readings.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage =
    "romanize [--ancient] [--colloquial] [--no-class-marks] [--no-separator] [--tone-marks] "
    "[--html] [FILE]";

constexpr const char* kHelp =
    "A text with the readings of its characters, line by line, or as ruby-annotated HTML.\n"
    "Transcribes FILE, or standard input, as the conversion page does: each line, then its line\n"
    "of readings grouped by class: \u901a, (\u6587 ...), {\u4eca ...}, [\u53e4 ...], <\u767d "
    "...>.\n"
    "\n"
    "  --ancient         also the ancient readings (\u53e4)\n"
    "  --colloquial      also the colloquial readings (\u767d)\n"
    "  --no-class-marks  groups told apart by their brackets only\n"
    "  --no-separator    no ' \u3002 ' after each character\n"
    "  --tone-marks      readings with tone marks (ts\u00e0n) instead of tone digits (tsan3)\n"
    "  --html            a standalone HTML document instead: every character with a reading in\n"
    "                    <ruby>, the first reading of the first class that has one (\u901a, "
    "\u6587,\n"
    "                    \u4eca, then \u53e4 and \u767d when asked) above it and all its readings "
    "in its\n"
    "                    title; lines and blank lines kept; print styles for A4";

int Romanize(const Globals& globals, const QStringList& args) {
  ConversionOptions options;
  bool html = false;
  bool toneMarks = false;
  QString path;
  for (const QString& arg : args) {
    if (arg == QLatin1String("--ancient")) {
      options.ancient = true;
    } else if (arg == QLatin1String("--colloquial")) {
      options.colloquial = true;
    } else if (arg == QLatin1String("--no-class-marks")) {
      options.classMarks = false;
    } else if (arg == QLatin1String("--no-separator")) {
      options.separator = false;
    } else if (arg == QLatin1String("--tone-marks")) {
      toneMarks = true;
    } else if (arg == QLatin1String("--html")) {
      html = true;
    } else if (arg.startsWith(u'-') || !path.isEmpty()) {
      return CommandUsageError(kUsage);
    } else {
      path = arg;
    }
  }
  QString text;
  if (QString error; !ReadTextInput(path, text, error)) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + error);
    return 1;
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  try {
    TFDQuery query(connection, QStringLiteral("FDQuerySQLRavlekTable"),
                   QStringLiteral("select *  from RavlekTable where Ptype<>'' "));
    DatasetClassReadingSource dataset(query);
    ToneMarkedReadingSource toneMarked(dataset);
    ClassReadingSource& source = toneMarks ? static_cast<ClassReadingSource&>(toneMarked) : dataset;
    const QStringList lines = SplitTextLines(text);
    if (html) {
      WriteOut(RubyHtmlDocument(lines, options, source).toUtf8());
      return 0;
    }
    const QStringList romanised = RomanizeLines(lines, options, source);
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      out += lines[i].toUtf8();
      out += '\n';
      out += romanised[i].toUtf8();
      out += '\n';
    }
    WriteOut(out);
  } catch (const Error& error) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + error.message());
    return 1;
  }
  return 0;
}

const CommandRegistration registration("romanize", kUsage, &Romanize, kHelp);

}  // namespace
}  // namespace ravlek::cli
