#pragma once
// ravlek-cli run as a program by the command tests (RAVLEK_CLI_PATH names the built program).

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace ravlek::test {

struct CliRun {
  int exitCode = -1;
  QByteArray out;
  QString err;
};

// Runs ravlek-cli with `args`, gives it `input` on standard input and waits up to a minute.
// outputFile: where standard output goes instead of a pipe (empty: read back into `out`).
inline CliRun RunCliProgram(const QStringList& args, const QByteArray& input = {},
                            const QString& outputFile = {}) {
  QProcess process;
  if (!outputFile.isEmpty()) process.setStandardOutputFile(outputFile);
  process.start(QStringLiteral(RAVLEK_CLI_PATH), args);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(60000);
  return {process.exitCode(), process.readAllStandardOutput(),
          QString::fromUtf8(process.readAllStandardError())};
}

// The same with standard output decoded, for commands that write text.
struct CliTextRun {
  int exitCode = -1;
  QString out;
  QString err;
};

inline CliTextRun RunCli(const QStringList& args) {
  const CliRun run = RunCliProgram(args);
  return {run.exitCode, QString::fromUtf8(run.out), run.err};
}

}  // namespace ravlek::test
