// ravlek-cli metre: the 格律 check of each poem of the input (poems separated by an empty line),
// for people or as TSV.

#include <QFile>

#include "base/error.h"
#include "base/text_input.h"
#include "cli.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "metre/character_readings.h"
#include "metre/metre_check.h"
#include "metre/metre_report.h"
#include "metre/pingshui_table.h"
#include "metre/poem_splitter.h"

namespace ravlek::cli {
namespace {

int Metre(const Invocation& command) {
  const bool tsv = command.IsSet(QStringLiteral("tsv"));
  const QString path = command.Arguments().value(0);
  QFile input;
  if (!OpenTextInput(input, path)) {
    return command.Fail(QStringLiteral("cannot read %1: %2").arg(path, input.errorString()));
  }

  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  QByteArray out;
  Utf8LineReader reader(input);
  try {
    const metre::PingshuiTable table = metre::PingshuiTable::FromAppFolder(command.AppDir());
    const QString name = QStringLiteral("FDQuerySQLRavlekTable");
    TFDQuery query(connection, name, DatasetStatement(name));
    DatasetClassReadingSource source(query);
    const metre::CharacterReadings readings = metre::CharacterReadings::FromSource(source);

    // Poem by poem: each is written before the next is read.
    int number = 0;
    metre::PoemSplitter splitter(
        [&](metre::PoemSplitter::Kind kind, metre::PoemLines&& poem) {
          if (kind != metre::PoemSplitter::Kind::Poem) return;
          const metre::PoemCheck check = metre::CheckPoem(poem, table, &readings);
          ++number;
          out +=
              (tsv ? metre::MetreTsv(check, number) : metre::MetrePlainText(check, number) + u'\n')
                  .toUtf8();
          if (out.size() >= 64 * 1024) {
            WriteOut(out);
            out.clear();
          }
        },
        true);
    QString line;
    while (reader.Next(line)) splitter.AddLine(line);
    splitter.Finish();
  } catch (const Error& error) {
    WriteOut(out);
    return command.Fail(error.message());
  }
  WriteOut(out);
  if (!reader.Error().isEmpty()) {
    return command.Fail(reader.Error());
  }
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("metre");
  spec.summary = QStringLiteral(
      "The \u683c\u5f8b check of regulated verse: tones, rhyme, form and faults of each poem.");
  spec.about = QStringLiteral(
      "Checks the poems of FILE, or standard input, against the 106 Pingshui rhyme groups, with\n"
      "the readings whose tones their places need. Poems are separated by an empty line; "
      "without\n"
      "one, a poem of the regulated shape ends before a line that does not fit it (\u53e5 of "
      "another\nlength, a title, prose), and the plain form says so. Text whose \u53e5 share no "
      "length is\n\u975e\u8a69 (not verse) and is not checked.");
  spec.options = {
      {{QStringLiteral("tsv")},
       {},
       QStringLiteral(
           "for scripts: per \u53e5 N, K, text, tones (\u5e73/\u4ec4/\u4e2d per "
           "character), rhyme group at a rhyme position, readings (- for none); per poem "
           "'# poem', N, form, rhyme group, faults (comma-separated, \u5408\u5f8b when "
           "none, empty for \u53e4\u9ad4 and \u975e\u8a69)")}};
  spec.arguments = {
      {QStringLiteral("FILE"), QStringLiteral("the poems; standard input when left out or -")}};
  spec.run = &Metre;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
