#include "dictionary/dictionary_tsv.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringDecoder>
#include <QUtf8StringView>
#include <atomic>
#ifdef RAVLEK_DIRECT_SQLITE
#include <sqlite3.h>
#endif

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

// Creates the missing tables and checks the header against the table; the statement that
// inserts one row of the file's columns.
QString PrepareTable(QSqlDatabase& db, const QStringList& header, const QString& shownName,
                     const QString& table, bool replace) {
  QSqlQuery query(db);
  for (const QString& name : DictionaryTables()) {
    if (!TableColumns(db, name).isEmpty()) continue;
    QStringList columns = DictionaryTableFields(name);
    if (name == table) {
      RefuseUnknownColumns(header, columns, shownName, table);
      // The file's columns first, in its order, so that an export gives the file back.
      QStringList ordered = header;
      for (const QString& field : columns) {
        if (!ordered.contains(field, Qt::CaseInsensitive)) ordered.append(field);
      }
      columns = ordered;
    }
    Exec(query, QStringLiteral("CREATE TABLE %1 (%2)").arg(Quoted(name), ColumnList(columns)));
  }
  RefuseUnknownColumns(header, TableColumns(db, table), shownName, table);
  if (replace) Exec(query, QStringLiteral("DELETE FROM %1").arg(Quoted(table)));
  QStringList columns;
  QStringList marks;
  for (const QString& column : header) {
    columns.append(Quoted(column));
    marks.append(QStringLiteral("?"));
  }
  return QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
      .arg(Quoted(table), columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
}

// Runs the import on an open database inside a transaction that the caller commits or rolls
// back.
qsizetype LoadRows(QSqlDatabase& db, const DictionaryTsv& tsv, const QString& shownName,
                   const QString& table, bool replace) {
  QSqlQuery query(db);
  if (!query.prepare(PrepareTable(db, tsv.header, shownName, table, replace))) {
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

namespace {

// The lines of a file read in pieces of a megabyte: each without its line feed; a last line that
// is empty is no line, as in ReadDictionaryTsv.
class LineReader {
 public:
  explicit LineReader(QIODevice& input) : input_(input) {}
  bool Next(QByteArrayView& line) {
    for (;;) {
      const qsizetype end = buffer_.indexOf('\n', pos_);
      if (end >= 0) {
        line = QByteArrayView(buffer_).sliced(pos_, end - pos_);
        pos_ = end + 1;
        return true;
      }
      if (atEnd_) {
        if (pos_ >= buffer_.size()) return false;
        line = QByteArrayView(buffer_).sliced(pos_);
        pos_ = buffer_.size();
        return true;
      }
      buffer_.remove(0, pos_);
      pos_ = 0;
      const QByteArray piece = input_.read(1 << 20);
      if (piece.isEmpty()) {
        atEnd_ = true;
      } else {
        buffer_ += piece;
      }
    }
  }

 private:
  QIODevice& input_;
  QByteArray buffer_;
  qsizetype pos_ = 0;
  bool atEnd_ = false;
};

// The values of one row as UTF-8, escapes resolved; a value is valid until the next row.
struct RowBytes {
  std::vector<QByteArrayView> values;
  std::vector<bool> nulls;
  std::vector<QByteArray> unescaped;  // room for the values that held escapes
};

void ParseRow(QByteArrayView line, qsizetype number, qsizetype width, const QString& shownName,
              RowBytes& row) {
  const qsizetype fields = line.count('\t') + 1;
  if (fields != width) {
    throw LineError(shownName, number,
                    QStringLiteral("%1 fields, the header names %2").arg(fields).arg(width));
  }
  row.values.resize(static_cast<size_t>(width));
  row.nulls.resize(static_cast<size_t>(width));
  row.unescaped.resize(static_cast<size_t>(width));
  qsizetype start = 0;
  for (size_t i = 0; i < static_cast<size_t>(width); ++i) {
    qsizetype end = line.indexOf('\t', start);
    if (end < 0) end = line.size();
    const QByteArrayView field = line.sliced(start, end - start);
    start = end + 1;
    if (field.contains('\r')) {
      throw LineError(shownName, number,
                      QStringLiteral("a carriage return inside a value (write it as \\r)"));
    }
    row.nulls[i] = field == QByteArrayView("\\N");
    if (!field.contains('\\')) {
      row.values[i] = field;
      continue;
    }
    if (row.nulls[i]) continue;
    QByteArray& value = row.unescaped[i];
    value.clear();
    for (qsizetype k = 0; k < field.size(); ++k) {
      if (field[k] != '\\') {
        value += field[k];
        continue;
      }
      if (k + 1 >= field.size())
        throw LineError(shownName, number, QStringLiteral("a value ends with a backslash"));
      switch (field[++k]) {
        case 't':
          value += '\t';
          break;
        case 'n':
          value += '\n';
          break;
        case 'r':
          value += '\r';
          break;
        case '\\':
          value += '\\';
          break;
        default:
          throw LineError(
              shownName, number,
              QStringLiteral("unknown escape \\%1 (known: \\t \\n \\r \\\\ and \\N alone)")
                  .arg(QString::fromUtf8(field.sliced(k)).front()));
      }
    }
    row.values[i] = value;
  }
}

// Writes rows through one prepared insert: through SQLite's own interface with the values bound
// as the UTF-8 they are, where Qt's driver uses the system's SQLite, else through Qt.
class RowInserter {
 public:
  RowInserter() = default;
  RowInserter(const RowInserter&) = delete;
  RowInserter& operator=(const RowInserter&) = delete;
  ~RowInserter() { Finish(); }
  // Lets go of the statement, before the database closes.
  void Finish() {
#ifdef RAVLEK_DIRECT_SQLITE
    sqlite3_finalize(statement_);
    statement_ = nullptr;
#endif
    query_ = QSqlQuery();
  }
  void Prepare(QSqlDatabase& db, const QString& sql) {
#ifdef RAVLEK_DIRECT_SQLITE
    const QVariant handle = db.driver()->handle();
    if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0) {
      sqlite_ = *static_cast<sqlite3* const*>(handle.constData());
    }
    if (sqlite_) {
      const QByteArray text = sql.toUtf8();
      if (sqlite3_prepare_v2(sqlite_, text.constData(), static_cast<int>(text.size()), &statement_,
                             nullptr) != SQLITE_OK) {
        throw Error(QString::fromUtf8(sqlite3_errmsg(sqlite_)));
      }
      return;
    }
#endif
    query_ = QSqlQuery(db);
    if (!query_.prepare(sql)) throw Error(query_.lastError().text());
  }
  // False with the engine's message when the row could not be written.
  bool Insert(const RowBytes& row, QString& error) {
#ifdef RAVLEK_DIRECT_SQLITE
    if (statement_) {
      for (size_t i = 0; i < row.values.size(); ++i) {
        const int column = static_cast<int>(i) + 1;
        if (row.nulls[i]) {
          sqlite3_bind_null(statement_, column);
        } else {
          // An empty value stays empty text, never null.
          const char* bytes = row.values[i].isEmpty() ? "" : row.values[i].data();
          sqlite3_bind_text(statement_, column, bytes, static_cast<int>(row.values[i].size()),
                            SQLITE_STATIC);
        }
      }
      const int step = sqlite3_step(statement_);
      sqlite3_reset(statement_);
      if (step == SQLITE_DONE) return true;
      // Worded as Qt's driver words a failed statement.
      error = QString::fromUtf8(sqlite3_errmsg(sqlite_)) + QStringLiteral(" Unable to fetch row");
      return false;
    }
#endif
    const QVariant null{QMetaType(QMetaType::QString)};
    for (size_t i = 0; i < row.values.size(); ++i) {
      query_.bindValue(static_cast<int>(i),
                       row.nulls[i] ? null : QVariant(QString::fromUtf8(row.values[i])));
    }
    if (query_.exec()) return true;
    error = query_.lastError().text();
    return false;
  }

 private:
  QSqlQuery query_;
#ifdef RAVLEK_DIRECT_SQLITE
  sqlite3* sqlite_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
#endif
};

// The error reported when a file has several: text that is not UTF-8 anywhere, else the first
// fault of the file's lines, else the first the database raised; as reading the whole file
// before writing reports them.
struct WorstFailure {
  enum Rank { kNone, kDatabase, kLine, kNotUtf8 };
  void Note(Rank at, const QString& text) {
    if (at <= rank) return;
    rank = at;
    message = text;
  }
  Rank rank = kNone;
  QString message;
};

}  // namespace

qsizetype ImportDictionaryTsvStream(QIODevice& input, const QString& shownName,
                                    const QString& table, const QString& databaseFile,
                                    bool replace) {
  if (DictionaryTableFields(table).isEmpty()) {
    throw Error(QStringLiteral("unknown table %1").arg(table));
  }
  const bool existed = QFileInfo::exists(databaseFile);
  static std::atomic<int> counter{0};
  const QString connection = QStringLiteral("ravlek-import-stream-%1").arg(++counter);
  WorstFailure failure;
  qsizetype loaded = 0;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(databaseFile);
    LineReader lines(input);
    QByteArrayView line;
    qsizetype number = 0;
    qsizetype width = 0;
    if (!lines.Next(line)) {
      failure.Note(WorstFailure::kLine, shownName + QStringLiteral(": no header line"));
    } else {
      number = 1;
      if (line.startsWith("\xEF\xBB\xBF")) line = line.sliced(3);
      if (line.endsWith('\r')) line.chop(1);
      if (!QUtf8StringView(line).isValidUtf8()) {
        failure.Note(WorstFailure::kNotUtf8,
                     LineError(shownName, 1, QStringLiteral("not UTF-8 text")).message());
      }
    }
    QStringList header;
    if (failure.rank == WorstFailure::kNone) {
      QSet<QString> seen;
      for (QStringView name : QString::fromUtf8(line).split(u'\t')) {
        if (name.isEmpty()) {
          failure.Note(
              WorstFailure::kLine,
              LineError(shownName, 1, QStringLiteral("a column without a name")).message());
          break;
        }
        if (seen.contains(name.toString().toLower())) {
          failure.Note(WorstFailure::kLine,
                       LineError(shownName, 1, QStringLiteral("column %1 appears twice").arg(name))
                           .message());
          break;
        }
        seen.insert(name.toString().toLower());
        header.append(name.toString());
      }
      width = header.size();
    }
    RowInserter inserter;
    if (failure.rank == WorstFailure::kNone) {
      if (!db.open() || !db.transaction()) {
        failure.Note(WorstFailure::kDatabase, db.lastError().text());
      } else {
        try {
          inserter.Prepare(db, PrepareTable(db, header, shownName, table, replace));
        } catch (const Error& error) {
          failure.Note(WorstFailure::kDatabase, error.message());
        }
      }
    }
    RowBytes row;
    while (failure.rank < WorstFailure::kNotUtf8 && lines.Next(line)) {
      ++number;
      if (!QUtf8StringView(line).isValidUtf8()) {
        failure.Note(WorstFailure::kNotUtf8,
                     LineError(shownName, number, QStringLiteral("not UTF-8 text")).message());
        break;
      }
      if (failure.rank >= WorstFailure::kLine) continue;
      if (line.endsWith('\r')) line.chop(1);
      try {
        ParseRow(line, number, width, shownName, row);
      } catch (const Error& error) {
        failure.Note(WorstFailure::kLine, error.message());
        continue;
      }
      if (failure.rank != WorstFailure::kNone) continue;
      QString error;
      if (inserter.Insert(row, error)) {
        ++loaded;
      } else {
        failure.Note(WorstFailure::kDatabase, LineError(shownName, number, error).message());
      }
    }
    inserter.Finish();
    if (failure.rank == WorstFailure::kNone && !db.commit()) {
      failure.Note(WorstFailure::kDatabase, db.lastError().text());
    }
    if (failure.rank != WorstFailure::kNone && db.isOpen()) db.rollback();
    db.close();
  }
  QSqlDatabase::removeDatabase(connection);
  if (failure.rank != WorstFailure::kNone) {
    if (!existed) {
      QFile::remove(databaseFile);
      QFile::remove(databaseFile + QStringLiteral("-journal"));
    }
    // An engine error names the database; an error of the file already names the file.
    QString message = failure.message;
    if (!message.startsWith(shownName + QLatin1Char(':'))) {
      message = databaseFile + QStringLiteral(": ") + message.trimmed();
    }
    throw Error(message);
  }
  return loaded;
}

}  // namespace ravlek
