// The page-change handler of the main window: the version page's part (the gate after an
// unfinished update download, its buttons), then the resource pages, loaded anew at each visit.

#include <QTabWidget>

#include "app/window/ostrel.h"
#include "pages/window/resource_pages.h"

void TOstrel::TntTabControl1Change() {
  VersionPageChanged();
  resourcePages_->ShowPage(TntTabControl1->currentWidget());
}
