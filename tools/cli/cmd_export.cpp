// ravlek-cli export: a dictionary table as tab-separated text, the format import reads.

#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/dictionary_tsv.h"

namespace ravlek::cli {
namespace {

int Export(const Invocation& command) {
  const QString table = command.Value(QStringLiteral("table"));
  if (table.isEmpty()) return command.UsageError(QStringLiteral("--table is missing"));
  if (!DictionaryTables().contains(table)) {
    return command.UsageError(QStringLiteral("unknown table %1").arg(table));
  }

  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  TFDQuery dataset(connection, table, QStringLiteral("select * from ") + table);
  dataset.Open();
  WriteDatasetTsv(dataset, [](const QByteArray& bytes) { WriteOut(bytes); });
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("export");
  spec.summary =
      QStringLiteral("A dictionary table as tab-separated text, the format import reads.");
  spec.about = QStringLiteral(
      "The first line names the fields; then one row per line in the table's order. Inside a\n"
      "value a tab, LF, CR and backslash are written \\t, \\n, \\r, \\\\; a null value is "
      "\\N.");
  spec.options = {{{QStringLiteral("table")},
                   QStringLiteral("NAME"),
                   QStringLiteral("RavlekTable, BaseWords or BaseWordsPlus"),
                   OptionSpec::Use::Required}};
  spec.run = &Export;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
