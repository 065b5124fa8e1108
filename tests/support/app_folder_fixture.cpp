#include "tests/support/app_folder_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <stdexcept>

#include "build_paths.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/own_release_server.h"

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

void PrepareWindowTestEnvironment() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").isEmpty()) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  EnsureOwnReleaseServer();
}

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
  for (const QString& file : {QStringLiteral("installedXML/CurrentVersion.xml"),
                              QStringLiteral("installedXML/information.xml"),
                              QStringLiteral("ReleaseNote.txt"), QStringLiteral("TSU.ttf")}) {
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

ModalBoxDismisser::ModalBoxDismisser(int delayMs) : delayMs_(delayMs) {
  timer_.setInterval(5);
  connect(&timer_, &QTimer::timeout, this, &ModalBoxDismisser::Poll);
  timer_.start();
}

QStringList ModalBoxDismisser::Texts() const {
  QStringList texts;
  for (const Box& box : boxes_) texts.append(box.text);
  return texts;
}

void ModalBoxDismisser::Poll() {
  auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
  if (!box || !box->isVisible()) {
    pending_ = nullptr;
    return;
  }
  if (pending_ != box) {
    pending_ = box;
    seenFor_ = 0;
    return;
  }
  seenFor_ += timer_.interval();
  if (seenFor_ < delayMs_) return;
  boxes_.append({box->windowTitle(), box->text(), box->icon() == QMessageBox::Critical,
                 box->textFormat() == Qt::PlainText});
  pending_ = nullptr;
  box->done(QMessageBox::Ok);
}

}  // namespace ravlek::test
