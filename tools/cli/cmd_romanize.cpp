// ravlek-cli romanize: each line of the input, then its romanised line; or the input as an HTML
// document with the readings above the characters.

#include <QFile>

#include "base/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
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
  QFile input;
  const bool opened = path.isEmpty() ? input.open(stdin, QIODevice::ReadOnly)
                                     : (input.setFileName(path), input.open(QIODevice::ReadOnly));
  if (!opened) {
    WriteErr(
        QStringLiteral("ravlek-cli romanize: cannot read %1: %2").arg(path, input.errorString()));
    return 1;
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  // Line by line: each line and its romanised line are written before the next is read, so
  // memory stays the same whatever the length of the input.
  Utf8LineReader reader(input);
  QByteArray out;
  try {
    const QString name = QStringLiteral("FDQuerySQLRavlekTable");
    TFDQuery query(connection, name, DatasetStatement(name));
    DatasetClassReadingSource dataset(query);
    ToneMarkedReadingSource toneMarked(dataset);
    ClassReadingSource& source = toneMarks ? static_cast<ClassReadingSource&>(toneMarked) : dataset;
    QString line;
    if (html) {
      // A document needs the whole text.
      QStringList lines;
      while (reader.Next(line)) lines.append(line);
      if (!reader.Error().isEmpty()) {
        WriteErr(QStringLiteral("ravlek-cli romanize: ") + reader.Error());
        return 1;
      }
      WriteOut(RubyHtmlDocument(lines, options, source).toUtf8());
      return 0;
    }
    Romanizer romanizer(source, options);
    while (reader.Next(line)) {
      out += line.toUtf8();
      out += '\n';
      out += romanizer.RomanizeLine(line).toUtf8();
      out += '\n';
      if (out.size() >= 64 * 1024) {
        WriteOut(out);
        out.clear();
      }
    }
  } catch (const Error& error) {
    WriteOut(out);
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + error.message());
    return 1;
  }
  WriteOut(out);
  if (!reader.Error().isEmpty()) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + reader.Error());
    return 1;
  }
  return 0;
}

const CommandRegistration registration("romanize", kUsage, &Romanize, kHelp);

}  // namespace
}  // namespace ravlek::cli
