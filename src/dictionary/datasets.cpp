#include "dictionary/datasets.h"

#include "dictionary/dataset.h"

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

void OpenDatasets(const std::vector<TFDQuery*>& datasets) {
  for (size_t i = 0; i < datasets.size(); ++i) {
    const TFDQuery* source = datasets[i];
    for (size_t earlier = 0; earlier < i; ++earlier) {
      if (datasets[earlier]->Active() && datasets[earlier]->SQL() == datasets[i]->SQL()) {
        source = datasets[earlier];
        break;
      }
    }
    datasets[i]->OpenSharing(*source);
  }
}

QString DatasetStatement(const QString& name) {
  for (const DatasetDefinition& dataset : DictionaryDatasets()) {
    if (dataset.name == name) return dataset.statement;
  }
  return QString();
}

}  // namespace ravlek
