#include "app/window/editor_launcher.h"

#include <QDir>
#include <QLabel>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStringList>

#include "app/window/messages.h"
#include "app/window/picture_box.h"
#include "base/app_folder.h"
#include "base/error.h"
#include "base/profile.h"

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

const DesignedPlace kPlaces[] = {
    {"Image1", {16, 96, 961, 505}},
    {"TntBitBtn_Spell", {773, 104, 185, 166}},
    {"TntImage1", {802, 276, 156, 301}},
};

// A picture drawn at its own size from the top-left corner, one picture pixel to one pixel of the
// screen, shrunk proportionally only when it is larger than its box. Below the design density the
// whole layout shrinks, so the picture shrinks with it (never past its designed size): drawn only
// to fit its box, it would reach under the controls beside it.
void ShowPictureAtOwnSize(QLabel* label, const QPixmap& picture, const DesignUnits& units) {
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  const qreal ratio = label->devicePixelRatioF();
  const QSize designed(units.Px(picture.width()), units.Px(picture.height()));
  QSize box = label->size();
  if (designed.width() * ratio < picture.width()) box = box.boundedTo(designed);
  label->setPixmap(PictureForBox(picture, box, ratio, false));
}

// A picture stretched to fill its box, drawn from the screen's own pixels.
void ShowPictureStretched(QLabel* label, const QPixmap& picture) {
  label->setPixmap(PictureForBox(picture, label->size(), label->devicePixelRatioF(), true));
}

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

EditorPage::EditorPage(QWidget* sheet, const DesignUnits& units)
    : TntTabSheet2(sheet), layout_(Places(), units) {
  QWidget* page = TntTabSheet2;
  Image1 = layout_.Make<QLabel>(page, "Image1");
  ShowPictureAtOwnSize(Image1, QPixmap(QStringLiteral(":/pictures/editor_hints.jpg")), units);
  TntBitBtn_Spell = layout_.Make<QPushButton>(page, "TntBitBtn_Spell");
  TntBitBtn_Spell->setText(QStringLiteral("啟動注音編稿程式"));
  TntImage1 = layout_.Make<QLabel>(page, "TntImage1");
  ShowPictureStretched(TntImage1, QPixmap(QStringLiteral(":/pictures/annotated_sample.jpg")));
}

LayoutTable EditorPage::Places() {
  return kPlaces;
}

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

void EditorPage::TntBitBtn_Spell_Click() {
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

}  // namespace ravlek
