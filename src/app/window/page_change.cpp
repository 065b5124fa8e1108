// The page-change handler of the main window: the gate after an unfinished update download, the
// update buttons of the version page, and the resource pages, loaded anew at each visit.

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>

#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "pages/window/resource_pages.h"

namespace {

const QString kDownloading = QStringLiteral("downloading");
const QString kVersionCaption = QStringLiteral("版本資訊");

// The message shown when a page is chosen while an update download is unfinished.
QString DownloadGateMessage() {
  return QStringLiteral(
      "更新系統 ZIP Files曾下載到一半 出問題必須下載完畢, 請確認網路連線後再 "
      "按[下載(download)安裝] 鈕重新下載");
}

}  // namespace

void TOstrel::TntTabControl1Change() {
  using namespace ravlek;
  if (GLOBAL_DL_status == kDownloading) {
    ShowPlainMessage(DownloadGateMessage());
    DL_NEXTTIME_TntButton->hide();
    SelectPage(TntTabSheet4);
  }

  if (TntTabControl1->currentWidget() == TntTabSheet4) {
    // The caption tells whether an update was announced; without one the buttons stay as they are.
    if (TntTabControl1->tabText(TntTabControl1->indexOf(TntTabSheet4)) != kVersionCaption) {
      DL_TntButton->show();
      DL_NEXTTIME_TntButton->setVisible(GLOBAL_DL_status != kDownloading);
    }
  } else {
    DL_TntButton->hide();
    DL_NEXTTIME_TntButton->hide();
    DL_Status->hide();
  }

  resourcePages_->ShowPage(TntTabControl1->currentWidget());
}
