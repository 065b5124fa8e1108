// ravlek-cli lookup: the rows the lookup page shows for a character, romanisation or rhyme input.

#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/filter_sql.h"
#include "dictionary/lookup_filters.h"
#include "tsv.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage = "lookup --char TEXT | --spell TEXT [--class TEXT] | --rhyme TEXT";

int Usage(const QString& problem) {
  return CommandUsageError(QStringLiteral("lookup"), problem);
}

int Lookup(const Globals& globals, const QStringList& args) {
  // Each option takes the next argument as its text, whatever it holds (empty, a blank or a dash
  // in front, quotes).
  const QCommandLineOption charOption(QStringLiteral("char"), QString(), QStringLiteral("TEXT"));
  const QCommandLineOption spellOption(QStringLiteral("spell"), QString(), QStringLiteral("TEXT"));
  const QCommandLineOption classOption(QStringLiteral("class"), QString(), QStringLiteral("TEXT"));
  const QCommandLineOption rhymeOption(QStringLiteral("rhyme"), QString(), QStringLiteral("TEXT"));
  QCommandLineParser parser;
  if (const auto end =
          ParseCommandLine(parser, QStringLiteral("lookup"),
                           {charOption, spellOption, classOption, rhymeOption}, args)) {
    return *end;
  }
  const int searches = int(parser.isSet(charOption)) + int(parser.isSet(spellOption)) +
                       int(parser.isSet(rhymeOption));
  if (searches != 1) return Usage(QStringLiteral("give one of --char, --spell or --rhyme"));
  if (parser.isSet(classOption) && !parser.isSet(spellOption)) {
    return Usage(QStringLiteral("--class goes with --spell"));
  }

  QString filter;
  if (parser.isSet(charOption)) {
    filter = CharacterFilter(parser.value(charOption));
  } else if (parser.isSet(spellOption)) {
    filter =
        SpellFilter(SpellSearchText(parser.value(spellOption)),
                    parser.isSet(classOption) ? parser.value(classOption) : QStringLiteral("全"));
  } else {
    const QString rhyme = parser.value(rhymeOption);
    if (!NamesARhyme(rhyme)) return Usage(QStringLiteral("%1 is no Pingshui rhyme").arg(rhyme));
    filter = RhymeFilter(rhyme);
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  const QString name = QStringLiteral("FDQueryRavlekTable");
  TFDQuery dataset(connection, name, DatasetStatement(name));
  // The database answers what it can: only the passing rows are read.
  OpenFiltered(dataset, filter);
  WriteOut(DatasetAsTsv(dataset, LookupGridFields()).toUtf8());
  return 0;
}

constexpr const char* kHelp =
    "The rows the lookup page shows for a character, a romanisation or a rhyme, as TSV.\n"
    "A header line with the field names, then one line per row (a tab, CR, LF or backslash inside "
    "a value written as \\t, \\r,\n"
    "\\n, \\\\).\n"
    "\n"
    "  --char TEXT    readings of the characters whose HanWord begins with TEXT\n"
    "  --spell TEXT   readings beginning with the romanisation TEXT, or ending with it when it\n"
    "                 ends in '*' (an1*); Tai-lo with tone marks (ts\u00e0n) and POJ spellings\n"
    "                 (chan3, chhun) are read as numeric Tai-lo (tsan3, tshun)\n"
    "  --class TEXT   with --spell: \u767d or \u6587 keeps the readings of that class and \u901a\n"
    "  --rhyme TEXT   rows whose Pingshui rhyme begins with TEXT (\u4e0a\u5e73\u5341)";

const CommandRegistration registration("lookup", kUsage, &Lookup, kHelp);

}  // namespace
}  // namespace ravlek::cli
