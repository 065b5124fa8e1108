// Ravlek_Start: installs the staged upgrade archives, creates the start marker and starts Ravlek.
// The application folder is the folder of this executable, so the starter works from any current
// directory (a desktop shortcut, a terminal elsewhere).
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "app/program_door.h"
#include "base/app_folder.h"
#include "starter.h"
#include "starter_box.h"

int main(int argc, char** argv) {
  const auto app = ravlek::MakeStarterApplication(argc, argv);
  const QString appDir = QCoreApplication::applicationDirPath();

  // A second start while the first still installs or starts (a double double-click) starts
  // nothing: it would find the first one's work half done.
  const ravlek::StarterLock lock(appDir);
  if (!lock.held()) {
    ravlek::TellUser(ravlek::kAlreadyStartingText);
    return 0;
  }
  // One program per folder: a program running here comes forward, and nothing is installed
  // under it.
  if (ravlek::ProgramLock(appDir).busy()) {
    if (!ravlek::BringProgramForward(appDir, 5000)) ravlek::TellUser(ravlek::kAlreadyRunningText);
    return 0;
  }
  const ravlek::StarterReport report = ravlek::InstallStagedArchives(appDir);
  // The program tells a refused update at its start, from the note the install left.
  for (const QString& line : report.failures) {
    std::fprintf(stderr, "Ravlek_Start: upgrade not installed: %s\n", qUtf8Printable(line));
  }
  QString reason;
  if (!ravlek::CreateStartMarker(appDir, &reason)) {
    ravlek::TellUser(
        ravlek::kMarkerFailedText,
        QStringLiteral("%1: %2").arg(
            QDir::toNativeSeparators(QDir(appDir).filePath(ravlek::kStartMarkerFile)), reason));
    return 1;
  }
  const QString program = QDir(appDir).filePath(ravlek::kProgramFileName);
  if (!ravlek::StartProgram(program, appDir, &reason)) {
    ravlek::TellUser(ravlek::kProgramNotStartedText,
                     QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(program), reason));
    return 1;
  }
  return 0;
}
