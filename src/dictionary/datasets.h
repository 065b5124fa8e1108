#pragma once
// The four named datasets of the dictionary and the statements they are given at start-up.

#include <QString>
#include <vector>

namespace ravlek {

class TFDQuery;

struct DatasetDefinition {
  QString name;
  QString statement;
};

// In the order they are opened: FDQueryRavlekTable, FDQueryBaseWords, FDQueryBaseWordsPlus,
// FDQuerySQLRavlekTable.
const std::vector<DatasetDefinition>& DictionaryDatasets();

// Opens the datasets in the order given; one whose statement an earlier one of them ran holds that
// one's rows instead of reading them again (TFDQuery::OpenSharing).
void OpenDatasets(const std::vector<TFDQuery*>& datasets);

// The statement a dataset of that name starts with; empty for an unknown name.
QString DatasetStatement(const QString& name);

}  // namespace ravlek
