#include "app/window/ostrel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QTabWidget>

#include "app/window/design_units.h"
#include "app/window/designed_layout.h"
#include "app/window/editor_launcher.h"
#include "app/window/framed_text_fields.h"
#include "app/window/messages.h"
#include "app/window/window_layout.h"
#include "base/app_folder.h"
#include "base/error.h"
#include "base/program_end.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/window/fanqie_page.h"
#include "dictionary/window/lookup_page.h"
#include "metre/metre_choices.h"
#include "metre/window/metre_view.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/window/resource_pages.h"
#include "release/window/version_page.h"
#include "romanize/window/conversion_page.h"

namespace {

const QString kStarterMissingMessage =
    QStringLiteral("請改執行 Ravlek_Start 應用程式 來 啟動 [台語Ostrel輔助系統]");
const QString kEngineMissingMessage =
    QStringLiteral("請安裝 ACCESS DATABASE 2010 RUNTIME ENGINE 後才可正常運作此系統! ");

}  // namespace

TOstrel::TOstrel(QWidget* parent) : TOstrel(ravlek::BuiltReleaseSettings(), parent) {}

TOstrel::TOstrel(const ravlek::ReleaseSettings& release, QWidget* parent) : QWidget(parent) {
  ravlek::ResetProgramEnd();
  ravlek::KeepTextFieldFrames();
  const ravlek::DesignUnits units;
  ravlek::LayOutWindow(*this, units);
  FDConnection1 = std::make_unique<ravlek::TFDConnection>();
  auto dataset = [this](const char* name) {
    const QString datasetName = QString::fromLatin1(name);
    return std::make_unique<ravlek::TFDQuery>(*FDConnection1, datasetName,
                                              ravlek::DatasetStatement(datasetName));
  };
  FDQueryRavlekTable = dataset("FDQueryRavlekTable");
  FDQueryBaseWords = dataset("FDQueryBaseWords");
  FDQueryBaseWordsPlus = dataset("FDQueryBaseWordsPlus");
  FDQuerySQLRavlekTable = dataset("FDQuerySQLRavlekTable");
  lookupPage_ = std::make_unique<ravlek::LookupPage>(TntTabSheet1, *FDQueryRavlekTable, units);
  editorPage_ = std::make_unique<ravlek::EditorPage>(TntTabSheet2, units);
  // The conversion, the handout and the 格律 window keep what the metre read between presses.
  const auto keptMetreSources = std::make_shared<ravlek::metre::KeptMetreSources>();
  conversionPage_ = std::make_unique<ravlek::ConversionPage>(
      TntTabSheet3, *FDConnection1, *FDQuerySQLRavlekTable, keptMetreSources, units);
  metreView_ = std::make_unique<ravlek::MetreView>(this, *FDQuerySQLRavlekTable, keptMetreSources);
  fanqiePage_ = std::make_unique<ravlek::FanqiePage>(
      TntTabSheet5, *FDConnection1, *FDQueryBaseWords, *FDQueryBaseWordsPlus, units);
  resourcePages_ = std::make_unique<ravlek::ResourcePages>(
      std::array<QWidget*, 4>{TntTabSheet6, TntTabSheet7, TntTabSheet8, TntTabSheet9}, units);
  // The version page, with the update buttons on the window itself, is made after the other
  // pages, as the design creates them: the buttons come last in the keyboard order.
  ravlek::LayOutVersionPage(*this, units);
  versionPage->UseSettings(release);
  ravlek::LayOutUpdateButtons(*this);
  ravlek::SetTabOrders(*this);
  ravlek::BindWindowEvents(*this);
  // The window never gets smaller than designed: no control is cut off.
  designedSize_ = size();
  setMinimumSize(designedSize_);
  FormCreate();
}

TOstrel::~TOstrel() {
  FormDestroy();
  // The run is over; a later window (the tests make several) starts afresh.
  ravlek::ResetProgramEnd();
  // The controls go before the datasets their models read.
  const auto children = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  qDeleteAll(children);
}

void TOstrel::SelectPage(QWidget* page) {
  // Selecting from code is no page change of the user's: the page-change handler does not run.
  TntTabControl1->setCurrentWidget(page);
}

void TOstrel::FormCreate() {
  ravlek::RunHandler([this] {
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet4), QStringLiteral("版本資訊"));
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet2), QStringLiteral("編稿注音"));
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet5), QStringLiteral("切音輔助"));
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet6), QStringLiteral("切韻基礎"));
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet7), QStringLiteral("影音資源"));
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet8), QStringLiteral("工具資源"));
    TntTabControl1->setTabText(TntTabControl1->indexOf(TntTabSheet9),
                               QStringLiteral("關於(About)"));
    TntTabControl1->GLOBAL_Control_page_ActivePage = QStringLiteral("TntTabSheet1");
    lookupPage_->FillSearchBoxes();

    if (!QFile::exists(ravlek::AppFolderFile(ravlek::kStartMarkerFile))) {
      ravlek::ShowPlainMessage(kStarterMissingMessage);
      terminated_ = true;
      return;
    }
    if (!OpenDictionaryConnection()) {
      terminated_ = true;
      return;
    }
    // FDQuerySQLRavlekTable runs FDQueryRavlekTable's statement: one read serves both.
    ravlek::OpenDatasets({FDQueryRavlekTable.get(), FDQueryBaseWords.get(),
                          FDQueryBaseWordsPlus.get(), FDQuerySQLRavlekTable.get()});
    EnsureWorkingFolders();

    StartupReleaseAddress();     // steps 10 and 11
    InstallStagedStarter(true);  // step 12
    ReportRefusedUpdate();
    EnsurePhoneticFont();      // step 13
    StartupFetchManifest();    // step 14
    StartupRefreshPackages();  // step 15
    StartupShowInstalledVersions();
    StartupListLatestRelease();
    StartupAnnounceUpdate();
    StartupShowReleaseNotes();
    StartupSetDownloadFlags();  // step 20
  });
}

bool TOstrel::OpenDictionaryConnection() {
  using Kind = ravlek::TFDConnection::FailureKind;
  const auto result = FDConnection1->Open(QDir::currentPath());
  switch (result.kind) {
    case Kind::None:
    case Kind::InvalidLogin:
    case Kind::ServerGone:
      return true;
    case Kind::Cancelled:
      return false;
    case Kind::EngineError:
      ravlek::ShowPlainMessage(kEngineMissingMessage);
      return false;
  }
  return false;
}

void TOstrel::EnsureWorkingFolders() {
  const QString appDir = QDir::currentPath();
  for (const QString& folder : {ravlek::kLastReleaseFolder, ravlek::kUpgradeFolder}) {
    if (!QDir::setCurrent(QDir(appDir).filePath(folder))) {
      QDir::setCurrent(appDir);
      if (!QDir(appDir).mkdir(folder)) {
        throw ravlek::Error(QStringLiteral("Unable to create directory %1")
                                .arg(QDir::toNativeSeparators(QDir(appDir).filePath(folder))));
      }
    }
    QDir::setCurrent(appDir);
  }
}

void TOstrel::TntEdit2Change() {
  lookupPage_->TntEdit2Change();
}
void TOstrel::TntEdit1_spell_SearchChange() {
  lookupPage_->TntEdit1_spell_SearchChange();
}
void TOstrel::ComboBox1Change() {
  lookupPage_->ComboBox1Change();
}
void TOstrel::DataSource1UpdateData() {
  lookupPage_->DataSource1UpdateData();
}

void TOstrel::TntButton2Click() {
  fanqiePage_->TntButton2Click();
}
void TOstrel::TntButton3Click() {
  fanqiePage_->TntButton3Click();
}
void TOstrel::TntButton4Click() {
  fanqiePage_->TntButton4Click();
}

void TOstrel::TntButton1Click() {
  conversionPage_->TntButton1Click();
}
void TOstrel::TntButton5Click() {
  conversionPage_->TntButton5Click();
}
void TOstrel::RubyExport_TntButtonClick() {
  conversionPage_->RubyExport_TntButtonClick();
}
void TOstrel::Metre_TntButtonClick() {
  metreView_->Check(conversionPage_->TntMemo3->toPlainText());
}

void TOstrel::ShowPageCharset() {
  resourcePages_->ShowPageCharset();
}

void TOstrel::TntBitBtn_Spell_Click() {
  editorPage_->TntBitBtn_Spell_Click();
}

void TOstrel::FormActivate() {
  // Four independent comparisons; any other value selects nothing.
  if (TntTabControl1->GLOBAL_Control_page_ActivePage == QLatin1String("TntTabSheet1"))
    SelectPage(TntTabSheet1);
  if (TntTabControl1->GLOBAL_Control_page_ActivePage == QLatin1String("TntTabSheet2"))
    SelectPage(TntTabSheet2);
  if (TntTabControl1->GLOBAL_Control_page_ActivePage == QLatin1String("TntTabSheet3"))
    SelectPage(TntTabSheet3);
  if (TntTabControl1->GLOBAL_Control_page_ActivePage == QLatin1String("TntTabSheet4"))
    SelectPage(TntTabSheet4);
}

void TOstrel::FormClose() {
  QFile::remove(ravlek::AppFolderFile(ravlek::kStartMarkerFile));
  InstallStagedStarter(false);
}

void TOstrel::FormDestroy() {
  resourcePages_->fWBW.reset();
}

void TOstrel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (!designedSize_.isValid() || !resourcePages_) return;
  const QSize extra = (size() - designedSize_).expandedTo(QSize(0, 0));
  ravlek::FollowGrowth(*this, extra);
  lookupPage_->FollowGrowth(extra);
  editorPage_->FollowGrowth(extra);
  conversionPage_->FollowGrowth(extra);
  fanqiePage_->FollowGrowth(extra);
  resourcePages_->FollowGrowth(extra);
  versionPage->FollowGrowth(extra);
}

void TOstrel::closeEvent(QCloseEvent* event) {
  // A memo edit is stored before the window goes. When it cannot be, the error is shown and the
  // window stays open this once, so that the typed text can still be copied.
  bool stored = true;
  ravlek::RunHandler([this, &stored] {
    stored = false;
    lookupPage_->StoreEdit();
    stored = true;
  });
  if (!stored && !unstoredEditWarned_) {
    unstoredEditWarned_ = true;
    event->ignore();
    return;
  }
  ravlek::RunHandler([this] { FormClose(); });
  event->accept();
  // Closing the window ends the program, whatever boxes or views are still about; waits still
  // running in a handler below this event (a page load, a download) end now.
  if (!parentWidget()) {
    ravlek::RequestProgramEnd();
    QCoreApplication::quit();
  }
}

bool TOstrel::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // Only the first activation selects the start page: boxes shown later and switching between
  // programs do not select it again.
  if (!activated_ && (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show)) {
    activated_ = true;
    ravlek::RunHandler([this] { FormActivate(); });
  }
  return handled;
}
