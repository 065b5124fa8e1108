#include "release/window/version_page.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QThread>
#include <atomic>
#include <thread>

#include "app/window/design_units.h"
#include "app/window/designed_layout.h"
#include "app/window/messages.h"
#include "base/program_end.h"
#include "release/download_status.h"
#include "release/release_notes.h"
#include "release/release_texts.h"
#include "release/window/page_labels.h"

namespace ravlek {
namespace {

void SetTextColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(role, color);
  widget->setPalette(palette);
}

// The page's table. The notes and the update's list take the room a larger window gains, the
// progress bar its width, with the cancel button at its right end; labels whose text the page
// sets later are as large as that text.
const DesignedPlace kPlaces[] = {
    {"TntStaticSYS_Ver0", {64, 40, 213, 24}},
    {"system_ver", {256, 44, 110, 20}, kFixed, true},
    {"TntStaticBD_Ver", {40, 70, 246, 24}},
    {"database_ver", {283, 70, 132, 20}, kFixed, true},
    {"ReleaseNote_TntMemo", {16, 205, 1073, 380}, kGrowsBoth},
    {"TntLabel3", {27, 224, 99, 20}, kFixed, true},
    {"TntLabel4", {27, 246, 99, 20}, kFixed, true},
    {"DL_upgrade_TntProgressBar", {29, 272, 1044, 21}, {0, 0, 1, 0}},
    {"DL_Status", {32, 296, 198, 20}, kFixed, true},
    {"TntLabel5", {29, 339, 99, 20}, kFixed, true},
    {"TntLabel6", {32, 368, 99, 20}, kFixed, true},
    {"upgrade_ver_TntMemo", {16, 394, 1089, 192}, kGrowsBoth},
    {"DL_Cancel_TntButton", {950, 296, 123, 26}, {1, 0, 0, 0}},
    // on the window itself, among the rows of the labels above
    {"DL_TntButton", {746, 329, 145, 34}},
    {"DL_NEXTTIME_TntButton", {920, 329, 89, 34}},
};

// A read-only memo as every memo of the window: scroll bar always there, Tab moves on.
QPlainTextEdit* MakeMemo(QPlainTextEdit* memo) {
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setTabChangesFocus(true);
  memo->setReadOnly(true);
  memo->hide();
  return memo;
}

QLabel* MakeLabel(QLabel* label, const QString& text) {
  label->setText(text);
  return label;
}

}  // namespace

VersionPage::VersionPage(QTabWidget* tabs, QWidget* page, QWidget* startPage, QWidget* window,
                         const DesignUnits& units)
    : tabs_(tabs),
      page_(page),
      startPage_(startPage),
      window_(window),
      session_(std::make_unique<UpdateSession>(BuiltReleaseSettings(), Reporter())),
      layout_(Places(), units) {
  LayOut();
}

LayoutTable VersionPage::Places() {
  return kPlaces;
}

VersionPage::~VersionPage() = default;

void VersionPage::LayOut() {
  const DesignUnits& units = layout_.Units();
  TntStaticSYS_Ver0 = MakeLabel(layout_.Make<QLabel>(page_, "TntStaticSYS_Ver0"),
                                QStringLiteral("System Version :   "));
  system_ver = MakeLabel(layout_.Make<QLabel>(page_, "system_ver"), QStringLiteral("system_ver"));
  TntStaticBD_Ver = MakeLabel(layout_.Make<QLabel>(page_, "TntStaticBD_Ver"),
                              QStringLiteral("DataBase Version :    "));
  database_ver =
      MakeLabel(layout_.Make<QLabel>(page_, "database_ver"), QStringLiteral("database_ver"));

  ReleaseNote_TntMemo = MakeMemo(layout_.Make<QPlainTextEdit>(page_, "ReleaseNote_TntMemo"));
  ReleaseNote_TntMemo->setEnabled(false);

  TntLabel3 = MakeLabel(layout_.Make<QLabel>(page_, "TntLabel3"), QStringLiteral("TntLabel3"));
  TntLabel3->setFont(units.Font(QStringLiteral("細明體"), 20, true));
  SetTextColor(TntLabel3, Qt::red);
  TntLabel3->hide();
  TntLabel4 = MakeLabel(layout_.Make<QLabel>(page_, "TntLabel4"), QStringLiteral("TntLabel4"));
  TntLabel4->hide();

  DL_upgrade_TntProgressBar = layout_.Make<QProgressBar>(page_, "DL_upgrade_TntProgressBar");
  DL_upgrade_TntProgressBar->setTextVisible(false);
  DL_upgrade_TntProgressBar->setRange(0, 100);
  DL_upgrade_TntProgressBar->setValue(0);
  DL_upgrade_TntProgressBar->hide();
  DL_Status = MakeLabel(layout_.Make<QLabel>(page_, "DL_Status"), texts::kDownloadStatusPrefix);
  DL_Status->hide();
  TntLabel5 = MakeLabel(layout_.Make<QLabel>(page_, "TntLabel5"), QStringLiteral("TntLabel5"));
  TntLabel5->hide();
  TntLabel6 = MakeLabel(layout_.Make<QLabel>(page_, "TntLabel6"), QStringLiteral("TntLabel6"));
  TntLabel6->hide();

  upgrade_ver_TntMemo = MakeMemo(layout_.Make<QPlainTextEdit>(page_, "upgrade_ver_TntMemo"));
  DL_Cancel_TntButton = layout_.Make<QPushButton>(page_, "DL_Cancel_TntButton");
  DL_Cancel_TntButton->setText(texts::kCancelButtonCaption);
  DL_Cancel_TntButton->hide();
  QObject::connect(DL_Cancel_TntButton, &QPushButton::clicked, page_,
                   [this] { DL_Cancel_TntButtonClick(); });

  // Children of the window itself, above the page control, in the window's font and colour.
  DL_TntButton = layout_.Make<QPushButton>(window_, "DL_TntButton");
  DL_TntButton->setText(texts::kDownloadButtonCaption);
  DL_TntButton->hide();
  DL_NEXTTIME_TntButton = layout_.Make<QPushButton>(window_, "DL_NEXTTIME_TntButton");
  DL_NEXTTIME_TntButton->setText(texts::kLaterButtonCaption);
  DL_NEXTTIME_TntButton->hide();
}

void VersionPage::UseSettings(const ReleaseSettings& settings) {
  session_ = std::make_unique<UpdateSession>(settings, Reporter());
}

void VersionPage::EnableButtons(bool enabled) {
  DL_TntButton->setEnabled(enabled);
  DL_NEXTTIME_TntButton->setEnabled(enabled);
}

// ---- reporter: the download reports from its own thread

void VersionPage::OnWindowThread(const std::function<void()>& show) {
  if (QThread::currentThread() == page_->thread()) {
    show();
  } else {
    QMetaObject::invokeMethod(page_, show, Qt::BlockingQueuedConnection);
  }
}

void VersionPage::Notice(const QString& text, const QString& caption, int milliseconds) {
  OnWindowThread([&] { ShowTimedNotice(text, caption, milliseconds); });
}

void VersionPage::Message(const QString& text, const QString& caption) {
  OnWindowThread([&] { ShowCaptionedMessage(window_, text, caption); });
}

void VersionPage::Failure(const QString& text, const QString& details) {
  OnWindowThread([&] { ShowErrorReport(text, details); });
}

void VersionPage::Progress(int percent, qint64 size) {
  // The transfer does not wait for the window.
  QMetaObject::invokeMethod(
      page_,
      [this, percent, size] {
        DL_upgrade_TntProgressBar->setValue(percent);
        SetLabelText(DL_Status, DownloadStatusCaption(size, percent));
      },
      Qt::QueuedConnection);
}

// ---- start-up

void VersionPage::StartupReleaseAddress() {
  session_->ResolveAddress();
}

void VersionPage::InstallStagedStarter(bool notify) {
  if (!session_->InstallStagedStarter() || !notify) return;
  const QString crlf = QStringLiteral("\r\n");
  Notice(texts::kStarterNoticeLine1 + crlf + texts::kStarterNoticeLine2 + crlf +
             texts::kStarterNoticeLine3,
         texts::kInfoCaption, 3000);
}

void VersionPage::ReportRefusedUpdate() {
  session_->ReportRefusedUpdate();
}

void VersionPage::StartupFetchManifest() {
  ReleaseNote_TntMemo->hide();
  ReleaseNote_TntMemo->setEnabled(false);
  session_->FetchLatestManifest();
}

void VersionPage::StartupRefreshPackages() {
  session_->RefreshPackages();
}

void VersionPage::StartupShowInstalledVersions() {
  session_->ReadInstalledVersions();
  const Announcement& announcement = session_->announcement();
  if (!announcement.installedKnown) return;
  // A version may be longer than the designed label: the label grows to show it whole.
  SetLabelTextWidened(system_ver, announcement.installed.system);
  SetLabelTextWidened(database_ver, announcement.installed.database);
}

void VersionPage::StartupListLatestRelease() {
  // The memo starts with one empty line; the release's lines follow it.
  QStringList lines = upgrade_ver_TntMemo->toPlainText().split(u'\n');
  lines += session_->ReadLatestRelease();
  upgrade_ver_TntMemo->setPlainText(CutForMemo(lines.join(u'\n')));
}

bool VersionPage::StartupAnnounceUpdate() {
  if (!session_->announcement().updateAnnounced()) return false;
  Notice(texts::kUpdateNoticeText, texts::kUpdateNoticeCaption, 6000);
  SetLabelText(TntLabel3, texts::kUpdateLabel3);
  TntLabel3->show();
  SetLabelText(TntLabel4, texts::kUpdateLabel4);
  TntLabel4->show();
  tabs_->setTabText(tabs_->indexOf(page_), texts::kUpdatePageCaption);
  upgrade_ver_TntMemo->show();
  DL_upgrade_TntProgressBar->show();
  DL_TntButton->show();
  DL_NEXTTIME_TntButton->show();
  return true;
}

void VersionPage::StartupShowReleaseNotes() {
  if (session_->announcement().updateAnnounced()) return;
  ReleaseNote_TntMemo->show();
  ReleaseNote_TntMemo->setEnabled(true);
  ReleaseNote_TntMemo->setPlainText(CutForMemo(session_->ReleaseNotes().join(u'\n')));
}

void VersionPage::StartupSetDownloadFlags() {
  session_->SetDownloadFlags();
}

// ---- handlers

void VersionPage::DL_TntButtonClick() {
  EnableButtons(false);
  DL_Status->show();
  DL_Cancel_TntButton->show();
  // The transfers run on a thread of their own; the window goes on answering meanwhile.
  DownloadOutcome outcome;
  std::atomic<bool> done = false;
  QEventLoop loop;
  std::thread worker([this, &outcome, &done, &loop] {
    outcome = session_->Download();
    done = true;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  // A program that ends leaves every loop at once: the transfer, told so, ends soon after.
  while (!done) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  worker.join();
  QCoreApplication::processEvents();  // the last progress reports
  DL_Cancel_TntButton->hide();
  using End = DownloadOutcome::End;
  if (outcome.end == End::kCancelled) {
    if (!ProgramEndRequested()) SetLabelText(DL_Status, texts::kDownloadCancelledStatus);
    EnableButtons(true);
    return;
  }
  if (outcome.end == End::kStopped) {
    EnableButtons(true);
    return;
  }
  if (outcome.systemFetched) {
    SetLabelText(TntLabel5, texts::kSysArchiveDoneLabel);
    TntLabel5->show();
  }
  if (outcome.databaseTried) {
    QLabel* label = session_->announcement().flags.system == 1 ? TntLabel6 : TntLabel5;
    SetLabelText(label, texts::kDbArchiveDoneLabel);
    label->show();
  }
  if (outcome.end == End::kStaged) {
    ShowPlainMessage(texts::kDownloadCompleteMessage);
    // The program ends here without its close handler: the starter installs what is staged.
    programEnding_ = true;
    window_->hide();
    if (endProgram) {
      endProgram();
    } else {
      QCoreApplication::exit(0);
    }
    session_->EndForInstall();
  } else {
    ShowPlainMessage(texts::kDownloadProblemMessage);
    DL_NEXTTIME_TntButton->hide();
    SetLabelText(TntLabel5, texts::kDownloadErrorLabel);
    SetLabelText(TntLabel6, QStringLiteral(" "));
  }
  EnableButtons(true);
}

void VersionPage::DL_Cancel_TntButtonClick() {
  session_->Cancel();
}

void VersionPage::DL_NEXTTIME_TntButtonClick() {
  DL_TntButton->hide();
  DL_NEXTTIME_TntButton->hide();
  tabs_->setCurrentWidget(startPage_);
}

void VersionPage::PageChanged() {
  const bool downloading = session_->downloadState() == UpdateSession::DownloadState::kDownloading;
  if (downloading) {
    ShowPlainMessage(texts::kDownloadGateText);
    DL_NEXTTIME_TntButton->hide();
    tabs_->setCurrentWidget(page_);
  }
  if (tabs_->currentWidget() == page_) {
    // The caption tells whether an update was announced; without one the buttons stay as they are.
    if (tabs_->tabText(tabs_->indexOf(page_)) != texts::kVersionPageCaption) {
      DL_TntButton->show();
      DL_NEXTTIME_TntButton->setVisible(!downloading);
    }
  } else {
    DL_TntButton->hide();
    DL_NEXTTIME_TntButton->hide();
    DL_Status->hide();
  }
}

}  // namespace ravlek
