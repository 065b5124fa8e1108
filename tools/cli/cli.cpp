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

struct Command {
  const char* usage;
  CommandFn fn;
  const char* help;
};

std::map<QString, Command>& Registry() {
  static std::map<QString, Command> commands;
  return commands;
}

const QString kGlobalUsage = QStringLiteral("ravlek-cli [--app-dir DIR | --db FILE] ");

// The first line of a command's help, or its usage line when it has none.
QString Summary(const Command& command) {
  return command.help ? QString::fromUtf8(command.help).section(QLatin1Char('\n'), 0, 0)
                      : QString::fromUtf8(command.usage);
}

QString ProgramHelp() {
  QString text = QStringLiteral("Usage: ") + kGlobalUsage + QStringLiteral("COMMAND [ARGS]\n") +
                 QStringLiteral(
                     "  or:  ravlek-cli COMMAND --help\n"
                     "  or:  ravlek-cli --help | --version\n"
                     "Looks up, transcribes and checks Taiwanese readings of Chinese characters "
                     "with the\ndictionary of Ravlek (台語Ostrel輔助系統), "
                     "for scripts and batch work. Input and output are UTF-8.\n\n"
                     "Options:\n"
                     "  --app-dir DIR   the application folder whose FDConnectionDefs.ini names "
                     "the dictionary\n"
                     "  --db FILE       a SQLite dictionary file\n"
                     "  -h, --help      show this help and exit\n"
                     "  --version       show the version and exit\n\n"
                     "Without --app-dir or --db, the application folder is the folder of this "
                     "program when it\nholds FDConnectionDefs.ini, else the user's folder made "
                     "by the ravlek launcher\n($XDG_DATA_HOME/ravlek), else the installed "
                     "template.\n\n"
                     "Commands:\n");
  qsizetype width = 0;
  for (const auto& [name, command] : Registry()) width = qMax(width, name.size());
  for (const auto& [name, command] : Registry()) {
    text +=
        QStringLiteral("  ") + name.leftJustified(width + 2) + Summary(command) + QLatin1Char('\n');
  }
  text += QStringLiteral(
      "\n'ravlek-cli COMMAND --help' tells a command's arguments.\n\n"
      "Exit status:\n"
      "  0  done\n"
      "  1  an error (a file that cannot be read, a dictionary that cannot be opened)\n"
      "  2  a usage error\n");
  return text;
}

QString CommandHelp(const QString& name, const Command& command) {
  QString text = QStringLiteral("Usage: ") + kGlobalUsage + QString::fromUtf8(command.usage) +
                 QLatin1Char('\n');
  if (command.help) text += QString::fromUtf8(command.help) + QLatin1Char('\n');
  text += QStringLiteral("\nSee 'ravlek-cli --help' for the global options (") + name +
          QStringLiteral(" uses the dictionary they name).\n");
  return text;
}

void WriteUsage() {
  QString text = QStringLiteral("usage: ") + kGlobalUsage + QStringLiteral("COMMAND [ARGS]\n");
  text += QStringLiteral("commands:\n");
  for (const auto& [name, command] : Registry()) {
    text += QStringLiteral("  ") + QString::fromUtf8(command.usage) + QLatin1Char('\n');
  }
  text += QStringLiteral("'ravlek-cli --help' tells more.\n");
  std::fputs(text.toUtf8().constData(), stderr);
}

int UsageError(const QString& message) {
  WriteErr(QStringLiteral("ravlek-cli: ") + message);
  WriteUsage();
  return 2;
}

// What is wrong with the arguments `parser` has read, naming the argument; empty when nothing.
// `options`: those whose value may be given once only.
QString ParseProblem(const QCommandLineParser& parser, bool parsed,
                     const QList<QCommandLineOption>& options, const QStringList& args) {
  // An option as it was typed (-name or --name).
  const auto typed = [&args](const QString& name) {
    for (const QString& arg : args) {
      const QString option = arg.section(u'=', 0, 0);
      if (option == QLatin1String("--") + name || option == QLatin1Char('-') + name) return option;
    }
    return QLatin1String("--") + name;
  };
  if (!parser.unknownOptionNames().isEmpty()) {
    return QStringLiteral("unknown option %1").arg(typed(parser.unknownOptionNames().first()));
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
      return QStringLiteral("%1 given twice").arg(typed(option.names().first()));
    }
  }
  return {};
}

// The program's own name before the arguments, as QCommandLineParser::parse wants it.
QStringList WithProgramName(const QStringList& args) {
  return QStringList(QStringLiteral("ravlek-cli")) + args;
}

int Run(const QStringList& args) {
  const QCommandLineOption appDir(QStringLiteral("app-dir"), QString(), QStringLiteral("DIR"));
  const QCommandLineOption db(QStringLiteral("db"), QString(), QStringLiteral("FILE"));
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  const QCommandLineOption version(QStringLiteral("version"));
  QCommandLineParser parser;
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  // The options before the command name are the program's; those after it, the command's.
  parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
  parser.addOptions({appDir, db, help, version});
  const bool parsed = parser.parse(WithProgramName(args));
  // A global option given twice counts once, the last.
  if (const QString problem = ParseProblem(parser, parsed, {}, args); !problem.isEmpty()) {
    return UsageError(problem);
  }
  if (parser.isSet(help)) {
    WriteOut(ProgramHelp().toUtf8());
    return 0;
  }
  if (parser.isSet(version)) {
    WriteOut(QByteArray("ravlek-cli " RAVLEK_VERSION "\n"));
    return 0;
  }
  Globals globals;
  globals.appDir = parser.value(appDir);
  globals.dbFile = parser.value(db);
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
    WriteOut(CommandHelp(command->first, command->second).toUtf8());
    return 0;
  }
  const auto command = Registry().find(words[0]);
  if (command == Registry().end()) {
    return UsageError(QStringLiteral("unknown command %1").arg(words[0]));
  }
  try {
    return command->second.fn(globals, words.mid(1));
  } catch (const Error& error) {
    // One line, whatever the engine's message holds.
    QString message = error.message();
    message.replace(QLatin1String("\r\n"), QLatin1String(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
    WriteErr(QStringLiteral("ravlek-cli %1: %2").arg(command->first, message));
    return 1;
  }
}

}  // namespace

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn fn,
                                         const char* help) {
  Registry()[QString::fromUtf8(name)] = Command{usage, fn, help};
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

bool OpenDictionary(const Globals& globals, TFDConnection& connection) {
  const TFDConnection::OpenResult result =
      globals.dbFile.isEmpty()
          ? connection.Open(globals.appDir.isEmpty() ? DefaultAppDir() : globals.appDir)
          : connection.OpenSqliteFile(globals.dbFile);
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

std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QString& command,
                                    const QList<QCommandLineOption>& options,
                                    const QStringList& args, qsizetype maxArguments) {
  const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.addOptions(options);
  parser.addOption(help);
  const bool parsed = parser.parse(WithProgramName(args));
  QString problem = ParseProblem(parser, parsed, options, args);
  if (problem.isEmpty() && parser.isSet(help)) {
    const auto found = Registry().find(command);
    if (found != Registry().end()) WriteOut(CommandHelp(found->first, found->second).toUtf8());
    return 0;
  }
  if (problem.isEmpty() && parser.positionalArguments().size() > maxArguments) {
    problem =
        QStringLiteral("unexpected argument %1").arg(parser.positionalArguments()[maxArguments]);
  }
  if (!problem.isEmpty()) return CommandUsageError(command, problem);
  return std::nullopt;
}

int CommandUsageError(const QString& command, const QString& problem) {
  WriteErr(QStringLiteral("ravlek-cli %1: %2").arg(command, problem));
  const auto found = Registry().find(command);
  const QString usage =
      found != Registry().end() ? QString::fromUtf8(found->second.usage) : command;
  WriteErr(QStringLiteral("usage: ") + kGlobalUsage + usage);
  return 2;
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
