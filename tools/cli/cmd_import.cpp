// ravlek-cli import: loads a dictionary table from tab-separated text into a SQLite file.

#include <QFile>

#include "base/error.h"
#include "cli.h"
#include "dictionary/dictionary_tsv.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage =
    "import --table RavlekTable|BaseWords|BaseWordsPlus --tsv FILE --to DBFILE [--replace]";

int Usage(const QString& problem) {
  WriteErr(QStringLiteral("ravlek-cli import: ") + problem);
  return CommandUsageError(kUsage);
}

int Import(const Globals& globals, const QStringList& args) {
  if (!globals.appDir.isEmpty() || !globals.dbFile.isEmpty()) {
    return Usage(QStringLiteral("the database is given with --to"));
  }
  QString table;
  QString tsvPath;
  QString database;
  bool replace = false;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& option = args[i];
    if (option == QLatin1String("--replace")) {
      replace = true;
      continue;
    }
    QString* target = option == QLatin1String("--table") ? &table
                      : option == QLatin1String("--tsv") ? &tsvPath
                      : option == QLatin1String("--to")  ? &database
                                                         : nullptr;
    if (!target) return Usage(QStringLiteral("unknown argument %1").arg(option));
    if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a value").arg(option));
    if (!target->isNull()) return Usage(QStringLiteral("%1 given twice").arg(option));
    *target = args[++i];
  }
  if (table.isNull() || tsvPath.isNull() || database.isNull()) {
    return Usage(QStringLiteral("--table, --tsv and --to are needed"));
  }
  if (!DictionaryTables().contains(table)) {
    return Usage(QStringLiteral("unknown table %1").arg(table));
  }
  QFile file(tsvPath);
  if (!file.open(QIODevice::ReadOnly)) throw CannotOpenFileError(tsvPath, file.errorString());
  // Each row is written as it is read, inside one transaction: nothing stays written unless
  // every line is right.
  ImportDictionaryTsvStream(file, tsvPath, table, database, replace);
  return 0;
}

constexpr const char* kHelp =
    "Loads a dictionary table from tab-separated text into a SQLite file.\n"
    "Reads the format export writes (a byte-order mark and CR LF line ends are accepted) and\n"
    "checks every line before anything is written.\n"
    "\n"
    "  --table NAME  RavlekTable, BaseWords or BaseWordsPlus\n"
    "  --tsv FILE    the text to load\n"
    "  --to DBFILE   the SQLite file; made when missing\n"
    "  --replace     the loaded rows take the place of the table's rows (else they follow them)";

const CommandRegistration registration("import", kUsage, &Import, kHelp);

}  // namespace
}  // namespace ravlek::cli
