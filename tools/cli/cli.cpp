// ravlek-cli's entry point: global options, the command registry, and the shared helpers.

#include "cli.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "base/error.h"
#include "dictionary/connection.h"

namespace ravlek::cli {
namespace {

std::map<QString, CommandSpec>& Registry() {
  static std::map<QString, CommandSpec> commands;
  return commands;
}

const QString kGlobalUsage = QStringLiteral("ravlek-cli [--app-dir DIR | --db FILE] ");
constexpr qsizetype kWidth = 79;         // the help's lines
constexpr qsizetype kLongestLabel = 22;  // a longer option puts its description on the next line

// The one place the messages of a command get their prefix.
QString Prefixed(const QString& command, const QString& message) {
  return QStringLiteral("ravlek-cli %1: %2").arg(command, message);
}

const OptionSpec kAppDirOption{{QStringLiteral("app-dir")},
                               QStringLiteral("DIR"),
                               QStringLiteral("the application folder whose FDConnectionDefs.ini "
                                              "names the dictionary")};
const OptionSpec kDbOption{
    {QStringLiteral("db")}, QStringLiteral("FILE"), QStringLiteral("a SQLite dictionary file")};

QList<OptionSpec> GlobalOptions() {
  return {kAppDirOption, kDbOption,
          OptionSpec{{QStringLiteral("h"), QStringLiteral("help")},
                     {},
                     QStringLiteral("show this help and exit")},
          OptionSpec{{QStringLiteral("version")}, {}, QStringLiteral("show the version and exit")}};
}

// The options after the command name that name its dictionary.
QList<OptionSpec> DatabaseOptions(const CommandSpec& spec) {
  switch (spec.dictionary) {
    case DictionaryUse::None:
      return {};
    case DictionaryUse::Opens: {
      OptionSpec db = kDbOption;
      db.names += spec.databaseAliases;
      return {kAppDirOption, db};
    }
    case DictionaryUse::Writes: {
      return {OptionSpec(QStringList{QStringLiteral("db")} + spec.databaseAliases,
                         QStringLiteral("FILE"),
                         QStringLiteral("the SQLite file to write; made when missing"))};
    }
  }
  return {};
}

QString Typed(const QString& name) {
  return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "--table NAME" or "-h, --help".
QString OptionLabel(const OptionSpec& option) {
  QStringList names;
  for (const QString& name : option.names) names.append(Typed(name));
  QString label = names.join(QStringLiteral(", "));
  if (!option.valueName.isEmpty()) label += u' ' + option.valueName;
  return label;
}

// `text` broken into lines of at most `width` characters at blanks; a word longer than that
// stands alone.
QStringList Wrapped(const QString& text, qsizetype width) {
  QStringList lines;
  QString line;
  for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
    if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
      lines.append(line);
      line.clear();
    }
    if (!line.isEmpty()) line += u' ';
    line += word;
  }
  if (!line.isEmpty() || lines.isEmpty()) lines.append(line);
  return lines;
}

// A list of labels and descriptions, the descriptions in one column (wrapped unless `wrap` is
// false: a command's summary stays one line, the line its own help begins with).
QString Table(const QList<std::pair<QString, QString>>& rows, bool wrap = true) {
  qsizetype labelWidth = 0;
  for (const auto& [label, description] : rows) {
    if (label.size() <= kLongestLabel) labelWidth = qMax(labelWidth, label.size());
  }
  const qsizetype column = 2 + labelWidth + 2;
  QString text;
  for (const auto& [label, description] : rows) {
    QString first = QStringLiteral("  ") + label;
    const QStringList lines =
        wrap ? Wrapped(description, kWidth - column) : QStringList{description};
    if (first.size() + 2 > column) {
      text += first + u'\n';
      first.clear();
    }
    for (const QString& line : lines) {
      text += first.leftJustified(column) + line + u'\n';
      first.clear();
    }
  }
  return text;
}

QList<std::pair<QString, QString>> OptionRows(const QList<OptionSpec>& options) {
  QList<std::pair<QString, QString>> rows;
  for (const OptionSpec& option : options) rows.append({OptionLabel(option), option.description});
  return rows;
}

// The command's usage line after the global options: its name, its options (a switch or an
// optional one in brackets, one of neighbouring OneOf options between bars), its arguments.
QString Synopsis(const CommandSpec& spec) {
  QStringList parts{spec.name};
  for (qsizetype i = 0; i < spec.options.size(); ++i) {
    const OptionSpec& option = spec.options[i];
    QString label = Typed(option.names.first());
    if (!option.valueName.isEmpty()) label += u' ' + option.valueName;
    switch (option.use) {
      case OptionSpec::Use::Optional:
        parts.append(u'[' + label + u']');
        break;
      case OptionSpec::Use::Required:
        parts.append(label);
        break;
      case OptionSpec::Use::OneOf:
        if (i > 0 && spec.options[i - 1].use == OptionSpec::Use::OneOf) {
          parts.last() += QStringLiteral(" | ") + label;
        } else {
          parts.append(label);
        }
        break;
    }
  }
  for (const ArgumentSpec& argument : spec.arguments) {
    parts.append(argument.optional ? u'[' + argument.name + u']' : argument.name);
  }
  return parts.join(u' ');
}

QString ProgramHelp() {
  QString text = QStringLiteral("Usage: ") + kGlobalUsage + QStringLiteral("COMMAND [ARGS]\n") +
                 QStringLiteral(
                     "  or:  ravlek-cli COMMAND --help\n"
                     "  or:  ravlek-cli --help | --version\n"
                     "Looks up, transcribes and checks Taiwanese readings of Chinese characters "
                     "with the\ndictionary of Ravlek (台語Ostrel輔助系統), "
                     "for scripts and batch work. Input and output are UTF-8.\n\n"
                     "Options:\n");
  text += Table(OptionRows(GlobalOptions()));
  text += QStringLiteral(
      "\nWithout --app-dir or --db, the application folder is the folder of this program when "
      "it\nholds FDConnectionDefs.ini, else the user's folder made by the ravlek launcher\n"
      "($XDG_DATA_HOME/ravlek), else the installed template. A command that uses the dictionary\n"
      "takes --app-dir or --db after its name as well.\n\n"
      "Commands:\n");
  QList<std::pair<QString, QString>> commands;
  for (const auto& [name, command] : Registry()) commands.append({name, command.summary});
  text += Table(commands, false);
  text += QStringLiteral(
      "\n'ravlek-cli COMMAND --help' tells a command's arguments.\n\n"
      "Exit status:\n"
      "  0  done\n"
      "  1  an error (a file that cannot be read, a dictionary that cannot be opened)\n"
      "  2  a usage error\n");
  return text;
}

QString CommandHelp(const CommandSpec& spec) {
  QString text =
      QStringLiteral("Usage: ") + kGlobalUsage + Synopsis(spec) + u'\n' + spec.summary + u'\n';
  // The about text flows: its paragraphs (separated by an empty line) are wrapped anew.
  QStringList paragraphs;
  for (QString paragraph : spec.about.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
    paragraphs.append(Wrapped(paragraph.replace(u'\n', u' '), kWidth).join(u'\n'));
  }
  if (!paragraphs.isEmpty()) text += paragraphs.join(QStringLiteral("\n\n")) + u'\n';
  const QList<OptionSpec> database = DatabaseOptions(spec);
  if (!spec.options.isEmpty() || !database.isEmpty()) {
    text += QStringLiteral("\nOptions:\n") + Table(OptionRows(spec.options + database));
  }
  if (!spec.arguments.isEmpty()) {
    QList<std::pair<QString, QString>> rows;
    for (const ArgumentSpec& argument : spec.arguments) {
      rows.append({argument.name, argument.description});
    }
    text += QStringLiteral("\nArguments:\n") + Table(rows);
  }
  text += QStringLiteral("\nSee 'ravlek-cli --help' for the global options");
  text +=
      spec.dictionary == DictionaryUse::None
          ? QStringLiteral(".\n")
          : QStringLiteral(" (") + spec.name + QStringLiteral(" uses the dictionary they name).\n");
  return text;
}

void WriteUsage() {
  QString text = QStringLiteral("usage: ") + kGlobalUsage + QStringLiteral("COMMAND [ARGS]\n");
  text += QStringLiteral("commands:\n");
  for (const auto& [name, command] : Registry())
    text += QStringLiteral("  ") + Synopsis(command) + u'\n';
  text += QStringLiteral("'ravlek-cli --help' tells more.\n");
  std::fputs(text.toUtf8().constData(), stderr);
}

int UsageError(const QString& message) {
  WriteErr(QStringLiteral("ravlek-cli: ") + message);
  WriteUsage();
  return 2;
}

int CommandUsageError(const CommandSpec& spec, const QString& problem) {
  WriteErr(Prefixed(spec.name, problem));
  WriteErr(QStringLiteral("usage: ") + kGlobalUsage + Synopsis(spec));
  return 2;
}

QList<QCommandLineOption> ParserOptions(const QList<OptionSpec>& options) {
  QList<QCommandLineOption> parserOptions;
  for (const OptionSpec& option : options) {
    parserOptions.append(QCommandLineOption(option.names, QString(), option.valueName));
  }
  return parserOptions;
}

// What is wrong with the arguments `parser` has read, naming the argument; empty when nothing.
// `options`: those whose value may be given once only.
QString ParseProblem(const QCommandLineParser& parser, bool parsed,
                     const QList<QCommandLineOption>& options, const QStringList& args) {
  // An option as it was typed (-name or --name), under any of its names.
  const auto typed = [&args](const QStringList& names) {
    for (const QString& arg : args) {
      const QString typedName = arg.section(u'=', 0, 0);
      for (const QString& name : names) {
        if (typedName == QLatin1String("--") + name || typedName == QLatin1Char('-') + name) {
          return typedName;
        }
      }
    }
    return QLatin1String("--") + names.first();
  };
  if (!parser.unknownOptionNames().isEmpty()) {
    return QStringLiteral("unknown option %1").arg(typed({parser.unknownOptionNames().first()}));
  }
  if (!parsed) {
    // An option that needs a value can miss it only at the end; else Qt's text names the option
    // given a value it does not take.
    if (parser.errorText().startsWith(QLatin1String("Missing value"))) {
      return QStringLiteral("%1 needs a value").arg(args.last());
    }
    QString text = parser.errorText();
    if (text.endsWith(u'.')) text.chop(1);
    return text.left(1).toLower() + text.mid(1);
  }
  for (const QCommandLineOption& option : options) {
    if (!option.valueName().isEmpty() && parser.values(option).size() > 1) {
      return QStringLiteral("%1 given twice").arg(typed(option.names()));
    }
  }
  return {};
}

// The program's own name before the arguments, as QCommandLineParser::parse wants it.
QStringList WithProgramName(const QStringList& args) {
  return QStringList(QStringLiteral("ravlek-cli")) + args;
}

// Parses a command's arguments from its declaration and runs it. An option's value is the next
// argument whatever it holds ("lookup --char --help" looks up "--help"), or follows '=' (--char=x);
// "--" ends the options.
int RunCommand(const CommandSpec& spec, const Globals& globals, const QStringList& args) {
  const QList<OptionSpec> database = DatabaseOptions(spec);
  const QList<QCommandLineOption> options = ParserOptions(spec.options + database);
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOptions(options);
  parser.addOption(help);
  const bool parsed = parser.parse(WithProgramName(args));
  QString problem = ParseProblem(parser, parsed, options, args);
  if (problem.isEmpty() && parser.isSet(help)) {
    WriteOut(CommandHelp(spec).toUtf8());
    return 0;
  }
  if (problem.isEmpty() && parser.positionalArguments().size() > spec.arguments.size()) {
    problem = QStringLiteral("unexpected argument %1")
                  .arg(parser.positionalArguments()[spec.arguments.size()]);
  }
  // The dictionary is named before the command or after it, once.
  Globals where = globals;
  for (const OptionSpec& option : database) {
    const QString& name = option.names.first();
    QString& target = name == QLatin1String("db") ? where.dbFile : where.appDir;
    if (!problem.isEmpty() || !parser.isSet(name)) continue;
    if (!target.isEmpty()) {
      problem = QStringLiteral("%1 given twice").arg(Typed(name));
    } else {
      target = parser.value(name);
    }
  }
  // (A command that opens nothing passes over a dictionary named before it, as it always did.)
  if (problem.isEmpty() && spec.dictionary == DictionaryUse::Writes && !where.appDir.isEmpty()) {
    problem = QStringLiteral("give the SQLite file to write with --db FILE");
  } else if (problem.isEmpty() && !where.appDir.isEmpty() && !where.dbFile.isEmpty()) {
    problem = QStringLiteral("give either --app-dir or --db, not both");
  }
  if (!problem.isEmpty()) return CommandUsageError(spec, problem);
  const Invocation invocation(spec, parser, where);
  try {
    return spec.run(invocation);
  } catch (const Error& error) {
    // One line, whatever the engine's message holds.
    QString message = error.message();
    message.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    return invocation.Fail(message);
  }
}

int Run(const QStringList& args) {
  const QList<QCommandLineOption> globalOptions = ParserOptions(GlobalOptions());
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  // The options before the command name are the program's; those after it, the command's.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  parser.addOptions(globalOptions);
  const bool parsed = parser.parse(WithProgramName(args));
  // A global option given twice counts once, the last.
  if (const QString problem = ParseProblem(parser, parsed, {}, args); !problem.isEmpty()) {
    return UsageError(problem);
  }
  if (parser.isSet(QStringLiteral("help"))) {
    WriteOut(ProgramHelp().toUtf8());
    return 0;
  }
  if (parser.isSet(QStringLiteral("version"))) {
    WriteOut(QByteArray("ravlek-cli " RAVLEK_VERSION "\n"));
    return 0;
  }
  Globals globals;
  globals.appDir = parser.value(QStringLiteral("app-dir"));
  globals.dbFile = parser.value(QStringLiteral("db"));
  if (!globals.appDir.isEmpty() && !globals.dbFile.isEmpty()) {
    return UsageError(QStringLiteral("give either --app-dir or --db, not both"));
  }
  const QStringList words = parser.positionalArguments();
  if (words.isEmpty()) return UsageError(QStringLiteral("no command given"));
  // "help COMMAND" is "COMMAND --help"; "help" alone is "--help".
  if (words[0] == QLatin1String("help")) {
    if (words.size() == 1) {
      WriteOut(ProgramHelp().toUtf8());
      return 0;
    }
    if (words.size() > 2) return UsageError(QStringLiteral("help takes one command name"));
    const auto command = Registry().find(words[1]);
    if (command == Registry().end()) {
      return UsageError(QStringLiteral("unknown command %1").arg(words[1]));
    }
    WriteOut(CommandHelp(command->second).toUtf8());
    return 0;
  }
  const auto command = Registry().find(words[0]);
  if (command == Registry().end()) {
    return UsageError(QStringLiteral("unknown command %1").arg(words[0]));
  }
  return RunCommand(command->second, globals, words.mid(1));
}

}  // namespace

CommandRegistration::CommandRegistration(CommandSpec spec) {
  const QString name = spec.name;
  Registry()[name] = std::move(spec);
}

QString Invocation::AppDir() const {
  return where_.appDir.isEmpty() ? DefaultAppDir() : where_.appDir;
}

int Invocation::UsageError(const QString& problem) const {
  return CommandUsageError(spec_, problem);
}

int Invocation::Fail(const QString& message) const {
  Warn(message);
  return 1;
}

void Invocation::Warn(const QString& message) const {
  WriteErr(Prefixed(spec_.name, message));
}

QString DefaultAppDir() {
  const auto holdsSettings = [](const QString& folder) {
    return QFileInfo::exists(folder + QStringLiteral("/FDConnectionDefs.ini"));
  };
  // In the build, and in a user's application folder, the program lies in the folder itself.
  const QString own = QCoreApplication::applicationDirPath();
  if (holdsSettings(own)) return own;
  // Installed: the folder the ravlek launcher prepares, else the template it copies.
  QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
  if (!QDir::isAbsolutePath(dataHome)) {
    dataHome = QDir::homePath() + QStringLiteral("/.local/share");
  }
  const QString user = dataHome + QStringLiteral("/ravlek");
  if (holdsSettings(user)) return user;
  const QString installed = QDir::cleanPath(own + QStringLiteral("/../share/ravlek/app"));
  if (holdsSettings(installed)) return installed;
  return own;
}

bool Invocation::OpenDictionary(TFDConnection& connection) const {
  const TFDConnection::OpenResult result = where_.dbFile.isEmpty()
                                               ? connection.Open(AppDir())
                                               : connection.OpenSqliteFile(where_.dbFile);
  if (result.ok()) return true;
  QString reason = result.message;
  switch (result.kind) {
    case TFDConnection::FailureKind::Cancelled:
      reason = QStringLiteral("the connection was cancelled");
      break;
    case TFDConnection::FailureKind::InvalidLogin:
      reason = QStringLiteral("invalid user name or password: ") + reason;
      break;
    case TFDConnection::FailureKind::ServerGone:
      reason = QStringLiteral("the connection to the database was lost: ") + reason;
      break;
    default:
      break;
  }
  reason.replace(QLatin1Char('\n'), QLatin1Char(' '));
  WriteErr(QStringLiteral("ravlek-cli: cannot open the dictionary: ") + reason);
  return false;
}

void WriteOut(const QByteArray& bytes) {
  // Output that did not arrive is a failure, not a success with nothing said.
  errno = 0;
  if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout) !=
          static_cast<size_t>(bytes.size()) ||
      std::fflush(stdout) != 0) {
    const int code = errno;
    std::clearerr(stdout);
    throw Error(QStringLiteral("cannot write the output: %1")
                    .arg(QString::fromLocal8Bit(std::strerror(code != 0 ? code : EIO))));
  }
}

void WriteErr(const QString& line) {
  const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stderr);
  std::fflush(stderr);
}

}  // namespace ravlek::cli

int main(int argc, char** argv) {
  // Arguments are UTF-8 whatever the locale says, and are read before Qt looks at them.
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(QString::fromUtf8(argv[i]));
  QCoreApplication app(argc, argv);
  return ravlek::cli::Run(args);
}
