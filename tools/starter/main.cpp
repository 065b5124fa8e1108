// Ravlek_Start: installs the staged upgrade archives, creates the start marker and starts Ravlek.
// The application folder is the folder of this executable, so the starter works from any current
// directory (a desktop shortcut, a terminal elsewhere).
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

#include "base/app_folder.h"
#include "starter.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QString appDir = QCoreApplication::applicationDirPath();

  // A second start while the first still installs or starts (a double double-click) starts
  // nothing: it would find the first one's work half done.
  const ravlek::StarterLock lock(appDir);
  if (!lock.held()) {
    std::fprintf(stderr, "Ravlek_Start: %s\n", qUtf8Printable(ravlek::kAlreadyStartingText));
    return 0;
  }
  const ravlek::StarterReport report = ravlek::InstallStagedArchives(appDir);
  for (const QString& line : report.failures) {
    std::fprintf(stderr, "Ravlek_Start: upgrade not installed: %s\n", qUtf8Printable(line));
  }
  if (!ravlek::CreateStartMarker(appDir)) {
    std::fprintf(stderr, "Ravlek_Start: cannot create the start marker in %s\n",
                 qUtf8Printable(QDir::toNativeSeparators(appDir)));
    return 1;
  }
  const QString program = QDir(appDir).filePath(ravlek::kProgramFileName);
  if (!ravlek::StartProgram(program, appDir)) {
    std::fprintf(stderr, "Ravlek_Start: cannot start %s\n",
                 qUtf8Printable(QDir::toNativeSeparators(program)));
    return 1;
  }
  return 0;
}
