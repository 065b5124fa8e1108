// The page-change handler of the main window: the version page's part (the gate after an
// unfinished update download, its buttons), then the four resource pages, loaded anew at each
// visit.

#include <QLabel>
#include <QTabWidget>
#include <QWebEngineView>

#include "app/window/messages.h"
#include "app/window/ostrel.h"
#include "base/app_folder.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/charset_line_place.h"
#include "pages/window/pages_state.h"
#include "pages/window/web_engine_html_view.h"

namespace ravlek {

QString PageCharsetLine(const QString& charset, const QString& encodingName) {
  return QStringLiteral("Charset: %1    Encoding: %2").arg(charset, encodingName);
}

namespace {

struct ResourcePage {
  QWidget* page;
  QWebEngineView* view;
  const char* file;
};

// The page's charset line: a label beside the view.
QLabel* CharsetLabel(PagesState& state, QWidget* page) {
  QLabel*& label = state.charsetLines[page];
  if (label == nullptr) {
    label = new QLabel(page);
    label->setObjectName(QStringLiteral("PageCharset_Line"));
    // The window's own small text, not the page tabs' large one: the line fits under the view.
    label->setFont(page->window()->font());
    label->setAutoFillBackground(true);
    label->setContentsMargins(6, 1, 6, 1);
  }
  return label;
}

}  // namespace

}  // namespace ravlek

void TOstrel::TntTabControl1Change() {
  using namespace ravlek;
  VersionPageChanged();

  const ResourcePage resourcePages[] = {
      {TntTabSheet6, A_WebBrowser, "RavlekBasic.html"},
      {TntTabSheet7, B_WebBrowser, "MediaLink.html"},
      {TntTabSheet8, C_WebBrowser, "ToolAndResource.html"},
      {TntTabSheet9, D_WebBrowser, "About.html"},
  };
  for (const ResourcePage& resource : resourcePages) {
    if (TntTabControl1->currentWidget() != resource.page) continue;
    // This run keeps its own wrapper alive: a page change inside the load's waits replaces fWBW.
    auto wrapper = std::make_shared<TWebBrowserWrapper>(WebEngineHtmlView::For(resource.view));
    fWBW = wrapper;
    wrapper->LoadFromFile(AppFolderFile(kLastReleaseFolder + u'/' + QLatin1String(resource.file)));
    ShowPageCharset();
    return;
  }
}

void TOstrel::ShowPageCharset() {
  using namespace ravlek;
  const std::shared_ptr<TWebBrowserWrapper> wrapper = fWBW;
  if (!wrapper) return;
  HtmlView* view = wrapper->WebBrowser();
  HtmlDocument* document = view->Document();
  if (document == nullptr) return;
  // A page that never finishes loading is taken as it stands once the wait's limit has passed.
  WaitForLoadEnd(*view);
  if (!document->SupportsHtmlDocument2()) return;
  const QString line =
      PageCharsetLine(document->charset(), EncodingDisplayName(wrapper->Encoding()));

  auto* engineView = dynamic_cast<WebEngineHtmlView*>(view);
  QWidget* page = engineView != nullptr ? engineView->view()->parentWidget() : nullptr;
  if (page == nullptr) return;
  if (!pagesState) pagesState = std::make_shared<PagesState>();
  QLabel* label = CharsetLabel(*pagesState, page);
  label->setText(line);
  label->adjustSize();
  // The line covers nothing of the view: neither its scroll bar nor its edges.
  label->setGeometry(CharsetLinePlace(page->size(), engineView->view()->geometry(), label->size()));
  label->show();
  label->raise();
}
