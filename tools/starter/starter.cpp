#include "starter.h"

#include <QDir>
#include <QFile>
#include <QProcess>

#include "app/app_folder.h"
#include "app/error.h"
#include "release/unzip.h"

namespace ravlek {

StarterReport InstallStagedArchives(const QString& appDir) {
  StarterReport report;
  const QDir staging(QDir(appDir).filePath(QStringLiteral("upgrade_zip")));
  for (const QString& name : kStagedArchives) {
    const QString archive = staging.filePath(name);
    if (!QFile::exists(archive)) continue;
    try {
      UnzipToFolder(archive, appDir);
      QFile::remove(archive);
      report.installed.append(name);
    } catch (const std::exception& error) {
      report.failures.append(QStringLiteral("%1: %2").arg(name, QString::fromUtf8(error.what())));
    }
  }
  return report;
}

bool CreateStartMarker(const QString& appDir) {
  // Always a new, empty marker: one left behind by a run that did not end normally still holds
  // that run's settings (the editor counted as started), which must not carry over.
  QFile marker(QDir(appDir).filePath(kStartMarkerFile));
  return marker.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool StartProgram(const QString& program, const QString& appDir) {
  return QProcess::startDetached(program, {}, appDir);
}

}  // namespace ravlek
