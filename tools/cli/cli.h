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

struct CommandRegistration {
  CommandRegistration(const char* name, const char* usage, CommandFn fn);
};

// Opens the dictionary the global options name (without them, the build's application folder).
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
