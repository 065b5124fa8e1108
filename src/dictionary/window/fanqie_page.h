#pragma once
// The fanqie page (page 4): 反.切音粹取 writes the readings of the notations in the input field,
// and with 自動拼切 checked what each notation reads; 頂面欄清空 empties the input; 使用範例說明
// puts the sample passage into the input.

#include <QObject>
#include <QSize>

#include "app/window/designed_layout.h"

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QWidget;

namespace ravlek {

class TFDConnection;
class TFDQuery;

class FanqiePage : public QObject {
  Q_OBJECT

 public:
  // Lays the page out on `sheet`; the connection and the base-word datasets outlive it.
  FanqiePage(QWidget* sheet, TFDConnection& connection, TFDQuery& baseWords,
             TFDQuery& baseWordsPlus, const DesignUnits& units);

  static LayoutTable Places();
  void FollowGrowth(QSize extra) { layout_.Follow(extra); }

  // ---- handlers
  void TntButton2Click();
  void TntButton3Click();
  void TntButton4Click();

  // ---- controls
  QWidget* const TntTabSheet5;
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

 private:
  void LayOut();

  TFDConnection* const FDConnection1;
  TFDQuery* const FDQueryBaseWords;
  TFDQuery* const FDQueryBaseWordsPlus;
  DesignedLayout layout_;
};

}  // namespace ravlek
