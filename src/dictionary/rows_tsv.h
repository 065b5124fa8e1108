#pragma once
// Dictionary rows as tab-separated lines, the format ravlek-cli writes and the lookup grid copies:
// an optional header line with the field names, then one line per row. Null and empty values both
// write as nothing; a tab, CR, LF or backslash inside a value writes as \t, \r, \n, \\.

#include <QList>
#include <QString>
#include <QStringList>

namespace ravlek {

class TFDQuery;

QString EscapeTsvValue(const QString& value);

// One line: the escaped values joined by tabs, ended by LF.
QString TsvLine(const QStringList& values);

// The given passing rows of a dataset (indexes 0 .. RecordCount()-1, in the order given), with the
// given fields in the given order, after a header line when `withHeader` is set.
QString DatasetRowsAsTsv(const TFDQuery& dataset, const QStringList& fields, const QList<int>& rows,
                         bool withHeader);

}  // namespace ravlek
