// ravlek-cli upgrade: upgrades a dictionary (SQLite or PostgreSQL) to a new release, keeping the
// notes the user changed.

#include <QFileInfo>

#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dictionary_upgrade.h"

namespace ravlek::cli {
namespace {

int Upgrade(const Invocation& command) {
  const QString releaseOption = QStringLiteral("release");
  const QString fromOption = QStringLiteral("from");
  if (command.IsSet(releaseOption) == command.IsSet(fromOption)) {
    return command.UsageError(QStringLiteral("one of --release and --from is needed"));
  }
  const ShippedDictionary shipped = command.IsSet(releaseOption)
                                        ? ReadShippedRelease(command.Value(releaseOption))
                                        : ReadShippedDatabase(command.Value(fromOption));
  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  // The notes whose reading is gone go beside the database file, or into the application folder
  // whose settings name a server's database.
  const QString folder = !command.Where().dbFile.isEmpty()
                             ? QFileInfo(command.Where().dbFile).absolutePath()
                             : command.AppDir();
  QSqlDatabase db = connection.Database();
  const DictionaryUpgradeReport report = UpgradeDictionary(db, shipped, folder);
  WriteOut((report.message + u'\n').toUtf8());
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("upgrade");
  spec.summary =
      QStringLiteral("Upgrades the dictionary to a new release, keeping the notes you changed.");
  spec.about = QStringLiteral(
      "The new release's rows take the place of the dictionary's; a note (Phone_desc, Desc) you\n"
      "changed stays over the new text, one left as shipped takes the new text. Notes whose\n"
      "reading the release no longer has are written to Ravlek-notes-TIME.tsv beside the\n"
      "database (in the format of import). All of it is one transaction: the dictionary is\n"
      "upgraded whole or not at all. Works on the dictionary --db or --app-dir names (SQLite or\n"
      "PostgreSQL).");
  spec.options = {
      {{QStringLiteral("release")},
       QStringLiteral("FOLDER"),
       QStringLiteral("the release's TSV files: RavlekTable.tsv (and RavlekTable.*.tsv), "
                      "BaseWords.tsv, BaseWordsPlus.tsv"),
       OptionSpec::Use::OneOf},
      {{QStringLiteral("from")},
       QStringLiteral("DBFILE"),
       QStringLiteral("a shipped SQLite dictionary (the installed package's Ravlek.db)"),
       OptionSpec::Use::OneOf}};
  spec.run = &Upgrade;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
