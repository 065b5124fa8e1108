// ravlek-cli's entry point: global options, the command registry, and the shared helpers.

#include "cli.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

#include "app/error.h"
#include "dictionary/connection.h"

namespace ravlek::cli {
namespace {

struct Command {
  const char* usage;
  CommandFn fn;
};

std::map<QString, Command>& Registry() {
  static std::map<QString, Command> commands;
  return commands;
}

void WriteUsage() {
  QString text = QStringLiteral("usage: ravlek-cli [--app-dir DIR | --db FILE] COMMAND [ARGS]\n");
  text += QStringLiteral("commands:\n");
  for (const auto& [name, command] : Registry()) {
    text += QStringLiteral("  ") + QString::fromUtf8(command.usage) + QLatin1Char('\n');
  }
  std::fputs(text.toUtf8().constData(), stderr);
}

int UsageError(const QString& message) {
  WriteErr(QStringLiteral("ravlek-cli: ") + message);
  WriteUsage();
  return 2;
}

int Run(const QStringList& args) {
  Globals globals;
  qsizetype i = 0;
  for (; i < args.size() && args[i].startsWith(QLatin1String("--")); ++i) {
    const QString& option = args[i];
    if (option == QLatin1String("--help")) {
      WriteUsage();
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
  const auto command = Registry().find(args[i]);
  if (command == Registry().end()) {
    return UsageError(QStringLiteral("unknown command %1").arg(args[i]));
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

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn fn) {
  Registry()[QString::fromUtf8(name)] = Command{usage, fn};
}

bool OpenDictionary(const Globals& globals, TFDConnection& connection) {
  const TFDConnection::OpenResult result =
      globals.dbFile.isEmpty()
          ? connection.Open(globals.appDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                                     : globals.appDir)
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
