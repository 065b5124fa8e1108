#include "tests/support/app_folder_fixture.h"

#include <QDir>
#include <QFile>
#include <stdexcept>

#include "build_paths.h"
#include "tests/support/dictionary_fixture.h"

namespace ravlek::test {

namespace {

void CopyFromBuiltAppFolder(const QString& relative, const QString& target) {
  const QString source = QDir(QStringLiteral(RAVLEK_DEFAULT_APP_DIR)).filePath(relative);
  QDir().mkpath(QFileInfo(target).absolutePath());
  if (!QFile::copy(source, target)) {
    throw std::runtime_error("missing in the built application folder: " + source.toStdString());
  }
}

FixtureDictionary SmallDictionary() {
  FixtureDictionary dictionary;
  auto row = [](const char* han, const char* type, const char* spell, const char* rhyme) {
    return FixtureRow{{QStringLiteral("HanWord"), QString::fromUtf8(han)},
                      {QStringLiteral("Ptype"), QString::fromUtf8(type)},
                      {QStringLiteral("HanSpell"), QString::fromUtf8(spell)},
                      {QStringLiteral("PoemRhyme"), QString::fromUtf8(rhyme)},
                      {QStringLiteral("Phone_desc"), QString::fromUtf8("音注 ") + han},
                      {QStringLiteral("Desc"), QString::fromUtf8("說明 ") + han}};
  };
  dictionary.ravlekRows = {row("東", "文", "tong1", "上平一東"),
                           row("東", "白", "tang1", "上平一東"),
                           row("讚", "通", "tsan3", "去聲十五翰")};
  dictionary.baseWords = {{QStringLiteral("東"), QStringLiteral("tong1")}};
  return dictionary;
}

}  // namespace

AppFolderFixture::AppFolderFixture() : AppFolderFixture(Options{}) {}

AppFolderFixture::AppFolderFixture(const Options& options) {
  if (!dir_.isValid()) throw std::runtime_error("cannot make a temporary folder");
  if (options.database)
    WriteFixtureDictionary(FilePath(QStringLiteral("Ravlek.db")), SmallDictionary());
  if (options.connectionDefs) {
    WriteFile(QStringLiteral("FDConnectionDefs.ini"),
              "[Connect_RavlekDB]\nDriverID=SQLite\nDatabase=Ravlek.db\n\n"
              "[Connect_RavlekXML]\nXMLpath=last_release_XML\n");
  }
  for (const QString& file :
       {QStringLiteral("installedXML/CurrentVersion.xml"),
        QStringLiteral("installedXML/information.xml"),
        QStringLiteral("installedXML/release_sequence.txt"), QStringLiteral("ReleaseNote.txt"),
        QStringLiteral("TSU.ttf"), QStringLiteral("classical_readings.tsv"),
        QStringLiteral("phrases.terra.tsv")}) {
    CopyFromBuiltAppFolder(file, FilePath(file));
  }
  if (options.marker) WriteMarker();
}

bool AppFolderFixture::Exists(const QString& relative) const {
  return QFileInfo::exists(FilePath(relative));
}

void AppFolderFixture::WriteMarker() const {
  WriteFile(QStringLiteral("__sys_Ravlek.ini"), {});
}

void AppFolderFixture::WriteFile(const QString& relative, const QByteArray& content) const {
  QFile file(FilePath(relative));
  QDir().mkpath(QFileInfo(file).absolutePath());
  if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
    throw std::runtime_error("cannot write " + file.fileName().toStdString());
  }
}

CurrentDirGuard::CurrentDirGuard(const QString& folder) : previous_(QDir::currentPath()) {
  QDir::setCurrent(folder);
}

CurrentDirGuard::~CurrentDirGuard() {
  QDir::setCurrent(previous_);
}

}  // namespace ravlek::test
