// Placeholder until the store lands.
#include "dictionary/connection.h"
#include "dictionary/dataset.h"

namespace ravlek {
struct TFDQuery::Impl {};
TFDConnection::~TFDConnection() = default;
TFDQuery::~TFDQuery() = default;
}  // namespace ravlek
