#include "dictionary/dictionary_tsv.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <atomic>

#include "base/error.h"
#include "dictionary/dataset.h"
#include "dictionary/rows_tsv.h"

namespace ravlek {
namespace {

const QString kNull = QStringLiteral("\\N");

Error LineError(const QString& shownName, qsizetype line, const QString& problem) {
  return Error(QStringLiteral("%1:%2: %3").arg(shownName).arg(line).arg(problem));
}

// The line (1-based) of the first byte sequence that is not UTF-8.
qsizetype FirstBadUtf8Line(const QByteArray& bytes) {
  qsizetype line = 1;
  qsizetype start = 0;
  while (start <= bytes.size()) {
    qsizetype end = bytes.indexOf('\n', start);
    if (end < 0) end = bytes.size();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString ignored = decoder(QByteArrayView(bytes).sliced(start, end - start));
    if (decoder.hasError()) return line;
    start = end + 1;
    ++line;
  }
  return line;
}

// One field of a line, its escapes resolved; std::nullopt for \N alone.
TsvValue Unescape(QStringView field, const QString& shownName, qsizetype line) {
  if (field == kNull) return std::nullopt;
  if (!field.contains(u'\\')) return field.toString();
  QString value;
  value.reserve(field.size());
  for (qsizetype i = 0; i < field.size(); ++i) {
    if (field[i] != u'\\') {
      value += field[i];
      continue;
    }
    if (i + 1 >= field.size())
      throw LineError(shownName, line, QStringLiteral("a value ends with a backslash"));
    switch (field[++i].unicode()) {
      case 't':
        value += u'\t';
        break;
      case 'n':
        value += u'\n';
        break;
      case 'r':
        value += u'\r';
        break;
      case '\\':
        value += u'\\';
        break;
      default:
        throw LineError(
            shownName, line,
            QStringLiteral("unknown escape \\%1 (known: \\t \\n \\r \\\\ and \\N alone)")
                .arg(field[i]));
    }
  }
  return value;
}

QString Quoted(const QString& identifier) {
  return QLatin1Char('"') + QString(identifier).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
         QLatin1Char('"');
}

QString ColumnList(const QStringList& columns) {
  QStringList parts;
  for (const QString& column : columns) parts.append(Quoted(column) + QStringLiteral(" TEXT"));
  return parts.join(QStringLiteral(", "));
}

// The columns of a table of the database in their order; empty when there is no such table.
QStringList TableColumns(QSqlDatabase& db, const QString& table) {
  QSqlQuery query(db);
  if (!query.exec(QStringLiteral("PRAGMA table_info(%1)").arg(Quoted(table)))) {
    throw Error(query.lastError().text());
  }
  QStringList columns;
  while (query.next()) columns.append(query.value(1).toString());
  return columns;
}

void RefuseUnknownColumns(const QStringList& header, const QStringList& known,
                          const QString& shownName, const QString& table) {
  for (const QString& column : header) {
    if (!known.contains(column, Qt::CaseInsensitive)) {
      throw LineError(shownName, 1,
                      QStringLiteral("unknown column %1; %2 has %3")
                          .arg(column, table, known.join(QStringLiteral(", "))));
    }
  }
}

void Exec(QSqlQuery& query, const QString& sql) {
  if (!query.exec(sql)) throw Error(query.lastError().text());
}

// Runs the import on an open database inside a transaction that the caller commits or rolls
// back.
qsizetype LoadRows(QSqlDatabase& db, const DictionaryTsv& tsv, const QString& shownName,
                   const QString& table, bool replace) {
  QSqlQuery query(db);
  for (const QString& name : DictionaryTables()) {
    if (!TableColumns(db, name).isEmpty()) continue;
    QStringList columns = DictionaryTableFields(name);
    if (name == table) {
      RefuseUnknownColumns(tsv.header, columns, shownName, table);
      // The file's columns first, in its order, so that an export gives the file back.
      QStringList ordered = tsv.header;
      for (const QString& field : columns) {
        if (!ordered.contains(field, Qt::CaseInsensitive)) ordered.append(field);
      }
      columns = ordered;
    }
    Exec(query, QStringLiteral("CREATE TABLE %1 (%2)").arg(Quoted(name), ColumnList(columns)));
  }
  RefuseUnknownColumns(tsv.header, TableColumns(db, table), shownName, table);
  if (replace) Exec(query, QStringLiteral("DELETE FROM %1").arg(Quoted(table)));
  QStringList columns;
  QStringList marks;
  for (const QString& column : tsv.header) {
    columns.append(Quoted(column));
    marks.append(QStringLiteral("?"));
  }
  if (!query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                         .arg(Quoted(table), columns.join(QStringLiteral(", ")),
                              marks.join(QStringLiteral(", "))))) {
    throw Error(query.lastError().text());
  }
  const QVariant null{QMetaType(QMetaType::QString)};
  for (size_t row = 0; row < tsv.rows.size(); ++row) {
    const std::vector<TsvValue>& values = tsv.rows[row];
    for (size_t i = 0; i < values.size(); ++i) {
      // An empty value stays empty text: a null QString would be bound as NULL.
      if (!values[i]) {
        query.bindValue(static_cast<int>(i), null);
      } else {
        query.bindValue(static_cast<int>(i),
                        values[i]->isNull() ? QVariant(QStringLiteral("")) : QVariant(*values[i]));
      }
    }
    if (!query.exec()) {
      throw LineError(shownName, static_cast<qsizetype>(row) + 2, query.lastError().text());
    }
  }
  return static_cast<qsizetype>(tsv.rows.size());
}

}  // namespace

const QStringList& DictionaryTables() {
  static const QStringList tables = {QStringLiteral("RavlekTable"), QStringLiteral("BaseWords"),
                                     QStringLiteral("BaseWordsPlus")};
  return tables;
}

QStringList DictionaryTableFields(const QString& table) {
  if (table == QLatin1String("RavlekTable")) {
    return {QStringLiteral("HanWord"),     QStringLiteral("Ptype"),
            QStringLiteral("HanSpell"),    QStringLiteral("Spell_P"),
            QStringLiteral("Spell_P_Han"), QStringLiteral("Initial_C_type"),
            QStringLiteral("PoemRhyme"),   QStringLiteral("hong5se3"),
            QStringLiteral("PoemRhyme2"),  QStringLiteral("PtypeDesc"),
            QStringLiteral("Phone_desc"),  QStringLiteral("Desc")};
  }
  if (table == QLatin1String("BaseWords") || table == QLatin1String("BaseWordsPlus")) {
    return {QStringLiteral("HanWord"), QStringLiteral("HanSpell")};
  }
  return {};
}

QString EscapeTsvField(const TsvValue& value) {
  return value ? EscapeTsvValue(*value) : kNull;  // a text \N comes out as \\N, apart from null
}

DictionaryTsv ReadDictionaryTsv(const QByteArray& bytes, const QString& shownName) {
  QStringDecoder decoder(QStringDecoder::Utf8);
  const QString text = decoder(bytes);
  if (decoder.hasError()) {
    throw LineError(shownName, FirstBadUtf8Line(bytes), QStringLiteral("not UTF-8 text"));
  }
  QList<QStringView> lines = QStringView(text).split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
  if (lines.isEmpty()) throw Error(shownName + QStringLiteral(": no header line"));

  DictionaryTsv tsv;
  QSet<QString> seen;
  QStringView headerLine = lines[0];
  if (headerLine.endsWith(u'\r')) headerLine.chop(1);
  for (QStringView name : headerLine.split(u'\t')) {
    if (name.isEmpty()) throw LineError(shownName, 1, QStringLiteral("a column without a name"));
    if (seen.contains(name.toString().toLower())) {
      throw LineError(shownName, 1, QStringLiteral("column %1 appears twice").arg(name));
    }
    seen.insert(name.toString().toLower());
    tsv.header.append(name.toString());
  }
  const qsizetype width = tsv.header.size();
  tsv.rows.reserve(static_cast<size_t>(lines.size() - 1));
  for (qsizetype i = 1; i < lines.size(); ++i) {
    QStringView line = lines[i];
    if (line.endsWith(u'\r')) line.chop(1);
    const QList<QStringView> fields = line.split(u'\t');
    if (fields.size() != width) {
      throw LineError(
          shownName, i + 1,
          QStringLiteral("%1 fields, the header names %2").arg(fields.size()).arg(width));
    }
    std::vector<TsvValue> row;
    row.reserve(static_cast<size_t>(width));
    for (QStringView field : fields) {
      if (field.contains(u'\r')) {
        throw LineError(shownName, i + 1,
                        QStringLiteral("a carriage return inside a value (write it as \\r)"));
      }
      row.push_back(Unescape(field, shownName, i + 1));
    }
    tsv.rows.push_back(std::move(row));
  }
  return tsv;
}

qsizetype ImportDictionaryTsv(const DictionaryTsv& tsv, const QString& shownName,
                              const QString& table, const QString& databaseFile, bool replace) {
  if (DictionaryTableFields(table).isEmpty()) {
    throw Error(QStringLiteral("unknown table %1").arg(table));
  }
  const bool existed = QFileInfo::exists(databaseFile);
  static std::atomic<int> counter{0};
  const QString connection = QStringLiteral("ravlek-import-%1").arg(++counter);
  qsizetype loaded = 0;
  QString failure;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(databaseFile);
    if (!db.open()) {
      failure = db.lastError().text();
    } else if (!db.transaction()) {
      failure = db.lastError().text();
    } else {
      try {
        loaded = LoadRows(db, tsv, shownName, table, replace);
        if (!db.commit()) failure = db.lastError().text();
      } catch (const Error& error) {
        failure = error.message();
      }
      if (!failure.isEmpty()) db.rollback();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(connection);
  if (!failure.isEmpty()) {
    if (!existed) {
      QFile::remove(databaseFile);
      QFile::remove(databaseFile + QStringLiteral("-journal"));
    }
    // An engine error names the database; an error of the file already names the file.
    if (!failure.startsWith(shownName + QLatin1Char(':'))) {
      failure = databaseFile + QStringLiteral(": ") + failure.trimmed();
    }
    throw Error(failure);
  }
  return loaded;
}

void WriteDatasetTsv(const TFDQuery& dataset, const std::function<void(const QByteArray&)>& write) {
  const QStringList fields = dataset.FieldNames();
  QString chunk = fields.join(QLatin1Char('\t')) + QLatin1Char('\n');
  const int rows = dataset.RecordCount();
  for (int row = 0; row < rows; ++row) {
    for (int i = 0; i < fields.size(); ++i) {
      if (i > 0) chunk += QLatin1Char('\t');
      chunk += dataset.IsNull(row, i) ? kNull : EscapeTsvValue(dataset.Text(row, i));
    }
    chunk += QLatin1Char('\n');
    if (chunk.size() >= 32 * 1024) {
      write(chunk.toUtf8());
      chunk.clear();
    }
  }
  if (!chunk.isEmpty()) write(chunk.toUtf8());
}

}  // namespace ravlek
