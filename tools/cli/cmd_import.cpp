// ravlek-cli import: loads a dictionary table from tab-separated text into a SQLite file.

#include <QFile>

#include "base/error.h"
#include "cli.h"
#include "dictionary/dictionary_tsv.h"

namespace ravlek::cli {
namespace {

int Import(const Invocation& command) {
  const QString tableOption = QStringLiteral("table");
  const QString tsvOption = QStringLiteral("tsv");
  const QString table = command.IsSet(tableOption) ? command.Value(tableOption) : QString();
  const QString tsvPath = command.IsSet(tsvOption) ? command.Value(tsvOption) : QString();
  const QString database = command.Where().dbFile;
  const bool replace = command.IsSet(QStringLiteral("replace"));
  if (table.isNull() || tsvPath.isNull() || database.isEmpty()) {
    return command.UsageError(QStringLiteral("--table, --tsv and --db (or --to) are needed"));
  }
  if (!DictionaryTables().contains(table)) {
    return command.UsageError(QStringLiteral("unknown table %1").arg(table));
  }
  QFile file(tsvPath);
  if (!file.open(QIODevice::ReadOnly)) throw CannotOpenFileError(tsvPath, file.errorString());
  // Each row is written as it is read, inside one transaction: nothing stays written unless
  // every line is right.
  ImportDictionaryTsvStream(file, tsvPath, table, database, replace);
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("import");
  spec.summary =
      QStringLiteral("Loads a dictionary table from tab-separated text into a SQLite file.");
  spec.about = QStringLiteral(
      "Reads the format export writes (a byte-order mark and CR LF line ends are accepted) and\n"
      "checks every line before anything is written. The file is named with --db, before or\n"
      "after the command name, or with --to.");
  spec.options = {
      {{QStringLiteral("table")},
       QStringLiteral("NAME"),
       QStringLiteral("RavlekTable, BaseWords or BaseWordsPlus"),
       OptionSpec::Use::Required},
      {{QStringLiteral("tsv")},
       QStringLiteral("FILE"),
       QStringLiteral("the text to load"),
       OptionSpec::Use::Required},
      {{QStringLiteral("replace")},
       {},
       QStringLiteral("the loaded rows take the place of the table's rows (else they follow "
                      "them)")},
  };
  spec.dictionary = DictionaryUse::Writes;
  spec.databaseAliases = {QStringLiteral("to")};
  spec.run = &Import;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
