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
  return CommandUsageError(QStringLiteral("import"), problem);
}

int Import(const Globals& globals, const QStringList& args) {
  const QCommandLineOption tableOption(QStringLiteral("table"), QString(), QStringLiteral("NAME"));
  const QCommandLineOption tsvOption(QStringLiteral("tsv"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption toOption(QStringLiteral("to"), QString(), QStringLiteral("DBFILE"));
  const QCommandLineOption replaceOption(QStringLiteral("replace"));
  QCommandLineParser parser;
  if (const auto end = ParseCommandLine(parser, QStringLiteral("import"),
                                        {tableOption, tsvOption, toOption, replaceOption}, args)) {
    return *end;
  }
  if (!globals.appDir.isEmpty() || !globals.dbFile.isEmpty()) {
    return Usage(QStringLiteral("the database is given with --to"));
  }
  const QString table = parser.isSet(tableOption) ? parser.value(tableOption) : QString();
  const QString tsvPath = parser.isSet(tsvOption) ? parser.value(tsvOption) : QString();
  const QString database = parser.isSet(toOption) ? parser.value(toOption) : QString();
  const bool replace = parser.isSet(replaceOption);
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
