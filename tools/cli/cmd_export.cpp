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
  WriteErr(QStringLiteral("ravlek-cli export: ") + problem);
  return CommandUsageError(kUsage);
}

int Export(const Globals& globals, const QStringList& args) {
  // The database may be named before the command, as for every command, or after it.
  Globals where = globals;
  QString table;
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& option = args[i];
    QString* target = option == QLatin1String("--table")     ? &table
                      : option == QLatin1String("--db")      ? &where.dbFile
                      : option == QLatin1String("--app-dir") ? &where.appDir
                                                             : nullptr;
    if (!target) return Usage(QStringLiteral("unknown argument %1").arg(option));
    if (i + 1 >= args.size()) return Usage(QStringLiteral("%1 needs a value").arg(option));
    if (!target->isEmpty()) return Usage(QStringLiteral("%1 given twice").arg(option));
    *target = args[++i];
  }
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
