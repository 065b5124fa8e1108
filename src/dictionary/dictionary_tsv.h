#pragma once
// A dictionary table as tab-separated text, the format of the open dictionary's files and of
// ravlek-cli import and export: UTF-8; the first line names the fields; then one row per line,
// fields separated by a tab. Inside a value a tab, line feed, carriage return and backslash are
// written \t, \n, \r and \\; a value that is \N alone is null. A file may end its lines with
// CR LF and may begin with a byte-order mark.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QIODevice;

namespace ravlek {

class TFDQuery;

// The three tables of a dictionary, and the fields of each in column order (empty for another
// name).
const QStringList& DictionaryTables();
QStringList DictionaryTableFields(const QString& table);

using TsvValue = std::optional<QString>;  // std::nullopt is null

struct DictionaryTsv {
  QStringList header;
  std::vector<std::vector<TsvValue>> rows;
};

// The value as it is written in a line.
QString EscapeTsvField(const TsvValue& value);

// Reads a whole file's bytes. Raises Error "NAME:LINE: problem" for text that is not UTF-8, a line
// whose field count differs from the header's, an unknown escape, an empty or repeated column
// name, or a file without a header line.
DictionaryTsv ReadDictionaryTsv(const QByteArray& bytes, const QString& shownName);

// Loads the rows into `table` of the SQLite file `databaseFile`, after the rows it holds (or in
// their place with `replace`), keeping their order as the table's order. A missing file is
// created, and so is each missing dictionary table (every field as text; the imported table
// with the file's columns first, in the file's order). The file's columns must be columns of
// the table; the others stay null. All of it is one transaction: on any error the database is
// left exactly as it was (a file that did not exist is removed again) and Error is raised,
// naming the file (and the line where one is at fault). Returns the number of rows loaded.
qsizetype ImportDictionaryTsv(const DictionaryTsv& tsv, const QString& shownName,
                              const QString& table, const QString& databaseFile, bool replace);

// The same as ReadDictionaryTsv of the whole input followed by ImportDictionaryTsv, with the same
// rows, the same errors and the same all-or-nothing outcome, but each row is written as soon as
// its line is read, its text bound as the UTF-8 it is: the memory used does not grow with the
// file. When a file has several faults, the one reported is the one ReadDictionaryTsv and then
// ImportDictionaryTsv would report.
qsizetype ImportDictionaryTsvStream(QIODevice& input, const QString& shownName,
                                    const QString& table, const QString& databaseFile,
                                    bool replace);

// Writes the dataset's fields and passing rows in the format above, in pieces of about 64 KB.
void WriteDatasetTsv(const TFDQuery& dataset, const std::function<void(const QByteArray&)>& write);

}  // namespace ravlek
