#pragma once
// The main window: the composition root. It builds the pages (each a class of its subsystem's
// window/ folder that owns its controls, handlers and state), runs the start-up and the close, and
// keeps the design's handler names as forwarders to the pages.

#include <QString>
#include <QWidget>
#include <memory>

class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTabWidget;
class QTableView;
class QTextBrowser;
class QWebEngineView;

namespace ravlek {
class TFDConnection;
class TFDQuery;
class ClassIndexCache;
class LookupPage;
class TIdHTTPProgress;
class TWebBrowserWrapper;
struct ReleaseState;
struct ReleaseSettings;
struct PagesState;
struct HandoutState;
namespace metre {
struct KeptMetreSources;
}
}  // namespace ravlek

class TOstrel : public QWidget {
  Q_OBJECT

 public:
  // Creating the window lays out its controls and runs the start-up sequence (FormCreate).
  // When the sequence decides that the program ends, Terminated() is true and the window must
  // not be shown.
  // The release steps use the build's release settings, or those given.
  explicit TOstrel(QWidget* parent = nullptr);
  explicit TOstrel(const ravlek::ReleaseSettings& release, QWidget* parent = nullptr);
  ~TOstrel() override;

  bool Terminated() const { return terminated_; }

  // Selects a page from code; the page-change handler does not run.
  void SelectPage(QWidget* page);

  // ---- lifecycle (src/app/window)
  void FormCreate();
  void FormActivate();
  void FormClose();
  void FormDestroy();

  // ---- the pages
  ravlek::LookupPage* lookupPage() const { return lookupPage_.get(); }

  // ---- lookup page (src/dictionary/window/lookup_page.h)
  void TntEdit2Change();
  void TntEdit1_spell_SearchChange();
  void ComboBox1Change();
  void DataSource1UpdateData();

  // ---- fanqie page (src/dictionary/window/fanqie_page.cpp)
  void TntButton2Click();
  void TntButton3Click();
  void TntButton4Click();

  // ---- conversion page (src/romanize/window/conversion_page.cpp)
  void TntButton1Click();
  void TntButton5Click();
  // 輸出注音: the input as a handout to print (src/romanize/window/ruby_export_page.cpp)
  void RubyExport_TntButtonClick();
  // 格律檢查: the poems of the input checked for tones and rhyme (src/metre/window/metre_page.cpp)
  void Metre_TntButtonClick();

  // ---- release channel (src/release/window/release_page.cpp, download_page.cpp)
  void DL_TntButtonClick();
  void DL_NEXTTIME_TntButtonClick();
  void DownloadProgressChanged();
  // Start-up steps 10 and 11: release base address and the test-mode notice.
  void StartupReleaseAddress();
  // Start-up step 12 (notify = true) and the close handler (notify = false).
  void InstallStagedStarter(bool notify);
  // Tells the user, once, that the starter refused the update staged in the last run.
  void ReportRefusedUpdate();
  // Start-up steps 14 to 20.
  void StartupFetchManifest();
  void StartupRefreshPackages();
  void StartupShowInstalledVersions();
  void StartupListLatestRelease();
  void StartupAnnounceUpdate();
  void StartupShowReleaseNotes();
  void StartupSetDownloadFlags();

  // ---- resource pages (src/pages/window/resource_pages.cpp)
  void TntTabControl1Change();
  // Waits until the page loaded last is complete and shows its character-set line.
  void ShowPageCharset();

  // ---- annotation-editor launcher (src/app/window/editor_launcher.cpp)
  void TntBitBtn_Spell_Click();

  // ---- start-up step 13 (src/app/window/font_check.cpp)
  void EnsurePhoneticFont();

  // ---- controls -------------------------------------------------------------------------
  QTabWidget* TntTabControl1 = nullptr;
  QWidget* TntTabSheet1 = nullptr;
  QWidget* TntTabSheet2 = nullptr;
  QWidget* TntTabSheet3 = nullptr;
  QWidget* TntTabSheet4 = nullptr;
  QWidget* TntTabSheet5 = nullptr;
  QWidget* TntTabSheet6 = nullptr;
  QWidget* TntTabSheet7 = nullptr;
  QWidget* TntTabSheet8 = nullptr;
  QWidget* TntTabSheet9 = nullptr;

  // page 1: annotation-editor launcher
  QLabel* Image1 = nullptr;
  QPushButton* TntBitBtn_Spell = nullptr;
  QLabel* TntImage1 = nullptr;

  // page 2: conversion
  QPlainTextEdit* TntMemo3 = nullptr;
  QPushButton* TntButton5 = nullptr;
  QCheckBox* TntCheckBox2 = nullptr;
  QCheckBox* TntCheckBox3 = nullptr;
  QCheckBox* TntCheckBox4 = nullptr;
  QCheckBox* TntCheckBox1 = nullptr;
  QPushButton* TntButton1 = nullptr;
  QPushButton* RubyExport_TntButton = nullptr;  // 輸出注音
  QPushButton* Metre_TntButton = nullptr;       // 格律檢查
  QDialog* Metre_Form = nullptr;                // its results, made on the first check
  QTextBrowser* Metre_TntMemo = nullptr;
  QPlainTextEdit* TntMemo4 = nullptr;
  QProgressBar* TntProgressBar1 = nullptr;
  // The status line below the progress bar: says which consulted classes have no rows.
  QStatusBar* Convert_TntStatusBar = nullptr;

  // page 3: versions and update download
  QLabel* TntStaticSYS_Ver0 = nullptr;
  QLabel* system_ver = nullptr;
  QLabel* TntStaticBD_Ver = nullptr;
  QLabel* database_ver = nullptr;
  QPlainTextEdit* ReleaseNote_TntMemo = nullptr;
  QLabel* TntLabel3 = nullptr;
  QLabel* TntLabel4 = nullptr;
  QProgressBar* DL_upgrade_TntProgressBar = nullptr;
  QLabel* DL_Status = nullptr;
  QLabel* TntLabel5 = nullptr;
  QLabel* TntLabel6 = nullptr;
  QPlainTextEdit* upgrade_ver_TntMemo = nullptr;

  // update buttons on the window itself
  QPushButton* DL_TntButton = nullptr;
  QPushButton* DL_NEXTTIME_TntButton = nullptr;

  // page 4: fanqie extraction
  QLabel* TntLabel2 = nullptr;
  QPlainTextEdit* TntMemo1 = nullptr;
  QPushButton* TntButton4 = nullptr;
  QPushButton* TntButton3 = nullptr;
  QPushButton* TntButton2 = nullptr;
  QPlainTextEdit* TntMemo2 = nullptr;
  QStatusBar* TntStatusBar1 = nullptr;
  // fanqie synthesis: "自動拼切" and its read-only output beside TntMemo2
  QCheckBox* Synth_TntCheckBox = nullptr;
  QPlainTextEdit* Synth_TntMemo = nullptr;

  // pages 5 to 8: resource pages
  QWebEngineView* A_WebBrowser = nullptr;
  QWebEngineView* B_WebBrowser = nullptr;
  QWebEngineView* C_WebBrowser = nullptr;
  QWebEngineView* D_WebBrowser = nullptr;

  // ---- database components ----------------------------------------------------------------
  std::unique_ptr<ravlek::TFDConnection> FDConnection1;
  std::unique_ptr<ravlek::TFDQuery> FDQueryRavlekTable;
  std::unique_ptr<ravlek::TFDQuery> FDQueryBaseWords;
  std::unique_ptr<ravlek::TFDQuery> FDQueryBaseWordsPlus;
  std::unique_ptr<ravlek::TFDQuery> FDQuerySQLRavlekTable;
  // The conversion button's class readings, kept between presses while the dictionary is unchanged.
  std::shared_ptr<ravlek::ClassIndexCache> conversionClasses;
  // What the metre reads for the conversion and the handout (the Pingshui tables, every reading),
  // kept between presses in the same way.
  std::shared_ptr<ravlek::metre::KeptMetreSources> keptMetreSources;

  // ---- release channel and resource pages
  std::shared_ptr<ravlek::TIdHTTPProgress> IdHTTPProgress;
  std::shared_ptr<ravlek::TWebBrowserWrapper> fWBW;

  // ---- run-time state
  QString GLOBAL_Control_page_ActivePage;
  QString GLOBAL_HOST_XML_Path;
  int GLOBAL_sys_DL = 0;
  int GLOBAL_db_DL = 0;
  QString GLOBAL_sys_DLURL;
  QString GLOBAL_db_DLURL;
  QString GLOBAL_DL_status;
  qint64 GLOBAL_DL_size = 0;

  // Per-subsystem state that the handlers of one folder share; each folder defines its struct.
  std::shared_ptr<ravlek::ReleaseState> releaseState;
  std::shared_ptr<ravlek::PagesState> pagesState;
  std::shared_ptr<ravlek::HandoutState> handoutState;  // src/romanize/window/handout_state.h

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Start-up steps of the shell (src/app/window/ostrel.cpp).
  bool OpenDictionaryConnection();  // false when the program ends
  void EnsureWorkingFolders();

  // The pages, after the datasets they read: they go first.
  std::unique_ptr<ravlek::LookupPage> lookupPage_;

  bool terminated_ = false;
  bool unstoredEditWarned_ = false;
  bool activated_ = false;
};
