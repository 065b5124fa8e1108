// ravlek-cli metre: the 格律 check of each poem of the input (poems separated by an empty line),
// for people or as TSV.

#include <QFile>

#include "base/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "metre/character_readings.h"
#include "metre/metre_check.h"
#include "metre/metre_report.h"
#include "metre/pingshui_table.h"
#include "romanize/class_readings.h"
#include "romanize/text_input.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage = "metre [--tsv] [FILE]";

constexpr const char* kHelp =
    "The \u683c\u5f8b check of regulated verse: tones, rhyme, form and faults of each poem.\n"
    "Checks the poems of FILE, or standard input, separated by an empty line, against the 106\n"
    "Pingshui rhyme groups, with the readings whose tones their places need.\n"
    "\n"
    "  --tsv  for scripts: per \u53e5 N, K, text, tones (\u5e73/\u4ec4/\u4e2d per character), "
    "rhyme group\n"
    "         at a rhyme position, readings (- for none); per poem '# poem', N, form, rhyme\n"
    "         group, faults (comma-separated, \u5408\u5f8b when none, empty for "
    "\u53e4\u9ad4)";

int Metre(const Globals& globals, const QStringList& args) {
  const QCommandLineOption tsvOption(QStringLiteral("tsv"));
  QCommandLineParser parser;
  if (const auto end = ParseCommandLine(parser, QStringLiteral("metre"), {tsvOption}, args, 1)) {
    return *end;
  }
  const bool tsv = parser.isSet(tsvOption);
  const QString path = parser.positionalArguments().value(0);
  QFile input;
  if (!OpenTextInput(input, path)) {
    WriteErr(QStringLiteral("ravlek-cli metre: cannot read %1: %2").arg(path, input.errorString()));
    return 1;
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  QByteArray out;
  Utf8LineReader reader(input);
  try {
    const metre::PingshuiTable table = metre::PingshuiTable::FromAppFolder(
        globals.appDir.isEmpty() ? DefaultAppDir() : globals.appDir);
    const QString name = QStringLiteral("FDQuerySQLRavlekTable");
    TFDQuery query(connection, name, DatasetStatement(name));
    DatasetClassReadingSource source(query);
    const metre::CharacterReadings readings = metre::CharacterReadings::FromSource(source);

    // Poem by poem: each is written before the next is read.
    int number = 0;
    QStringList poem;
    auto flush = [&] {
      if (poem.isEmpty()) return;
      const metre::PoemCheck check = metre::CheckPoem(poem, table, &readings);
      ++number;
      out += (tsv ? metre::MetreTsv(check, number) : metre::MetrePlainText(check, number) + u'\n')
                 .toUtf8();
      poem.clear();
      if (out.size() >= 64 * 1024) {
        WriteOut(out);
        out.clear();
      }
    };
    QString line;
    while (reader.Next(line)) {
      if (line.trimmed().isEmpty()) {
        flush();
      } else {
        poem.append(line);
      }
    }
    flush();
  } catch (const Error& error) {
    WriteOut(out);
    WriteErr(QStringLiteral("ravlek-cli metre: ") + error.message());
    return 1;
  }
  WriteOut(out);
  if (!reader.Error().isEmpty()) {
    WriteErr(QStringLiteral("ravlek-cli metre: ") + reader.Error());
    return 1;
  }
  return 0;
}

const CommandRegistration registration("metre", kUsage, &Metre, kHelp);

}  // namespace
}  // namespace ravlek::cli
