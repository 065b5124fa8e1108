#include "dictionary/datasets.h"

namespace ravlek {

const std::vector<DatasetDefinition>& DictionaryDatasets() {
  // The statements on RavlekTable have two blanks after the asterisk and end with a blank.
  static const std::vector<DatasetDefinition> datasets = {
      {QStringLiteral("FDQueryRavlekTable"),
       QStringLiteral("select *  from RavlekTable where Ptype<>'' ")},
      {QStringLiteral("FDQueryBaseWords"), QStringLiteral("select * from BaseWords")},
      {QStringLiteral("FDQueryBaseWordsPlus"), QStringLiteral("select * from BaseWordsPlus")},
      {QStringLiteral("FDQuerySQLRavlekTable"),
       QStringLiteral("select *  from RavlekTable where Ptype<>'' ")},
  };
  return datasets;
}

QString DatasetStatement(const QString& name) {
  for (const DatasetDefinition& dataset : DictionaryDatasets()) {
    if (dataset.name == name) return dataset.statement;
  }
  return QString();
}

}  // namespace ravlek
