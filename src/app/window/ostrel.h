#pragma once
// The main window: the composition root. It builds the pages (each a class of its subsystem's
// window/ folder that owns its controls, handlers and state), runs the start-up and the close, and
// keeps the design's handler names as forwarders to the pages.

#include <QString>
#include <QWidget>
#include <memory>

#include "app/window/page_control.h"

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace ravlek {
class TFDConnection;
class TFDQuery;
class ConversionPage;
class EditorPage;
class FanqiePage;
class LookupPage;
class MetreView;
class ResourcePages;
class VersionPage;
struct ReleaseSettings;
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
  ravlek::EditorPage* editorPage() const { return editorPage_.get(); }
  ravlek::ConversionPage* conversionPage() const { return conversionPage_.get(); }
  ravlek::MetreView* metreView() const { return metreView_.get(); }
  ravlek::FanqiePage* fanqiePage() const { return fanqiePage_.get(); }
  ravlek::ResourcePages* resourcePages() const { return resourcePages_.get(); }

  // ---- lookup page (src/dictionary/window/lookup_page.h)
  void TntEdit2Change();
  void TntEdit1_spell_SearchChange();
  void ComboBox1Change();
  void DataSource1UpdateData();

  // ---- fanqie page (src/dictionary/window/fanqie_page.h)
  void TntButton2Click();
  void TntButton3Click();
  void TntButton4Click();

  // ---- conversion page (src/romanize/window/conversion_page.h)
  void TntButton1Click();
  void TntButton5Click();
  // 輸出注音: the input as a handout to print
  void RubyExport_TntButtonClick();
  // 格律檢查: the poems of the input checked for tones and rhyme (src/metre/window/metre_view.h)
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

  // ---- the page change (src/app/window/page_change.cpp); resource pages
  // (src/pages/window/resource_pages.h)
  void TntTabControl1Change();
  // Waits until the page loaded last is complete and shows its character-set line.
  void ShowPageCharset();

  // ---- annotation-editor launcher (src/app/window/editor_launcher.h)
  void TntBitBtn_Spell_Click();

  // ---- start-up step 13 (src/app/window/font_check.cpp)
  void EnsurePhoneticFont();

  // ---- controls -------------------------------------------------------------------------
  ravlek::PageControl* TntTabControl1 = nullptr;
  QWidget* TntTabSheet1 = nullptr;
  QWidget* TntTabSheet2 = nullptr;
  QWidget* TntTabSheet3 = nullptr;
  QWidget* TntTabSheet4 = nullptr;
  QWidget* TntTabSheet5 = nullptr;
  QWidget* TntTabSheet6 = nullptr;
  QWidget* TntTabSheet7 = nullptr;
  QWidget* TntTabSheet8 = nullptr;
  QWidget* TntTabSheet9 = nullptr;

  // page 3: versions and update download, with the update buttons on the window itself
  std::unique_ptr<ravlek::VersionPage> versionPage;

  // ---- database components ----------------------------------------------------------------
  std::unique_ptr<ravlek::TFDConnection> FDConnection1;
  std::unique_ptr<ravlek::TFDQuery> FDQueryRavlekTable;
  std::unique_ptr<ravlek::TFDQuery> FDQueryBaseWords;
  std::unique_ptr<ravlek::TFDQuery> FDQueryBaseWordsPlus;
  std::unique_ptr<ravlek::TFDQuery> FDQuerySQLRavlekTable;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  // Beyond the designed size the pages' grids, text areas and web views take the extra room.
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Start-up steps of the shell (src/app/window/ostrel.cpp).
  bool OpenDictionaryConnection();  // false when the program ends
  void EnsureWorkingFolders();

  // The pages, after the datasets they read: they go first.
  std::unique_ptr<ravlek::LookupPage> lookupPage_;
  std::unique_ptr<ravlek::EditorPage> editorPage_;
  std::unique_ptr<ravlek::ConversionPage> conversionPage_;
  std::unique_ptr<ravlek::MetreView> metreView_;
  std::unique_ptr<ravlek::FanqiePage> fanqiePage_;
  std::unique_ptr<ravlek::ResourcePages> resourcePages_;
  QSize designedSize_;

  bool terminated_ = false;
  bool unstoredEditWarned_ = false;
  bool activated_ = false;
};
