#pragma once
// ravlek-cli: one program for scripting, batch work and checks. Each command lives in its own
// file cmd_<name>.cpp (the build picks up every such file) and declares itself once with a
// static CommandRegistration: its name, a summary, its options and arguments with what they do,
// whether it opens the dictionary, and the function that runs it. The program parses the
// arguments from that declaration, and makes from it the command's usage line, its --help, the
// list in ravlek-cli --help and so the manual page; docs/command-line.md shows a new command
// step by step.

#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

namespace ravlek {
class TFDConnection;
}

namespace ravlek::cli {

// Where the dictionary is: --app-dir DIR or --db FILE, before the command name or after it.
struct Globals {
  QString appDir;  // --app-dir DIR
  QString dbFile;  // --db FILE
};

struct OptionSpec {
  enum class Use {
    Optional,
    Required,
    OneOf,  // exactly one of the neighbouring OneOf options is given (the command checks it)
  };
  OptionSpec(QStringList names, QString valueName, QString description, Use use = Use::Optional)
      : names(std::move(names)),
        valueName(std::move(valueName)),
        description(std::move(description)),
        use(use) {}

  QStringList names;    // the first is its name in the help; the others are aliases kept working
  QString valueName;    // empty for a switch
  QString description;  // one sentence or more; the help wraps it
  Use use;
};

struct ArgumentSpec {
  ArgumentSpec(QString name, QString description, bool optional = true)
      : name(std::move(name)), description(std::move(description)), optional(optional) {}

  QString name;  // FILE, EXPR
  QString description;
  bool optional;
};

enum class DictionaryUse {
  None,    // --app-dir and --db are refused
  Opens,   // reads the dictionary that --app-dir or --db names (else DefaultAppDir())
  Writes,  // writes the SQLite file that --db (or an alias the command declares) names
};

class Invocation;
// Writes the output (UTF-8 bytes) to standard output and errors to standard error through the
// invocation, and returns the exit status: 0 done, 1 error, 2 usage.
using CommandFn = int (*)(const Invocation& command);

struct CommandSpec {
  QString name;
  QString summary;  // one line: the command in the list of ravlek-cli --help
  QString about;  // what follows it in the command's help, wrapped there; may be empty
  QList<OptionSpec> options;
  QList<ArgumentSpec> arguments;  // at most this many arguments besides the options
  DictionaryUse dictionary = DictionaryUse::Opens;
  QStringList databaseAliases;  // more names of --db after the command name (import's --to)
  CommandFn run = nullptr;
};

// A command file declares itself with a function that fills a CommandSpec:
//   CommandSpec Declaration() { CommandSpec spec; spec.name = ...; return spec; }
//   const CommandRegistration registration(Declaration());
struct CommandRegistration {
  explicit CommandRegistration(CommandSpec spec);
};

// A command's parsed arguments and the one place its messages get their prefix.
class Invocation {
 public:
  Invocation(const CommandSpec& spec, const QCommandLineParser& parser, Globals where)
      : spec_(spec), parser_(parser), where_(std::move(where)) {}

  const QString& Name() const { return spec_.name; }
  bool IsSet(const QString& option) const { return parser_.isSet(option); }
  QString Value(const QString& option) const { return parser_.value(option); }
  QStringList Arguments() const { return parser_.positionalArguments(); }
  // Where the dictionary is, as given before or after the command name.
  const Globals& Where() const { return where_; }
  // The application folder: the one given, else DefaultAppDir().
  QString AppDir() const;
  // Opens the dictionary; on failure writes one clear line to standard error and returns false.
  bool OpenDictionary(TFDConnection& connection) const;

  // "ravlek-cli NAME: problem", then the usage line; returns the usage status 2.
  int UsageError(const QString& problem) const;
  // "ravlek-cli NAME: message" on standard error; returns the error status 1.
  int Fail(const QString& message) const;
  // The same line, for a command that goes on.
  void Warn(const QString& message) const;

 private:
  const CommandSpec& spec_;
  const QCommandLineParser& parser_;
  Globals where_;
};

// The application folder used without --app-dir or --db: the program's own folder when it holds
// the settings (the build's folder, a user's folder), else the folder the ravlek launcher prepares
// under the XDG data folder, else the installed template, else the program's own folder.
QString DefaultAppDir();

// Writes UTF-8 bytes to standard output / a line to standard error exactly as given. WriteOut
// raises Error when the bytes cannot be written or flushed.
void WriteOut(const QByteArray& bytes);
void WriteErr(const QString& line);

}  // namespace ravlek::cli
