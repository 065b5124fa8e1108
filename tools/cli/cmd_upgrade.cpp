// ravlek-cli upgrade: upgrades a dictionary (SQLite or PostgreSQL) to a new release, keeping the
// notes the user changed.

#include <QDir>
#include <QFileInfo>

#include "base/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dictionary_upgrade.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage = "upgrade --release FOLDER | --from DBFILE";

int Usage(const QString& problem) {
  return CommandUsageError(QStringLiteral("upgrade"), problem);
}

int Upgrade(const Globals& globals, const QStringList& args) {
  const QCommandLineOption releaseOption(QStringLiteral("release"), QString(),
                                         QStringLiteral("FOLDER"));
  const QCommandLineOption fromOption(QStringLiteral("from"), QString(), QStringLiteral("DBFILE"));
  QCommandLineParser parser;
  if (const auto end =
          ParseCommandLine(parser, QStringLiteral("upgrade"), {releaseOption, fromOption}, args)) {
    return *end;
  }
  if (parser.isSet(releaseOption) == parser.isSet(fromOption)) {
    return Usage(QStringLiteral("one of --release and --from is needed"));
  }
  const ShippedDictionary shipped = parser.isSet(releaseOption)
                                        ? ReadShippedRelease(parser.value(releaseOption))
                                        : ReadShippedDatabase(parser.value(fromOption));
  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  // The notes whose reading is gone go beside the database file, or into the application folder
  // whose settings name a server's database.
  const QString folder = !globals.dbFile.isEmpty()
                             ? QFileInfo(globals.dbFile).absolutePath()
                             : (globals.appDir.isEmpty() ? DefaultAppDir() : globals.appDir);
  QSqlDatabase db = connection.Database();
  const DictionaryUpgradeReport report = UpgradeDictionary(db, shipped, folder);
  WriteOut((report.message + u'\n').toUtf8());
  return 0;
}

constexpr const char* kHelp =
    "Upgrades the dictionary to a new release, keeping the notes you changed.\n"
    "The new release's rows take the place of the dictionary's; a note (Phone_desc, Desc) you\n"
    "changed stays over the new text, one left as shipped takes the new text. Notes whose\n"
    "reading the release no longer has are written to Ravlek-notes-TIME.tsv beside the\n"
    "database (in the format of import). All of it is one transaction: the dictionary is\n"
    "upgraded whole or not at all. Works on the dictionary --db or --app-dir names (SQLite or\n"
    "PostgreSQL).\n"
    "\n"
    "  --release FOLDER  the release's TSV files: RavlekTable.tsv (and RavlekTable.*.tsv),\n"
    "                    BaseWords.tsv, BaseWordsPlus.tsv\n"
    "  --from DBFILE     a shipped SQLite dictionary (the installed package's Ravlek.db)";

const CommandRegistration registration("upgrade", kUsage, &Upgrade, kHelp);

}  // namespace
}  // namespace ravlek::cli
