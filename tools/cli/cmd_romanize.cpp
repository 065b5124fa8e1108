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

// The options of the handouts, declared and read in one place.
struct HandoutOptions {
  QCommandLineOption html{QStringLiteral("html")};
  QCommandLineOption odt{QStringLiteral("odt")};
  QCommandLineOption numeric{QStringLiteral("numeric")};
  QCommandLineOption characterSize{QStringLiteral("character-size"), QString(),
                                   QStringLiteral("PT")};
  QCommandLineOption readingSize{QStringLiteral("reading-size"), QString(), QStringLiteral("PT")};
  QCommandLineOption title{QStringLiteral("title")};
  QCommandLineOption author{QStringLiteral("author")};
  QCommandLineOption choose{QStringLiteral("choose"), QString(), QStringLiteral("FILE")};

  QList<QCommandLineOption> All() const {
    return {html, odt, numeric, characterSize, readingSize, title, author, choose};
  }

  // Reads the parsed options into `handout`; returns what is wrong with them, empty when nothing.
  QString Read(const QCommandLineParser& parser, HandoutArgs& handout) const {
    if (parser.isSet(html) && parser.isSet(odt)) {
      return QStringLiteral("give either --html or --odt, not both");
    }
    handout.form = parser.isSet(html)  ? HandoutArgs::Form::Html
                   : parser.isSet(odt) ? HandoutArgs::Form::Odt
                                       : HandoutArgs::Form::None;
    handout.style.toneMarks = !parser.isSet(numeric);
    handout.title = parser.isSet(title);
    handout.author = parser.isSet(author);
    handout.choose = parser.value(choose);
    for (const auto& [option, pt] : {std::pair{&characterSize, &handout.style.characterPt},
                                     std::pair{&readingSize, &handout.style.readingPt}}) {
      if (!parser.isSet(*option)) continue;
      bool ok = false;
      const QString text = parser.value(*option);
      const double value = text.toDouble(&ok);
      // Below 4 points nothing can be read; above 200 not one character fits a line.
      if (!ok || value < 4 || value > 200) {
        return QStringLiteral("--%1 takes 4 to 200 points, not %2")
            .arg(option->names().first(), text);
      }
      *pt = value;
    }
    return {};
  }
};

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
  const QCommandLineOption ancient(QStringLiteral("ancient"));
  const QCommandLineOption colloquial(QStringLiteral("colloquial"));
  const QCommandLineOption noClassMarks(QStringLiteral("no-class-marks"));
  const QCommandLineOption noSeparator(QStringLiteral("no-separator"));
  const QCommandLineOption toneMarksOption(QStringLiteral("tone-marks"));
  const HandoutOptions handoutOptions;
  QCommandLineParser parser;
  if (const auto end = ParseCommandLine(parser, QStringLiteral("romanize"),
                                        QList<QCommandLineOption>{ancient, colloquial, noClassMarks,
                                                                  noSeparator, toneMarksOption} +
                                            handoutOptions.All(),
                                        args, 1)) {
    return *end;
  }
  ConversionOptions options;
  options.ancient = parser.isSet(ancient);
  options.colloquial = parser.isSet(colloquial);
  options.classMarks = !parser.isSet(noClassMarks);
  options.separator = !parser.isSet(noSeparator);
  const bool toneMarks = parser.isSet(toneMarksOption);
  HandoutArgs handout;
  if (const QString problem = handoutOptions.Read(parser, handout); !problem.isEmpty()) {
    return CommandUsageError(QStringLiteral("romanize"), problem);
  }
  const QString path = parser.positionalArguments().value(0);
  QFile input;
  if (!OpenTextInput(input, path)) {
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
