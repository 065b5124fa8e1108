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

int Lookup(const Invocation& command) {
  // Each option takes the next argument as its text, whatever it holds (empty, a blank or a dash
  // in front, quotes).
  const QString charOption = QStringLiteral("char");
  const QString spellOption = QStringLiteral("spell");
  const QString classOption = QStringLiteral("class");
  const QString rhymeOption = QStringLiteral("rhyme");
  const int searches = int(command.IsSet(charOption)) + int(command.IsSet(spellOption)) +
                       int(command.IsSet(rhymeOption));
  if (searches != 1)
    return command.UsageError(QStringLiteral("give one of --char, --spell or --rhyme"));
  if (command.IsSet(classOption) && !command.IsSet(spellOption)) {
    return command.UsageError(QStringLiteral("--class goes with --spell"));
  }

  QString filter;
  if (command.IsSet(charOption)) {
    filter = CharacterFilter(command.Value(charOption));
  } else if (command.IsSet(spellOption)) {
    filter =
        SpellFilter(SpellSearchText(command.Value(spellOption)),
                    command.IsSet(classOption) ? command.Value(classOption) : QStringLiteral("全"));
  } else {
    const QString rhyme = command.Value(rhymeOption);
    if (!NamesARhyme(rhyme))
      return command.UsageError(QStringLiteral("%1 is no Pingshui rhyme").arg(rhyme));
    filter = RhymeFilter(rhyme);
  }

  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  const QString name = QStringLiteral("FDQueryRavlekTable");
  TFDQuery dataset(connection, name, DatasetStatement(name));
  // SQLite answers what it can: only the passing rows are read.
  OpenFiltered(dataset, filter);
  WriteOut(DatasetAsTsv(dataset, LookupGridFields()).toUtf8());
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("lookup");
  spec.summary = QStringLiteral(
      "The rows the lookup page shows for a character, a romanisation or a rhyme, as TSV.");
  spec.about = QStringLiteral(
      "A header line with the field names, then one line per row (a tab, "
      "CR, LF or backslash inside a value\nwritten as \\t, \\r, \\n, "
      "\\\\).");
  spec.options = {
      {{QStringLiteral("char")},
       QStringLiteral("TEXT"),
       QStringLiteral("readings of the characters whose HanWord begins with TEXT"),
       OptionSpec::Use::OneOf},
      {{QStringLiteral("spell")},
       QStringLiteral("TEXT"),
       QStringLiteral("readings beginning with the romanisation TEXT, or ending with it "
                      "when it ends in '*' (an1*); Tai-lo with tone marks (ts\u00e0n) and "
                      "POJ spellings (chan3, chhun) are read as numeric Tai-lo (tsan3, "
                      "tshun)"),
       OptionSpec::Use::OneOf},
      {{QStringLiteral("rhyme")},
       QStringLiteral("TEXT"),
       QStringLiteral("rows whose Pingshui rhyme begins with TEXT "
                      "(\u4e0a\u5e73\u5341)"),
       OptionSpec::Use::OneOf},
      {{QStringLiteral("class")},
       QStringLiteral("TEXT"),
       QStringLiteral("with --spell: \u767d or \u6587 keeps the readings of that class "
                      "and \u901a")},
  };
  spec.run = &Lookup;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
