// ravlek-cli romanize: each line of the input, then its romanised line; or the input as a handout
// (HTML or OpenDocument) with the readings above the characters.

#include <QFile>

#include "base/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/tailo.h"
#include "metre/metre_check.h"
#include "metre/metre_choices.h"
#include "romanize/class_readings.h"
#include "romanize/reading_choice_file.h"
#include "romanize/romanizer.h"
#include "romanize/ruby_html.h"
#include "romanize/ruby_odt.h"
#include "romanize/ruby_text.h"
#include "romanize/text_input.h"
#include "romanize/tone_marked_readings.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage =
    "romanize [--ancient] [--colloquial] [--no-class-marks] [--no-separator] [--tone-marks] "
    "[--html | --odt [--numeric] [--character-size PT] [--reading-size PT] [--title] [--author] "
    "[--choose FILE]] [FILE]";

constexpr const char* kHelp =
    "A text with the readings of its characters, line by line, or as a handout to print.\n"
    "Transcribes FILE, or standard input, as the conversion page does: each line, then its line\n"
    "of readings grouped by class: \u901a, (\u6587 ...), {\u4eca ...}, [\u53e4 ...], <\u767d "
    "...>.\n"
    "In a regulated poem (poems separated by an empty line) the reading whose tone its place\n"
    "needs comes first in its group, and a handout writes it unless --choose chooses another.\n"
    "\n"
    "  --ancient         also the ancient readings (\u53e4)\n"
    "  --colloquial      also the colloquial readings (\u767d)\n"
    "  --no-class-marks  groups told apart by their brackets only\n"
    "  --no-separator    no ' \u3002 ' after each character\n"
    "  --tone-marks      readings with tone marks (ts\u00e0n) instead of tone digits (tsan3)\n"
    "  --html            a handout instead, as a standalone HTML document that prints on A4:\n"
    "                    each character in a cell of its line's width, one reading centred\n"
    "                    above it in <ruby> (the first of the first class that has one: "
    "\u901a,\n"
    "                    \u6587, \u4eca, then \u53e4 and \u767d when asked, or the metre's), "
    "all its\n"
    "                    readings in its title\n"
    "  --odt             the handout as an OpenDocument text with real ruby, to edit\n"
    "  --numeric         (handouts) readings in tone digits; tone marks without it\n"
    "  --character-size PT  (handouts) the characters' size in points, default 20\n"
    "  --reading-size PT    (handouts) the readings' size in points, default 10\n"
    "  --title           (handouts) the first line is the title\n"
    "  --author          (handouts) the next line (after the title) names the author\n"
    "  --choose FILE     (handouts) the readings to write: lines of\n"
    "                    position<TAB>character<TAB>reading, the position counted in\n"
    "                    characters of the input from 1, each line end counting one";

// The options of the handouts (--html, --odt), read in one place.
struct HandoutArgs {
  enum class Form { None, Html, Odt } form = Form::None;
  HandoutStyle style;
  bool title = false;
  bool author = false;
  QString choose;
};

enum class Taken { No, Yes, Usage };

// Takes args[i] (and its value, moving i past it) when it is a handout option.
Taken TakeHandoutOption(const QStringList& args, qsizetype& i, HandoutArgs& handout) {
  const QString& arg = args[i];
  const auto value = [&](QString& out) {
    if (i + 1 >= args.size()) return Taken::Usage;
    out = args[++i];
    return Taken::Yes;
  };
  const auto size = [&](double& out) {
    QString text;
    if (value(text) == Taken::Usage) return Taken::Usage;
    bool ok = false;
    const double pt = text.toDouble(&ok);
    // Below 4 points nothing can be read; above 200 not one character fits a line.
    if (!ok || pt < 4 || pt > 200) return Taken::Usage;
    out = pt;
    return Taken::Yes;
  };
  if (arg == QLatin1String("--html")) {
    handout.form = HandoutArgs::Form::Html;
  } else if (arg == QLatin1String("--odt")) {
    handout.form = HandoutArgs::Form::Odt;
  } else if (arg == QLatin1String("--numeric")) {
    handout.style.toneMarks = false;
  } else if (arg == QLatin1String("--title")) {
    handout.title = true;
  } else if (arg == QLatin1String("--author")) {
    handout.author = true;
  } else if (arg == QLatin1String("--character-size")) {
    return size(handout.style.characterPt);
  } else if (arg == QLatin1String("--reading-size")) {
    return size(handout.style.readingPt);
  } else if (arg == QLatin1String("--choose")) {
    return value(handout.choose);
  } else {
    return Taken::No;
  }
  return Taken::Yes;
}

// Says once why the readings are not chosen by the metre.
void WarnMetre(const metre::MetreSources& sources) {
  if (sources.Problem().isEmpty()) return;
  WriteErr(QStringLiteral("ravlek-cli romanize: %1; the readings are not chosen by the metre")
               .arg(sources.Problem()));
}

// Writes the handout of the whole input; returns the exit status.
int WriteHandout(Utf8LineReader& reader, const HandoutArgs& handout,
                 const ConversionOptions& options, ClassReadingSource& source,
                 metre::MetreSources& metreSources) {
  std::vector<ReadingChoiceLine> choiceLines;
  if (!handout.choose.isEmpty()) {
    QString text;
    QString error;
    if (!ReadTextInput(handout.choose, text, error) ||
        !ParseReadingChoices(text, choiceLines, error)) {
      WriteErr(QStringLiteral("ravlek-cli romanize: %1: %2").arg(handout.choose, error));
      return 1;
    }
  }
  // A document needs the whole text.
  QStringList lines;
  QString line;
  while (reader.Next(line)) lines.append(line);
  if (!reader.Error().isEmpty()) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + reader.Error());
    return 1;
  }
  RubyTextOptions textOptions;
  textOptions.conversion = options;
  textOptions.title = handout.title;
  textOptions.author = handout.author;
  const ReadingChoices metre =
      metre::MetreChoices(lines, metre::ChosenMetreReadings(lines, metreSources));
  WarnMetre(metreSources);
  const std::vector<RubyLine> text =
      BuildRubyText(lines, textOptions, source, ChoicesOf(choiceLines), metre);
  if (const QString fault = CheckReadingChoices(text, choiceLines); !fault.isEmpty()) {
    WriteErr(QStringLiteral("ravlek-cli romanize: %1: %2").arg(handout.choose, fault));
    return 1;
  }
  if (handout.form == HandoutArgs::Form::Odt) {
    WriteOut(RubyOdtDocument(text, handout.style));
  } else {
    WriteOut(RubyHtmlDocument(text, handout.style).toUtf8());
  }
  return 0;
}

int Romanize(const Globals& globals, const QStringList& args) {
  ConversionOptions options;
  HandoutArgs handout;
  bool toneMarks = false;
  QString path;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& arg = args[i];
    const Taken taken = TakeHandoutOption(args, i, handout);
    if (taken == Taken::Usage) return CommandUsageError(kUsage);
    if (taken == Taken::Yes) continue;
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
    metre::MetreSources metreSources(globals.appDir.isEmpty() ? DefaultAppDir() : globals.appDir,
                                     dataset);
    if (handout.form != HandoutArgs::Form::None) {
      return WriteHandout(reader, handout, options, dataset, metreSources);
    }
    ToneMarkedReadingSource toneMarked(dataset);
    ClassReadingSource& source = toneMarks ? static_cast<ClassReadingSource&>(toneMarked) : dataset;
    Romanizer romanizer(source, options);
    const auto write = [&](const QString& line, const QStringList& firstReadings) {
      out += line.toUtf8();
      out += '\n';
      out += romanizer.RomanizeLine(line, firstReadings).toUtf8();
      out += '\n';
      if (out.size() >= 64 * 1024) {
        WriteOut(out);
        out.clear();
      }
    };
    // The lines of a poem (a run of lines that are not blank) wait while they may still be a
    // regulated poem, whose metre puts a reading first; any other line is written at once.
    QStringList poem;
    metre::PoemShape shape;
    bool mayBeRegulated = true;
    const auto flush = [&] {
      QList<QStringList> chosen = metre::ChosenMetreReadings(poem, metreSources);
      if (toneMarks) {
        for (QStringList& readings : chosen) {
          for (QString& reading : readings) {
            if (!reading.isEmpty()) reading = ToneMarkedTaiLo(reading);
          }
        }
      }
      for (qsizetype i = 0; i < poem.size(); ++i) write(poem[i], chosen.value(i));
      poem.clear();
    };
    QString line;
    while (reader.Next(line)) {
      if (line.trimmed().isEmpty()) {
        flush();
        shape = metre::PoemShape();
        mayBeRegulated = true;
        write(line, {});
      } else if (mayBeRegulated) {
        poem.append(line);
        shape.AddLine(line);
        if (!shape.MayStart()) {
          mayBeRegulated = false;
          for (const QString& waiting : std::as_const(poem)) write(waiting, {});
          poem.clear();
        }
      } else {
        write(line, {});
      }
    }
    flush();
    WarnMetre(metreSources);
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
