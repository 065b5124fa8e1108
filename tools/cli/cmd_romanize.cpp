// ravlek-cli romanize: each line of the input, then its romanised line.

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
  QString text;
  if (QString error; !ReadTextInput(path, text, error)) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + error);
    return 1;
  }

  TFDConnection connection;
  if (!OpenDictionary(globals, connection)) return 1;
  try {
    const QString name = QStringLiteral("FDQuerySQLRavlekTable");
    TFDQuery query(connection, name, DatasetStatement(name));
    DatasetClassReadingSource source(query);
    const QStringList lines = SplitTextLines(text);
    const QStringList romanised = RomanizeLines(lines, options, source);
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
      out += lines[i].toUtf8();
      out += '\n';
      out += romanised[i].toUtf8();
      out += '\n';
    }
    WriteOut(out);
  } catch (const Error& error) {
    WriteErr(QStringLiteral("ravlek-cli romanize: ") + error.message());
    return 1;
  }
  return 0;
}

const CommandRegistration registration("romanize", kUsage, &Romanize);

}  // namespace
}  // namespace ravlek::cli
