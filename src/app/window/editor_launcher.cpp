#include "app/window/editor_launcher.h"

#include <QDir>
#include <QProcess>
#include <QStringList>

#include "base/app_folder.h"
#include "base/error.h"
#include "base/profile.h"
#include "app/window/messages.h"
#include "app/window/ostrel.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace ravlek {

namespace {

const QString kMarkerSection = QStringLiteral("RavlekSYS");
const QString kLauncherKey = QStringLiteral("Luncher_ID");
// The key's value once the editor has been started in this run.
constexpr int kEditorStarted = 2;
constexpr int kNoticeMilliseconds = 8000;

// Starts the editor without arguments in the application folder; its first window is asked to
// stay hidden where the platform knows of that. Whether it started is not examined.
void StartEditor(const QString& applicationFolder) {
  QProcess editor;
  editor.setProgram(EditorProgramPath(applicationFolder));
  editor.setWorkingDirectory(applicationFolder);
#ifdef Q_OS_WIN
  editor.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* arguments) {
    arguments->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
    arguments->startupInfo->wShowWindow = SW_HIDE;
  });
#endif
  editor.startDetached();
}

}  // namespace

QString EditorNoticeCaption() {
  return QStringLiteral("台語Ostrel輔助系統 - 訊息通知");
}

QString EditorAlreadyOpenNotice() {
  return QStringList{QStringLiteral("(((文稿注音 程式已開啟 !!)))"),
                     QStringLiteral("請由Windows下方 Tray Icon 紅字 \"編稿注音\"圖鈕點選開啟...")}
      .join(QStringLiteral("\r\n"));
}

QString EditorUsageNotice() {
  return QStringList{
      QStringLiteral("(((文稿注音 Example TBG files 使用說明!!)))"),
      QStringLiteral("進入 “編稿注音” 程式畫面, 滑鼠於 “load 文稿載入 (*.tgb) “ 按鈕上"),
      QStringLiteral("有 Example TGB files 目錄Hint提醒 , 載入各Example files 可以繪圖試試,"),
      QStringLiteral("多玩玩 Example TGB files 可以更快學會“編稿注音”功能")}
      .join(QStringLiteral("\r\n"));
}

QString EditorProgramPath(const QString& applicationFolder) {
#ifdef Q_OS_WIN
  return applicationFolder + QStringLiteral("/Ravlek_Spell.exe");
#else
  return applicationFolder + QStringLiteral("/Ravlek_Spell");
#endif
}

}  // namespace ravlek

void TOstrel::TntBitBtn_Spell_Click() {
  using namespace ravlek;
  const QString applicationFolder = QDir::currentPath();
  const QString marker = QDir(applicationFolder).filePath(kStartMarkerFile);
  if (ReadProfileInt(marker, kMarkerSection, kLauncherKey, 1) == kEditorStarted) {
    ShowTimedNotice(EditorAlreadyOpenNotice(), EditorNoticeCaption(), kNoticeMilliseconds);
    return;
  }
  // The mark goes in before anything is started, so a failed start is never retried.
  if (!WriteProfileInt(marker, kMarkerSection, kLauncherKey, kEditorStarted)) {
    throw Error(QStringLiteral("Unable to write to %1").arg(QDir::toNativeSeparators(marker)));
  }
  ShowTimedNotice(EditorUsageNotice(), EditorNoticeCaption(), kNoticeMilliseconds);
  StartEditor(applicationFolder);
}
