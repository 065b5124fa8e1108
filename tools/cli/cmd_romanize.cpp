// ravlek-cli romanize: each line of the input, then its romanised line; or the input as a handout
// (HTML or OpenDocument) with the readings above the characters.

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <optional>

#include "base/characters.h"
#include "base/error.h"
#include "base/text_input.h"
#include "cli.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/tailo.h"
#include "metre/metre_choices.h"
#include "romanize/conversion.h"
#include "romanize/phrase_chooser.h"
#include "romanize/phrase_files.h"
#include "romanize/reading_choice_file.h"
#include "romanize/reading_rhymes.h"
#include "romanize/romanizer.h"
#include "romanize/ruby_html.h"
#include "romanize/ruby_odt.h"
#include "romanize/ruby_text.h"
#include "romanize/tone_marked_readings.h"

namespace ravlek::cli {
namespace {

// The options of the handouts (--html, --odt), read in one place.
struct HandoutArgs {
  enum class Form { None, Html, Odt } form = Form::None;
  HandoutStyle style;
  bool title = false;
  bool author = false;
  QString choose;
};

// Reads the handouts' options into `handout`; returns what is wrong with them, empty when nothing.
QString ReadHandoutArgs(const Invocation& command, HandoutArgs& handout) {
  const bool html = command.IsSet(QStringLiteral("html"));
  const bool odt = command.IsSet(QStringLiteral("odt"));
  if (html && odt) return QStringLiteral("give either --html or --odt, not both");
  handout.form = html  ? HandoutArgs::Form::Html
                 : odt ? HandoutArgs::Form::Odt
                       : HandoutArgs::Form::None;
  handout.style.toneMarks = !command.IsSet(QStringLiteral("numeric"));
  handout.title = command.IsSet(QStringLiteral("title"));
  handout.author = command.IsSet(QStringLiteral("author"));
  handout.choose = command.Value(QStringLiteral("choose"));
  for (const auto& [option, pt] :
       {std::pair{QStringLiteral("character-size"), &handout.style.characterPt},
        std::pair{QStringLiteral("reading-size"), &handout.style.readingPt}}) {
    if (!command.IsSet(option)) continue;
    bool ok = false;
    const QString text = command.Value(option);
    const double value = text.toDouble(&ok);
    // Below 4 points nothing can be read; above 200 not one character fits a line.
    if (!ok || value < 4 || value > 200) {
      return QStringLiteral("--%1 takes 4 to 200 points, not %2").arg(option, text);
    }
    *pt = value;
  }
  return {};
}

// Says once why the readings are not chosen by the metre.
void WarnMetre(const Invocation& command, const metre::MetreSources& sources) {
  if (sources.Problem().isEmpty()) return;
  command.Warn(
      QStringLiteral("%1; the readings are not chosen by the metre").arg(sources.Problem()));
}

// Says what went wrong with the phrase files, once each.
void WarnPhrases(const Invocation& command, const LoadedPhrases& phrases) {
  for (const QString& problem : phrases.problems) command.Warn(problem);
}

// The lines --explain adds after a romanised line: one for each character whose first reading a
// chooser chose, TAB, its place in the line (from 1), TAB, the character, TAB, the reading as the
// line writes it, TAB, why.
void AppendExplanations(QByteArray& out, const QString& line, const QStringList& first,
                        const QStringList& why) {
  qsizetype k = 0;
  for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos), ++k) {
    const QString& reason = why.value(k);
    if (reason.isEmpty() || first.value(k).isEmpty()) continue;
    out += QStringLiteral("\t%1\t%2\t%3\t%4\n")
               .arg(k + 1)
               .arg(line.mid(pos, CharacterLength(line, pos)), first[k], reason)
               .toUtf8();
  }
}

// Copies a file to standard output a piece at a time.
void CopyOut(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw CannotOpenFileError(path, file.errorString());
  while (!file.atEnd()) {
    const QByteArray piece = file.read(256 * 1024);
    if (piece.isEmpty() && file.error() != QFileDevice::NoError) {
      throw CannotOpenFileError(path, file.errorString());
    }
    WriteOut(piece);
  }
}

// Writes the handout of the input as it is read: each line goes through the metre's chooser and
// out into the document, so that memory does not grow with the input. HTML goes to standard
// output as it comes, once the last position the --choose file names has passed (until then a
// wrong choice can still stop the handout before anything is written); the OpenDocument archive
// is made in a temporary folder and copied out whole. Returns the exit status.
int WriteHandout(const Invocation& command, Utf8LineReader& reader, const HandoutArgs& handout,
                 const ConversionOptions& options, ClassReadingSource& source,
                 metre::MetreSources& metreSources, PhraseChooser& phrases) {
  std::vector<ReadingChoiceLine> choiceLines;
  if (!handout.choose.isEmpty()) {
    QString text;
    QString error;
    if (!ReadTextInput(handout.choose, text, error) ||
        !ParseReadingChoices(text, choiceLines, error)) {
      return command.Fail(QStringLiteral("%1: %2").arg(handout.choose, error));
    }
  }
  RubyTextOptions textOptions;
  textOptions.conversion = options;
  textOptions.title = handout.title;
  textOptions.author = handout.author;
  RubyTextBuilder builder(textOptions, source);
  const ReadingChoices chosen = ChoicesOf(choiceLines);
  ReadingChoiceCheck check(choiceLines);

  QByteArray out;
  bool flowing = false;  // the choices are checked: HTML may go out
  RubyHtmlWriter html(handout.style, [&](const QString& part) {
    out += part.toUtf8();
    if (flowing && out.size() >= 64 * 1024) {
      WriteOut(out);
      out.clear();
    }
  });
  std::optional<RubyOdtWriter> odt;
  if (handout.form == HandoutArgs::Form::Odt) odt.emplace(handout.style);

  QString fault;
  MetreChooser chooser(metreSources, &phrases);
  ConversionStream stream({&chooser, &phrases}, [&](const QString& line, const QStringList& first) {
    if (!fault.isEmpty()) return;
    const RubyLine ruby = builder.Line(line, chosen, {}, first);
    if (!flowing) {
      check.AddLine(ruby);
      if (check.Passed()) {
        fault = check.Fault();
        flowing = fault.isEmpty();
      }
    }
    if (odt) {
      odt->AddLine(ruby);
    } else {
      html.AddLine(ruby);
    }
  });
  QString line;
  while (fault.isEmpty() && reader.Next(line)) stream.AddLine(line);
  if (fault.isEmpty()) stream.Finish();
  if (!reader.Error().isEmpty()) {
    if (flowing && !odt) WriteOut(out);
    return command.Fail(reader.Error());
  }
  if (fault.isEmpty() && !flowing) fault = check.Fault();
  WarnMetre(command, metreSources);
  if (!fault.isEmpty()) return command.Fail(QStringLiteral("%1: %2").arg(handout.choose, fault));
  if (odt) {
    QTemporaryDir dir;
    if (!dir.isValid()) throw CannotCreateFileError(dir.path(), dir.errorString());
    const QString path = dir.filePath(QStringLiteral("handout.odt"));
    odt->Finish(path);
    CopyOut(path);
  } else {
    html.Finish();
    WriteOut(out);
  }
  return 0;
}

int Romanize(const Invocation& command) {
  ConversionOptions options;
  options.ancient = command.IsSet(QStringLiteral("ancient"));
  options.colloquial = command.IsSet(QStringLiteral("colloquial"));
  options.classMarks = !command.IsSet(QStringLiteral("no-class-marks"));
  options.separator = !command.IsSet(QStringLiteral("no-separator"));
  const bool toneMarks = command.IsSet(QStringLiteral("tone-marks"));
  const bool explain = command.IsSet(QStringLiteral("explain"));
  HandoutArgs handout;
  if (const QString problem = ReadHandoutArgs(command, handout); !problem.isEmpty()) {
    return command.UsageError(problem);
  }
  if (explain && handout.form != HandoutArgs::Form::None) {
    return command.UsageError(QStringLiteral("--explain goes with the lines, not a handout"));
  }
  const QString path = command.Arguments().value(0);
  QFile input;
  if (!OpenTextInput(input, path)) {
    return command.Fail(QStringLiteral("cannot read %1: %2").arg(path, input.errorString()));
  }

  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  // Line by line: each line and its romanised line are written before the next is read, so
  // memory stays the same whatever the length of the input.
  Utf8LineReader reader(input);
  QByteArray out;
  try {
    const QString name = QStringLiteral("FDQuerySQLRavlekTable");
    TFDQuery query(connection, name, DatasetStatement(name));
    DatasetClassReadingSource dataset(query);
    metre::MetreSources metreSources(command.AppDir(), dataset);
    const LoadedPhrases phraseFiles = ProcessPhrases(command.AppDir());
    WarnPhrases(command, phraseFiles);
    // The 廣韻 entries are looked up only for the reasons, one character at a time.
    PhraseChooser phrases(*phraseFiles.table, metreSources,
                          CachedReadingFanqie(connection.Database()));
    if (handout.form != HandoutArgs::Form::None) {
      return WriteHandout(command, reader, handout, options, dataset, metreSources, phrases);
    }
    ToneMarkedReadingSource toneMarked(dataset);
    ClassReadingSource& source = toneMarks ? static_cast<ClassReadingSource&>(toneMarked) : dataset;
    Romanizer romanizer(source, options);
    QStringEncoder utf8(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    // Encoded straight onto the end of the buffer: no text is made for a line on its way out.
    const auto append = [&out, &utf8](QStringView text) {
      const qsizetype size = out.size();
      out.resize(size + utf8.requiredSpace(text.size()) + 1);
      char* end = utf8.appendToBuffer(out.data() + size, text);
      *end++ = '\n';
      out.truncate(end - out.constData());
    };
    const auto write = [&out, &append, explain](const QString& line, const QString& romanised,
                                                const QStringList& first, const QStringList& why) {
      append(line);
      append(romanised);
      if (explain) AppendExplanations(out, line, first, why);
      if (out.size() >= 64 * 1024) {
        WriteOut(out);
        out.clear();
      }
    };
    // Through the one conversion path: a poem's lines wait while it may still be a regulated
    // poem, whose metre puts a reading first; any other line is written at once. The metre
    // decides first (conversion.h says why), the phrases after it.
    MetreChooser metre(metreSources, &phrases);
    ShownReadingChooser markedMetre(metre, &ToneMarkedTaiLo);
    ShownReadingChooser markedPhrases(phrases, &ToneMarkedTaiLo);
    std::vector<ReadingChooser*> choosers =
        toneMarks ? std::vector<ReadingChooser*>{&markedMetre, &markedPhrases}
                  : std::vector<ReadingChooser*>{&metre, &phrases};
    QString line;
    if (explain) {
      RomanizeStream stream(romanizer, std::move(choosers), RomanizeStream::ExplainedLineFn(write));
      while (reader.Next(line)) stream.AddLine(line);
      stream.Finish();
    } else {
      RomanizeStream stream(
          romanizer, std::move(choosers),
          RomanizeStream::LineFn([&write](const QString& text, const QString& romanised) {
            write(text, romanised, {}, {});
          }));
      while (reader.Next(line)) stream.AddLine(line);
      stream.Finish();
    }
    WarnMetre(command, metreSources);
  } catch (const Error& error) {
    WriteOut(out);
    return command.Fail(error.message());
  }
  WriteOut(out);
  if (!reader.Error().isEmpty()) return command.Fail(reader.Error());
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("romanize");
  spec.summary = QStringLiteral(
      "A text with the readings of its characters, line by line, or as a "
      "handout to print.");
  spec.about = QStringLiteral(
      "Transcribes FILE, or standard input, as the conversion page does: each line, then its "
      "line\nof readings grouped by class: \u901a, (\u6587 ...), {\u4eca ...}, [\u53e4 ...], "
      "<\u767d ...>.\nIn a regulated poem (poems separated by an empty line, or ended where the "
      "shape changes)\nthe reading whose tone its place needs comes first in its group, and a "
      "handout writes it\nunless --choose chooses another. Elsewhere, and among readings of the "
      "tone a place needs,\nthe reading the longest phrase around a character names comes first "
      "(our reviewed\nclassical readings, then terra-pinyin's phrases).");
  spec.options = {
      {{QStringLiteral("ancient")}, {}, QStringLiteral("also the ancient readings (\u53e4)")},
      {{QStringLiteral("colloquial")}, {}, QStringLiteral("also the colloquial readings (\u767d)")},
      {{QStringLiteral("no-class-marks")},
       {},
       QStringLiteral("groups told apart by their brackets only")},
      {{QStringLiteral("no-separator")}, {}, QStringLiteral("no ' \u3002 ' after each character")},
      {{QStringLiteral("tone-marks")},
       {},
       QStringLiteral("readings with tone marks (ts\u00e0n) instead of tone digits (tsan3)")},
      {{QStringLiteral("explain")},
       {},
       QStringLiteral(
           "after each line of readings, one line for each character whose first reading a "
           "phrase or the metre chose: TAB, its place in the line, TAB, the character, TAB, the "
           "reading, TAB, why (\u5feb\u6a02 \u2192 \u6a02 l\u00e8 \u2192 "
           "\u76e7\u5404\u5207 \u2192 lo\u030dk)")},
      {{QStringLiteral("html")},
       {},
       QStringLiteral(
           "a handout instead, as a standalone HTML document that prints on A4: each "
           "character in a cell of its line's width, one reading centred above it in <ruby> "
           "(the first of the first class that has one: \u901a, \u6587, \u4eca, then "
           "\u53e4 and \u767d when asked, or the metre's), all its readings in its title")},
      {{QStringLiteral("odt")},
       {},
       QStringLiteral("the handout as an OpenDocument text with real ruby, to edit")},
      {{QStringLiteral("numeric")},
       {},
       QStringLiteral("(handouts) readings in tone digits; tone marks without it")},
      {{QStringLiteral("character-size")},
       QStringLiteral("PT"),
       QStringLiteral("(handouts) the characters' size in points, default 20")},
      {{QStringLiteral("reading-size")},
       QStringLiteral("PT"),
       QStringLiteral("(handouts) the readings' size in points, default 10")},
      {{QStringLiteral("title")}, {}, QStringLiteral("(handouts) the first line is the title")},
      {{QStringLiteral("author")},
       {},
       QStringLiteral("(handouts) the next line (after the title) names the author")},
      {{QStringLiteral("choose")},
       QStringLiteral("FILE"),
       QStringLiteral("(handouts) the readings to write: lines of "
                      "position<TAB>character<TAB>reading, the position counted in "
                      "characters of the input from 1, each line end counting one")},
  };
  spec.arguments = {
      {QStringLiteral("FILE"), QStringLiteral("the text; standard input when left out or -")}};
  spec.run = &Romanize;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
