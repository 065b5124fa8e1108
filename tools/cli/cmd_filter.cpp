// ravlek-cli filter: the rows of a named dataset that pass a filter expression.

#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/filter_sql.h"
#include "tsv.h"

namespace ravlek::cli {
namespace {

int Filter(const Invocation& command) {
  const QString name = command.IsSet(QStringLiteral("dataset"))
                           ? command.Value(QStringLiteral("dataset"))
                           : QString();
  const bool haveExpression = !command.Arguments().isEmpty();
  const QString expression = command.Arguments().value(0);
  if (name.isNull()) return command.UsageError(QStringLiteral("--dataset is missing"));
  if (!haveExpression)
    return command.UsageError(QStringLiteral("the filter expression is missing"));
  const QString statement = DatasetStatement(name);
  if (statement.isEmpty())
    return command.UsageError(QStringLiteral("unknown dataset %1").arg(name));

  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return 1;
  TFDQuery dataset(connection, name, statement);
  // SQLite answers what it can: only the passing rows are read.
  OpenFiltered(dataset, expression);
  WriteOut(DatasetAsTsv(dataset, dataset.FieldNames()).toUtf8());
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("filter");
  spec.summary = QStringLiteral("The rows of a dataset that pass a filter expression, as TSV.");
  spec.about = QStringLiteral(
      "A header line with every field of the dataset, then one line per "
      "passing row.");
  spec.options = {{{QStringLiteral("dataset")},
                   QStringLiteral("NAME"),
                   QStringLiteral("FDQueryRavlekTable, FDQueryBaseWords or FDQueryBaseWordsPlus"),
                   OptionSpec::Use::Required}};
  spec.arguments = {{QStringLiteral("EXPR"),
                     QStringLiteral("the filter, for example HanWord ='\u5247' or [HanSpell] like "
                                    "'%an1'"),
                     false}};
  spec.run = &Filter;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
