// ravlek-cli's filter path: an expression answered by SQLite (OpenFiltered) on a small dictionary
// must give the rows of the held filter the window uses, or the same error; it must never crash,
// however long its chains. Input: the expression on the first line; a second line holding a number
// N repeats the expression N times (up to 3000) joined by " or ", so that short inputs reach the
// chain lengths SQLite cannot nest; each further line is one more row's value, given to every
// column in turn.

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <memory>

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/filter_sql.h"
#include "fuzz_support.h"

namespace {

using namespace ravlek;

const char kStatement[] = "select *  from RavlekTable where Ptype<>'' ";

struct Dictionary {
  QTemporaryDir folder;
  TFDConnection connection;

  Dictionary() {
    // An empty file is an empty database: the connection opens only an existing one.
    QFile file(folder.filePath(QStringLiteral("Ravlek.db")));
    if (!file.open(QIODevice::WriteOnly)) ravlek::fuzz::Fail("the dictionary cannot be made");
    file.close();
    if (!connection.OpenSqliteFile(file.fileName()).ok()) {
      ravlek::fuzz::Fail("the dictionary does not open");
    }
    QSqlQuery q(connection.Database());
    const char* const statements[] = {
        "create table RavlekTable (HanWord text, HanSpell text, Ptype text)",
        ("insert into RavlekTable values ('讚','tsan3','文'),('讚歎','tsan3 than3','白'),"
         "('','','通'),(null,null,null),('a*b','an1','文(古)'),('a%b_','kan1','今'),"
         "('O''Neil','TSAN3','白'),('𠀀','pan1𠀁','通'),('x1','x1','x1')"),
    };
    for (const char* statement : statements) {
      if (!q.exec(QString::fromUtf8(statement))) ravlek::fuzz::Fail("the dictionary is not made");
    }
  }
};

QStringList Rows(TFDQuery& dataset, const std::function<void()>& open) {
  try {
    open();
  } catch (const Error& error) {
    return {QStringLiteral("error: ") + error.message()};
  }
  QStringList rows;
  for (int row = 0; row < dataset.RecordCount(); ++row) {
    QString line;
    for (int field = 0; field < dataset.FieldNames().size(); ++field) {
      line += dataset.IsNull(row, field) ? QStringLiteral("<null>")
                                         : QLatin1Char('[') + dataset.Text(row, field) + u']';
    }
    rows.append(line);
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  static Dictionary* dictionary = new Dictionary;
  const QString input =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QStringList lines = input.split(u'\n');
  QString expression = lines.takeFirst();
  bool isCount = false;
  const int count = lines.isEmpty() ? 0 : lines.front().toInt(&isCount);
  if (isCount) {
    lines.removeFirst();
    QStringList copies;
    for (int i = 0; i < std::clamp(count, 1, 3000); ++i) copies.append(expression);
    expression = copies.join(QStringLiteral(" or "));
  }

  QSqlQuery q(dictionary->connection.Database());
  q.exec(QStringLiteral("delete from RavlekTable where rowid > 9"));
  for (qsizetype i = 0; i < lines.size() && i < 8; ++i) {
    q.prepare(QStringLiteral("insert into RavlekTable values (?, ?, ?)"));
    for (int c = 0; c < 3; ++c) q.addBindValue(lines[i]);
    if (!q.exec()) ravlek::fuzz::Fail("a row is not added");
  }

  const QString name = QStringLiteral("FDQueryRavlekTable");
  TFDQuery held(dictionary->connection, name, QString::fromUtf8(kStatement));
  TFDQuery sql(dictionary->connection, name, QString::fromUtf8(kStatement));
  const QStringList expected = Rows(held, [&] {
    held.Open();
    held.SetFilter(expression);
    held.FilterOn();
  });
  const QStringList actual = Rows(sql, [&] { OpenFiltered(sql, expression); });
  ravlek::fuzz::Check(actual == expected, "SQLite's rows differ from the held filter's");
  return 0;
}
