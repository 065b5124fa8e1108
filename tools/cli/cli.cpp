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

bool IsHelpOption(const QString& arg) {
  return arg == QLatin1String("--help") || arg == QLatin1String("-h");
}

int Run(const QStringList& args) {
  Globals globals;
  qsizetype i = 0;
  for (; i < args.size() && args[i].startsWith(u'-'); ++i) {
    const QString& option = args[i];
    if (IsHelpOption(option)) {
      WriteOut(ProgramHelp().toUtf8());
      return 0;
    }
    if (option == QLatin1String("--version")) {
      WriteOut(QByteArray("ravlek-cli " RAVLEK_VERSION "\n"));
      return 0;
    }
    QString* target = option == QLatin1String("--app-dir") ? &globals.appDir
                      : option == QLatin1String("--db")    ? &globals.dbFile
                                                           : nullptr;
    if (!target) return UsageError(QStringLiteral("unknown option %1").arg(option));
    if (i + 1 >= args.size()) return UsageError(QStringLiteral("%1 needs a value").arg(option));
    *target = args[++i];
  }
  if (!globals.appDir.isEmpty() && !globals.dbFile.isEmpty()) {
    return UsageError(QStringLiteral("give either --app-dir or --db, not both"));
  }
  if (i >= args.size()) return UsageError(QStringLiteral("no command given"));
  // "help COMMAND" is "COMMAND --help"; "help" alone is "--help".
  if (args[i] == QLatin1String("help")) {
    if (i + 1 >= args.size()) {
      WriteOut(ProgramHelp().toUtf8());
      return 0;
    }
    if (i + 2 < args.size()) return UsageError(QStringLiteral("help takes one command name"));
    const auto command = Registry().find(args[i + 1]);
    if (command == Registry().end()) {
      return UsageError(QStringLiteral("unknown command %1").arg(args[i + 1]));
    }
    WriteOut(CommandHelp(command->first, command->second).toUtf8());
    return 0;
  }
  const auto command = Registry().find(args[i]);
  if (command == Registry().end()) {
    return UsageError(QStringLiteral("unknown command %1").arg(args[i]));
  }
  // Only right after the command name: later, "--help" may be a search text.
  if (i + 1 < args.size() && IsHelpOption(args[i + 1])) {
    WriteOut(CommandHelp(command->first, command->second).toUtf8());
    return 0;
  }
  try {
    return command->second.fn(globals, args.mid(i + 1));
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

int CommandUsageError(const char* usage) {
  WriteErr(QStringLiteral("usage: ravlek-cli [--app-dir DIR | --db FILE] ") +
           QString::fromUtf8(usage));
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
