#pragma once
// What a whole program costs, read from /usr/bin/time -v: the anchors of the command-line
// benchmarks (sqlite3, psql) and ravlek-cli measured the same way.

#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace ravlek::bench {

struct Usage {
  double cpuSeconds = 0;
  double peakMiB = 0;
  bool ok = false;
};

// Runs a program under /usr/bin/time -v, its output thrown away, its input from a file if given.
inline Usage Run(const QString& program, const QStringList& arguments, const QString& input = {}) {
  QProcess process;
  process.setStandardOutputFile(QProcess::nullDevice());
  if (!input.isEmpty()) process.setStandardInputFile(input);
  process.start(QStringLiteral("/usr/bin/time"),
                QStringList{QStringLiteral("-v"), program} + arguments);
  process.waitForFinished(-1);
  const QString report = QString::fromUtf8(process.readAllStandardError());
  const auto number = [&report](const char* label) {
    const auto match =
        QRegularExpression(QString::fromLatin1(label) + QStringLiteral(": ([0-9.]+)"))
            .match(report);
    return match.hasMatch() ? match.captured(1).toDouble() : 0.0;
  };
  Usage usage;
  usage.cpuSeconds = number("User time \\(seconds\\)") + number("System time \\(seconds\\)");
  usage.peakMiB = number("Maximum resident set size \\(kbytes\\)") / 1024.0;
  usage.ok = process.exitCode() == 0 && report.contains(QStringLiteral("Exit status: 0"));
  return usage;
}

}  // namespace ravlek::bench
