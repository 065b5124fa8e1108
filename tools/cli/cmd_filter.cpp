// ravlek-cli filter: the rows of a named dataset that pass a filter expression.

#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/filter_sql.h"
#include "tsv.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage =
    "filter --dataset FDQueryRavlekTable|FDQueryBaseWords|FDQueryBaseWordsPlus EXPR";

int Usage(const QString& problem) {
  return CommandUsageError(QStringLiteral("filter"), problem);
}

int Filter(const Globals& globals, const QStringList& args) {
  const QCommandLineOption datasetOption(QStringLiteral("dataset"), QString(),
                                         QStringLiteral("NAME"));
  QCommandLineParser parser;
  if (const auto end =
          ParseCommandLine(parser, QStringLiteral("filter"), {datasetOption}, args, 1)) {
    return *end;
  }
  const QString name = parser.isSet(datasetOption) ? parser.value(datasetOption) : QString();
  const bool haveExpression = !parser.positionalArguments().isEmpty();
  const QString expression = parser.positionalArguments().value(0);
  if (name.isNull()) return Usage(QStringLiteral("--dataset is missing"));
  if (!haveExpression) return Usage(QStringLiteral("the filter expression is missing"));
  const QString statement = DatasetStatement(name);
  if (statement.isEmpty()) return Usage(QStringLiteral("unknown dataset %1").arg(name));

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  TFDQuery dataset(connection, name, statement);
  // The database answers what it can: only the passing rows are read.
  OpenFiltered(dataset, expression);
  WriteOut(DatasetAsTsv(dataset, dataset.FieldNames()).toUtf8());
  return 0;
}

constexpr const char* kHelp =
    "The rows of a dataset that pass a filter expression, as TSV.\n"
    "A header line with every field of the dataset, then one line per passing row.\n"
    "\n"
    "  --dataset NAME  FDQueryRavlekTable, FDQueryBaseWords or FDQueryBaseWordsPlus\n"
    "  EXPR            the filter, for example HanWord ='\u5247' or [HanSpell] like '%an1'";

const CommandRegistration registration("filter", kUsage, &Filter, kHelp);

}  // namespace
}  // namespace ravlek::cli
