// ravlek-cli romanize: each line of the input, then its romanised line.

#include <QFile>

#include "app/error.h"
#include "cli.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "romanize/class_readings.h"
#include "romanize/romanizer.h"
#include "romanize/text_input.h"

namespace ravlek::cli {
namespace {

constexpr const char* kUsage =
    "romanize [--ancient] [--colloquial] [--no-class-marks] [--no-separator] [FILE]";

int Romanize(const Globals& globals, const QStringList& args) {
  ConversionOptions options;
  QString path;
  for (const QString& arg : args) {
    if (arg == QLatin1String("--ancient")) {
      options.ancient = true;
    } else if (arg == QLatin1String("--colloquial")) {
      options.colloquial = true;
    } else if (arg == QLatin1String("--no-class-marks")) {
      options.classMarks = false;
    } else if (arg == QLatin1String("--no-separator")) {
      options.separator = false;
    } else if (arg.startsWith(u'-') || !path.isEmpty()) {
      return CommandUsageError(kUsage);
    } else {
      path = arg;
    }
  }
  QFile input;
  const bool opened = path.isEmpty() ? input.open(stdin, QIODevice::ReadOnly)
                                     : (input.setFileName(path), input.open(QIODevice::ReadOnly));
  if (!opened) {
    WriteErr(
        QStringLiteral("ravlek-cli romanize: cannot read %1: %2").arg(path, input.errorString()));
    return 1;
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  // Line by line: each line and its romanised line are written before the next is read, so
  // memory stays the same whatever the length of the input.
  Utf8LineReader reader(input);
  QByteArray out;
  try {
    const QString name = QStringLiteral("FDQuerySQLRavlekTable");
    TFDQuery query(connection, name, DatasetStatement(name));
    DatasetClassReadingSource source(query);
    Romanizer romanizer(source, options);
    QString line;
    while (reader.Next(line)) {
      out += line.toUtf8();
      out += '\n';
      out += romanizer.RomanizeLine(line).toUtf8();
      out += '\n';
      if (out.size() >= 64 * 1024) {
        WriteOut(out);
        out.clear();
      }
    }
  } catch (const Error& error) {
    WriteOut(out);
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + error.message());
    return 1;
  }
  WriteOut(out);
  if (!reader.Error().isEmpty()) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + reader.Error());
    return 1;
  }
  return 0;
}

const CommandRegistration registration("romanize", kUsage, &Romanize);

}  // namespace
}  // namespace ravlek::cli
