#pragma once
// The character lookup page (page 0): its controls, the grid over the dictionary rows held since
// start-up, the two memos that show and edit the current row's long texts, and the handlers of
// its three searches. Text typed into a memo edits the current row; the edit is stored when the
// row is left, when the filter changes and when the window closes.

#include <QObject>
#include <QSize>
#include <QString>
#include <memory>

#include "app/window/designed_layout.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class QWidget;

namespace ravlek {

class TDataSource;
class TFDQuery;

class LookupPage : public QObject {
  Q_OBJECT

 public:
  // Lays the page out on `sheet`, its grid over `rows` (FDQueryRavlekTable, which outlives it).
  LookupPage(QWidget* sheet, TFDQuery& rows, const DesignUnits& units);
  ~LookupPage() override;

  static LayoutTable Places();
  const DesignUnits& Units() const { return layout_.Units(); }
  void FollowGrowth(QSize extra) { layout_.Follow(extra); }

  // ---- handlers
  void TntEdit2Change();
  void TntEdit1_spell_SearchChange();
  void ComboBox1Change();
  void DataSource1UpdateData();

  // Start-up: the Pingshui rhymes into the rhyme box, the class choice "全".
  void FillSearchBoxes();
  // The family of the grid's phonetic columns, once the font check has found or added it.
  void UsePhoneticFamily(const QString& family);
  // Stores a pending memo edit now; raises Error (the edit kept) when it cannot be stored.
  void StoreEdit();

  // ---- controls
  QWidget* const TntTabSheet1;
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

  // ---- data
  TFDQuery* const FDQueryRavlekTable;
  std::shared_ptr<TDataSource> DataSource1;

 private:
  void LayOut();

  DesignedLayout layout_;
};

// Text typed into TntDBMemo1 / TntDBMemo2 edits Phone_desc / Desc of the current row: the stored
// text with just the typed change, and nothing while the memo holds what it was shown.
void BindLookupMemoEdits(LookupPage& window);

// Shows a field's stored text in a memo; showing it is no edit.
void ShowMemoText(QPlainTextEdit& memo, const QString& stored);

// The grid over DataSource1 with its columns, and the memos that show the current row.
void BindLookupGrid(LookupPage& window);
// Ctrl+C and the context menu of the lookup grid (lookup_grid_copy.cpp).
void BindLookupGridCopy(LookupPage& window);

}  // namespace ravlek
