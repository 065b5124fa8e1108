#pragma once
// The conversion page (page 2): 開始轉拼音 converts the input field line by line into the output
// field (in a regulated poem, the reading its metre needs first in its group); 例文說明 puts the
// sample text into the input field; 輸出注音 makes a handout of the input (ruby_export_page.cpp).
// Its 格律檢查 button is answered by the metre's own window (src/metre/window); 自訂詞 exports and
// imports the user's own phrase readings (src/romanize/user_phrases.h).

#include <QObject>
#include <QSize>
#include <memory>

#include "app/window/designed_layout.h"

class QAction;
class QCheckBox;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QWidget;

namespace ravlek {

class ClassIndexCache;
class TFDConnection;
class TFDQuery;
struct HandoutState;
namespace metre {
struct KeptMetreSources;
}

class ConversionPage : public QObject {
  Q_OBJECT

 public:
  // Lays the page out on `sheet`; the connection and the dataset of every row outlive it. What
  // the metre reads is kept in `keptMetreSources`, which the 格律 window shares.
  ConversionPage(QWidget* sheet, TFDConnection& connection, TFDQuery& sqlRows,
                 std::shared_ptr<metre::KeptMetreSources> keptMetreSources,
                 const DesignUnits& units);
  ~ConversionPage() override;

  static LayoutTable Places();
  void FollowGrowth(QSize extra) { layout_.Follow(extra); }

  // ---- handlers
  void TntButton1Click();
  void TntButton5Click();
  // 輸出注音: the input as a handout to print.
  void RubyExport_TntButtonClick();
  // 自訂詞 ▸ 匯出… / 匯入…: the user's own phrase readings to a TSV file, and from one.
  void Phrases_ExportActionClick();
  void Phrases_ImportActionClick();

  // ---- controls
  QWidget* const TntTabSheet3;
  QPlainTextEdit* TntMemo3 = nullptr;
  QPushButton* TntButton5 = nullptr;
  QCheckBox* TntCheckBox2 = nullptr;
  QCheckBox* TntCheckBox3 = nullptr;
  QCheckBox* TntCheckBox4 = nullptr;
  QCheckBox* TntCheckBox1 = nullptr;
  QPushButton* TntButton1 = nullptr;
  QPushButton* RubyExport_TntButton = nullptr;  // 輸出注音
  QPushButton* Metre_TntButton = nullptr;       // 格律檢查
  // 自訂詞: the menu of the user's own phrase readings, kept in the handout preview.
  QPushButton* Phrases_TntButton = nullptr;
  QAction* Phrases_ExportAction = nullptr;
  QAction* Phrases_ImportAction = nullptr;
  QPlainTextEdit* TntMemo4 = nullptr;
  QProgressBar* TntProgressBar1 = nullptr;
  // The status line below the progress bar: says which consulted classes have no rows.
  QStatusBar* Convert_TntStatusBar = nullptr;

  // ---- state
  // The conversion button's class readings, kept between presses while the dictionary is unchanged.
  std::shared_ptr<ClassIndexCache> conversionClasses;
  // What the metre reads for the conversion and the handout (the Pingshui tables, every reading),
  // kept between presses in the same way.
  std::shared_ptr<metre::KeptMetreSources> keptMetreSources;
  std::shared_ptr<HandoutState> handoutState;  // src/romanize/window/handout_state.h
  QString phrasesFolder;  // where the user's phrases were last exported to or imported from

 private:
  void LayOut();

  TFDConnection* const FDConnection1;
  TFDQuery* const FDQuerySQLRavlekTable;
  DesignedLayout layout_;
};

}  // namespace ravlek
