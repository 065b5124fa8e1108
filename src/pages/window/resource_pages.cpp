#include "pages/window/resource_pages.h"

#include <QEvent>
#include <QLabel>
#include <QWebEngineView>

#include "base/app_folder.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/charset_line_place.h"
#include "pages/window/web_engine_html_view.h"

namespace ravlek {

QString PageCharsetLine(const QString& charset, const QString& encodingName) {
  return QStringLiteral("Charset: %1    Encoding: %2").arg(charset, encodingName);
}

namespace {

const DesignedPlace kPlaces[] = {
    {"A_WebBrowser", {0, 16, 1065, 538}, kGrowsBoth},
    {"B_WebBrowser", {8, 24, 1065, 538}, kGrowsBoth},
    {"C_WebBrowser", {16, 32, 1065, 538}, kGrowsBoth},
    {"D_WebBrowser", {24, 40, 1065, 538}, kGrowsBoth},
};

struct ResourcePage {
  QWidget* page;
  QWebEngineView* view;
  const char* file;
};

// The page's charset line: a label beside the view.
QLabel* CharsetLabel(QHash<QWidget*, QLabel*>& lines, QWidget* page) {
  QLabel*& label = lines[page];
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

// Re-places a page's charset line when its sheet changes size.
class SheetResize : public QObject {
 public:
  SheetResize(QObject* parent, std::function<void(QWidget*)> resized)
      : QObject(parent), resized_(std::move(resized)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Resize) resized_(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void(QWidget*)> resized_;
};

}  // namespace

ResourcePages::ResourcePages(const std::array<QWidget*, 4>& sheets, const DesignUnits& units)
    : sheets_(sheets), layout_(Places(), units) {
  A_WebBrowser = layout_.Make<QWebEngineView>(sheets_[0], "A_WebBrowser");
  B_WebBrowser = layout_.Make<QWebEngineView>(sheets_[1], "B_WebBrowser");
  C_WebBrowser = layout_.Make<QWebEngineView>(sheets_[2], "C_WebBrowser");
  D_WebBrowser = layout_.Make<QWebEngineView>(sheets_[3], "D_WebBrowser");
  auto* resize = new SheetResize(this, [this](QWidget* page) { PlaceCharsetLine(page); });
  for (QWidget* sheet : sheets_) sheet->installEventFilter(resize);
}

ResourcePages::~ResourcePages() = default;

LayoutTable ResourcePages::Places() {
  return kPlaces;
}

void ResourcePages::FollowGrowth(QSize extra) {
  layout_.Follow(extra);
  for (QWidget* sheet : sheets_) PlaceCharsetLine(sheet);
}

void ResourcePages::PlaceCharsetLine(QWidget* page) {
  QLabel* label = charsetLines_.value(page);
  if (label == nullptr) return;
  const QList<QWebEngineView*> views = page->findChildren<QWebEngineView*>();
  if (views.isEmpty()) return;
  // The line covers nothing of the view: neither its scroll bar nor its edges.
  label->setGeometry(CharsetLinePlace(page->size(), views.first()->geometry(), label->size()));
}

void ResourcePages::ShowPage(QWidget* current) {
  const ResourcePage resourcePages[] = {
      {sheets_[0], A_WebBrowser, "RavlekBasic.html"},
      {sheets_[1], B_WebBrowser, "MediaLink.html"},
      {sheets_[2], C_WebBrowser, "ToolAndResource.html"},
      {sheets_[3], D_WebBrowser, "About.html"},
  };
  for (const ResourcePage& resource : resourcePages) {
    if (current != resource.page) continue;
    // This run keeps its own wrapper alive: a page change inside the load's waits replaces fWBW.
    auto wrapper = std::make_shared<TWebBrowserWrapper>(WebEngineHtmlView::For(resource.view));
    fWBW = wrapper;
    wrapper->LoadFromFile(AppFolderFile(kLastReleaseFolder + u'/' + QLatin1String(resource.file)));
    ShowPageCharset();
    return;
  }
}

void ResourcePages::ShowPageCharset() {
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
  QLabel* label = CharsetLabel(charsetLines_, page);
  label->setText(line);
  label->adjustSize();
  // The line covers nothing of the view: neither its scroll bar nor its edges.
  label->setGeometry(CharsetLinePlace(page->size(), engineView->view()->geometry(), label->size()));
  label->show();
  label->raise();
}

}  // namespace ravlek
