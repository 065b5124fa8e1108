#pragma once
// ravlek-cli run as a program by the tests; RAVLEK_CLI_PATH, which the test program defines, names
// the built program.

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

// Runs ravlek-cli with `args`, gives it `input` on standard input and waits up to a minute; the
// exit code is -1 when it did not end by itself in that time. outputFile: where standard output
// goes instead of a pipe (empty: read back into `out`).
inline CliRun RunCliProgram(const QStringList& args, const QByteArray& input = {},
                            const QString& outputFile = {}) {
  QProcess process;
  if (!outputFile.isEmpty()) process.setStandardOutputFile(outputFile);
  process.start(QStringLiteral(RAVLEK_CLI_PATH), args);
  process.write(input);
  process.closeWriteChannel();
  const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
  return {ended ? process.exitCode() : -1, process.readAllStandardOutput(),
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
