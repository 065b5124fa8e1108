// A second user's program for the concurrent-edit tests: opens the dictionary of an application
// folder, makes a row of FDQueryRavlekTable current, edits one field and stores the edit.
// Usage: edit_row APP_DIR ROW FIELD TEXT; exits 1 with the error on standard error.

#include <QCoreApplication>
#include <cstdio>

#include "base/error.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 5) {
    std::fputs("usage: edit_row APP_DIR ROW FIELD TEXT\n", stderr);
    return 2;
  }
  ravlek::TFDConnection connection;
  const auto opened = connection.Open(args[1]);
  if (!opened.ok()) {
    std::fprintf(stderr, "%s\n", qPrintable(opened.message));
    return 1;
  }
  try {
    const QString name = QStringLiteral("FDQueryRavlekTable");
    ravlek::TFDQuery query(connection, name, ravlek::DatasetStatement(name));
    query.Open();
    query.SetRecNo(args[2].toInt());
    query.Edit(args[3], args[4]);
    query.Post();
  } catch (const ravlek::Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
  return 0;
}
