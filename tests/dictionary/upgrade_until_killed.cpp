// A dictionary upgrade that is killed midway, for the test that a kill -9 during the merge leaves
// the old dictionary whole: upgrades the SQLite file DB to the release in FOLDER, and once every
// row is written, before the commit, creates the file MARKER and waits to be killed.
// Usage: upgrade_until_killed DB FOLDER MARKER; exits 1 with the error on standard error.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QThread>
#include <cstdio>

#include "base/error.h"
#include "dictionary/dictionary_upgrade.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 4) {
    std::fputs("usage: upgrade_until_killed DB FOLDER MARKER\n", stderr);
    return 2;
  }
  QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
  db.setDatabaseName(args[1]);
  if (!db.open()) return 1;
  try {
    ravlek::UpgradeDictionary(db, ravlek::ReadShippedRelease(args[2]),
                              QFileInfo(args[1]).absolutePath(), [&args] {
                                QFile(args[3]).open(QIODevice::WriteOnly);
                                QThread::sleep(60);
                              });
  } catch (const ravlek::Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
