#pragma once
// ravlek-cli: one program for scripting, batch work and checks. Each command lives in its own
// file cmd_<name>.cpp and registers itself with a static CommandRegistration.

#include <QString>
#include <QStringList>

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

// Writes a command's usage line, the global options before it, to standard error and returns the
// usage status 2.
int CommandUsageError(const char* usage);

// Writes UTF-8 bytes to standard output / standard error exactly as given. WriteOut raises Error
// when the bytes cannot be written or flushed.
void WriteOut(const QByteArray& bytes);
void WriteErr(const QString& line);

}  // namespace ravlek::cli
