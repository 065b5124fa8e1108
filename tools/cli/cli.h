#pragma once
// ravlek-cli: one program for scripting, batch work and checks. Each command lives in its own
// file cmd_<name>.cpp and registers itself with a static CommandRegistration.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <optional>

namespace ravlek {
class TFDConnection;
}

namespace ravlek::cli {

// Options given before the command name.
struct Globals {
  QString appDir;  // --app-dir DIR
  QString dbFile;  // --db FILE
};

// A command receives the arguments after its name, writes its output (UTF-8 bytes) to standard
// output and its errors to standard error, and returns the exit status: 0 done, 1 error, 2 usage.
using CommandFn = int (*)(const Globals& globals, const QStringList& args);

// `usage` is the command's usage line; `help`, when given, its description for --help: a first
// line that sums the command up, then the lines that explain its arguments.
struct CommandRegistration {
  CommandRegistration(const char* name, const char* usage, CommandFn fn,
                      const char* help = nullptr);
};

// The application folder used without --app-dir or --db: the program's own folder when it holds
// the settings (the build's folder, a user's folder), else the folder the ravlek launcher prepares
// under the XDG data folder, else the installed template, else the program's own folder.
QString DefaultAppDir();

// Opens the dictionary the global options name (without them, DefaultAppDir()).
// On failure writes one clear line to standard error and returns false.
bool OpenDictionary(const Globals& globals, TFDConnection& connection);

// Declares a command's options (and -h, --help) on `parser` and parses the command's arguments
// with it. An option's value is the next argument whatever it holds ("lookup --char --help" looks
// up "--help"), or follows '=' (--char=x); "--" ends the options. Returns std::nullopt when the
// command goes on, else the status it ends with: 0 after its help on standard output, 2 after a
// usage error that names the bad argument (an unknown option, an option without its value, a
// value given twice, more than maxArguments arguments besides the options).
std::optional<int> ParseCommandLine(QCommandLineParser& parser, const QString& command,
                                    const QList<QCommandLineOption>& options,
                                    const QStringList& args, qsizetype maxArguments = 0);

// Writes "ravlek-cli COMMAND: problem", then the command's usage line with the global options
// before it, to standard error and returns the usage status 2.
int CommandUsageError(const QString& command, const QString& problem);

// Writes UTF-8 bytes to standard output / standard error exactly as given. WriteOut raises Error
// when the bytes cannot be written or flushed.
void WriteOut(const QByteArray& bytes);
void WriteErr(const QString& line);

}  // namespace ravlek::cli
