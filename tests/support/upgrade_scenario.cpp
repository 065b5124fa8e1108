#include "tests/support/upgrade_scenario.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <atomic>

#include "base/error.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek::test {
namespace {

const QByteArray kHeader =
    "HanWord\tPtype\tHanSpell\tSpell_P\tSpell_P_Han\tInitial_C_type\tPoemRhyme\thong5se3\t"
    "PoemRhyme2\tPtypeDesc\tPhone_desc\tDesc\n";

QByteArray Row(const char* han, const char* ptype, const char* spell, const char* rhyme,
               const char* phone, const char* desc) {
  return QByteArray(han) + '\t' + ptype + '\t' + spell + "\t\t\t\t" + rhyme + "\t\t\t\t" + phone +
         '\t' + desc + '\n';
}

void Write(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
    throw Error(path + QStringLiteral(": cannot be written"));
  }
}

void WriteRelease(const QString& folder, const QByteArray& ravlek, const QByteArray& base) {
  QDir().mkpath(folder);
  Write(QDir(folder).filePath(QStringLiteral("RavlekTable.tsv")), kHeader + ravlek);
  Write(QDir(folder).filePath(QStringLiteral("BaseWords.tsv")), "HanWord\tHanSpell\n" + base);
  Write(QDir(folder).filePath(QStringLiteral("BaseWordsPlus.tsv")), "HanWord\tHanSpell\n");
}

// Every (HanWord, Ptype, HanSpell, Phone_desc, Desc) of RavlekTable, one line each, in order,
// and the BaseWords after them.
QString Contents(QSqlDatabase& db) {
  QSqlQuery query(db);
  QString text;
  const QString order =
      db.driverName() == QStringLiteral("QSQLITE") ? QStringLiteral("rowid") : QStringLiteral("id");
  if (!query.exec(QStringLiteral("SELECT * FROM RavlekTable ORDER BY %1").arg(order))) {
    return query.lastError().text();
  }
  const auto field = [&](const char* name) {
    for (int i = 0; i < query.record().count(); ++i)
      if (query.record().fieldName(i).compare(QLatin1String(name), Qt::CaseInsensitive) == 0)
        return query.value(i).toString();
    return QString();
  };
  while (query.next()) {
    text += QStringList{field("HanWord"), field("Ptype"), field("HanSpell"), field("Phone_desc"),
                        field("Desc")}
                .join(u'|') +
            u'\n';
  }
  if (!query.exec(QStringLiteral("SELECT * FROM BaseWords ORDER BY %1").arg(order))) {
    return query.lastError().text();
  }
  while (query.next()) text += QStringLiteral("base ") + field("HanWord") + u'\n';
  return text;
}

QString Compare(const QString& actual, const QString& expected) {
  return actual == expected ? QString()
                            : QStringLiteral("expected:\n%1got:\n%2").arg(expected, actual);
}

}  // namespace

void WriteOldRelease(const QString& folder) {
  WriteRelease(folder,
               Row("讚", "通", "tsan3", "去聲十五翰", "舊語音註", "稱美也") +
                   Row("則", "文", "tsik4", "入聲十三職", "則的語音", "法也") +
                   Row("如", "文", "ju5", "上平六魚", "如的語音", "似也"),
               "則\ttsik4\n");
}

void WriteNewRelease(const QString& folder) {
  WriteRelease(folder,
               Row("讚", "通", "tsan3", "去聲十五翰", "新語音註", "稱美也") +
                   Row("則", "文", "tsik4", "入聲十三職", "則的語音", "新的釋義") +
                   Row("新", "文", "sin1", "上平十一真", "新的語音", "初也"),
               "則\ttsik4\n新\tsin1\n");
}

void WriteShippedDatabase(const QString& path, const QString& releaseFolder) {
  WriteFixtureDictionary(path, {});
  static std::atomic<int> counter{0};
  const QString name = QStringLiteral("ravlek-shipped-%1").arg(++counter);
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    if (!db.open()) throw Error(db.lastError().text());
    UpgradeDictionary(db, ReadShippedRelease(releaseFolder), QFileInfo(path).absolutePath());
  }
  QSqlDatabase::removeDatabase(name);
}

void TypeUserNotes(QSqlDatabase& db) {
  QSqlQuery query(db);
  for (const char* sql : {"UPDATE RavlekTable SET \"Desc\" = '我的釋義' WHERE HanWord = '讚'",
                          "UPDATE RavlekTable SET Phone_desc = '我的語音' WHERE HanWord = '則'",
                          "UPDATE RavlekTable SET \"Desc\" = '我的如' WHERE HanWord = '如'"}) {
    if (!query.exec(QString::fromUtf8(sql))) throw Error(query.lastError().text());
  }
}

QString CheckUpgraded(QSqlDatabase& db) {
  return Compare(Contents(db), QStringLiteral("讚|通|tsan3|新語音註|我的釋義\n"
                                              "則|文|tsik4|我的語音|新的釋義\n"
                                              "新|文|sin1|新的語音|初也\n"
                                              "base 則\nbase 新\n"));
}

QString CheckNotUpgraded(QSqlDatabase& db) {
  return Compare(Contents(db), QStringLiteral("讚|通|tsan3|舊語音註|我的釋義\n"
                                              "則|文|tsik4|我的語音|法也\n"
                                              "如|文|ju5|如的語音|我的如\n"
                                              "base 則\n"));
}

QString CheckOrphanedNotes(const QString& folder, const QString& message) {
  const QStringList files =
      QDir(folder).entryList({QStringLiteral("Ravlek-notes-*.tsv")}, QDir::Files);
  if (files.size() != 1) return QStringLiteral("notes files: %1").arg(files.join(u' '));
  QFile file(QDir(folder).filePath(files[0]));
  if (!file.open(QIODevice::ReadOnly)) return file.errorString();
  const QString text = QString::fromUtf8(file.readAll());
  if (text !=
      QStringLiteral("HanWord\tPtype\tHanSpell\tPhone_desc\tDesc\n如\t文\tju5\t\t我的如\n")) {
    return QStringLiteral("the notes file holds:\n") + text;
  }
  if (!message.contains(files[0]))
    return QStringLiteral("the message does not name it: ") + message;
  return QString();
}

}  // namespace ravlek::test
