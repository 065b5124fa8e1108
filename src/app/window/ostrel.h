#pragma once
// The main window. It composes the nine pages; each subsystem defines the handlers it owns in its
// own folder (src/dictionary/window/lookup_page.cpp defines TntEdit2Change, and so on).

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
class TDataSource;
class ClassIndexCache;
class TWebBrowserWrapper;
class VersionPage;
struct LookupPageState;
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

  // ---- lookup page (src/dictionary/window/lookup_*.cpp)
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

  // ---- version page (src/release/window/version_page.cpp; forwarded by version_forwarders.cpp)
  void DL_TntButtonClick();
  void DL_NEXTTIME_TntButtonClick();
  // The version page's part of the page-change handler.
  void VersionPageChanged();
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

  // page 0: character lookup
  QLabel* TntLabel1 = nullptr;
  QLineEdit* TntEdit2 = nullptr;
  QLabel* TntLabel8 = nullptr;
  QLineEdit* TntEdit1_spell_Search = nullptr;
  QComboBox* ComboBox2 = nullptr;
  QLabel* TntLabel11 = nullptr;
  QLabel* Lookup_TntStatus = nullptr;  // the status line: why a search found nothing
  QComboBox* ComboBox1 = nullptr;
  QTableView* TntDBGrid2 = nullptr;
  QPlainTextEdit* TntDBMemo1 = nullptr;
  QPlainTextEdit* TntDBMemo2 = nullptr;

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

  // page 3: versions and update download, with the update buttons on the window itself
  std::unique_ptr<ravlek::VersionPage> versionPage;

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
  std::shared_ptr<ravlek::TDataSource> DataSource1;
  // The conversion button's class readings, kept between presses while the dictionary is unchanged.
  std::shared_ptr<ravlek::ClassIndexCache> conversionClasses;
  // What the metre reads for the conversion and the handout (the Pingshui tables, every reading),
  // kept between presses in the same way.
  std::shared_ptr<ravlek::metre::KeptMetreSources> keptMetreSources;

  // ---- resource pages
  std::shared_ptr<ravlek::TWebBrowserWrapper> fWBW;

  // ---- run-time state
  QString GLOBAL_Control_page_ActivePage;

  // Per-subsystem state that the handlers of one folder share; each folder defines its struct.
  std::shared_ptr<ravlek::LookupPageState> lookupState;
  std::shared_ptr<ravlek::PagesState> pagesState;
  std::shared_ptr<ravlek::HandoutState> handoutState;  // src/romanize/window/handout_state.h

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Start-up steps of the shell (src/app/window/ostrel.cpp).
  void FillRhymeBox();
  bool OpenDictionaryConnection();  // false when the program ends
  void EnsureWorkingFolders();

  bool terminated_ = false;
  bool unstoredEditWarned_ = false;
  bool activated_ = false;
};
