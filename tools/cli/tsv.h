#pragma once
// Rows printed as tab-separated lines: a header line with the field names, then one line per row.
// Null and empty values both print as nothing; a tab, CR, LF or backslash inside a value prints
// as \t, \r, \n, \\.

#include <QString>
#include <QStringList>

namespace ravlek {
class TFDQuery;
}

namespace ravlek::cli {

// The header and the dataset's passing rows, with the given fields in the given order.
QString DatasetAsTsv(const TFDQuery& dataset, const QStringList& fields);

}  // namespace ravlek::cli
