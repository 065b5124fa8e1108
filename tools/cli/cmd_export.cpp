// ravlek-cli export: a dictionary table as tab-separated text, the format import reads.

#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/dictionary_tsv.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage =
    "export --table RavlekTable|BaseWords|BaseWordsPlus [--db FILE | --app-dir DIR]";

int Usage(const QString& problem) {
  return CommandUsageError(QStringLiteral("export"), problem);
}

int Export(const Globals& globals, const QStringList& args) {
  const QCommandLineOption tableOption(QStringLiteral("table"), QString(), QStringLiteral("NAME"));
  const QCommandLineOption dbOption(QStringLiteral("db"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption appDirOption(QStringLiteral("app-dir"), QString(),
                                        QStringLiteral("DIR"));
  QCommandLineParser parser;
  if (const auto end = ParseCommandLine(parser, QStringLiteral("export"),
                                        {tableOption, dbOption, appDirOption}, args)) {
    return *end;
  }
  // The database may be named before the command, as for every command, or after it.
  Globals where = globals;
  for (const auto& [option, target] :
       {std::pair{&dbOption, &where.dbFile}, std::pair{&appDirOption, &where.appDir}}) {
    if (!parser.isSet(*option)) continue;
    if (!target->isEmpty()) {
      return Usage(QStringLiteral("--%1 given twice").arg(option->names().first()));
    }
    *target = parser.value(*option);
  }
  const QString table = parser.value(tableOption);
  if (table.isEmpty()) return Usage(QStringLiteral("--table is missing"));
  if (!DictionaryTables().contains(table)) {
    return Usage(QStringLiteral("unknown table %1").arg(table));
  }
  if (!where.appDir.isEmpty() && !where.dbFile.isEmpty()) {
    return Usage(QStringLiteral("give either --app-dir or --db, not both"));
  }

  TFDConnection connection;
  if (!OpenDictionary(where, connection)) return 1;
  TFDQuery dataset(connection, table, QStringLiteral("select * from ") + table);
  dataset.Open();
  WriteDatasetTsv(dataset, [](const QByteArray& bytes) { WriteOut(bytes); });
  return 0;
}

constexpr const char* kHelp =
    "A dictionary table as tab-separated text, the format import reads.\n"
    "The first line names the fields; then one row per line in the table's order. Inside a\n"
    "value a tab, LF, CR and backslash are written \\t, \\n, \\r, \\\\; a null value is \\N.\n"
    "\n"
    "  --table NAME     RavlekTable, BaseWords or BaseWordsPlus\n"
    "  --db FILE        the SQLite dictionary (also before the command)\n"
    "  --app-dir DIR    the application folder (also before the command)";

const CommandRegistration registration("export", kUsage, &Export, kHelp);

}  // namespace
}  // namespace ravlek::cli
