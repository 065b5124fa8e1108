#include "pages/window/resource_pages.h"

#include <QEvent>
#include <QLabel>

#include "base/app_folder.h"
#include "pages/UWebBrowserWrapper/UWebBrowserWrapper.h"
#include "pages/charset_line_place.h"
#include "app/window/html_engine.h"

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
  QWidget* place;
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
  A_WebBrowser = layout_.Make<QWidget>(sheets_[0], "A_WebBrowser");
  B_WebBrowser = layout_.Make<QWidget>(sheets_[1], "B_WebBrowser");
  C_WebBrowser = layout_.Make<QWidget>(sheets_[2], "C_WebBrowser");
  D_WebBrowser = layout_.Make<QWidget>(sheets_[3], "D_WebBrowser");
  // The places take the focus as the views do, which they hand it to once made.
  for (QWidget* place : {A_WebBrowser, B_WebBrowser, C_WebBrowser, D_WebBrowser}) {
    place->setFocusPolicy(Qt::StrongFocus);
  }
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

QWidget* ResourcePages::PlaceOn(QWidget* page) const {
  const QWidget* places[] = {A_WebBrowser, B_WebBrowser, C_WebBrowser, D_WebBrowser};
  for (size_t i = 0; i < sheets_.size(); ++i) {
    if (sheets_[i] == page) return const_cast<QWidget*>(places[i]);
  }
  return nullptr;
}

void ResourcePages::PlaceCharsetLine(QWidget* page) {
  QLabel* label = charsetLines_.value(page);
  QWidget* place = PlaceOn(page);
  if (label == nullptr || place == nullptr) return;
  // The line covers nothing of the view: neither its scroll bar nor its edges.
  label->setGeometry(CharsetLinePlace(page->size(), place->geometry(), label->size()));
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
    QString why;
    HtmlEngine* engine = LoadHtmlEngine(&why);
    if (engine == nullptr) {
      // Without the engine the page says why it is empty.
      QLabel* label = CharsetLabel(charsetLines_, resource.page);
      label->setText(why);
      label->adjustSize();
      PlaceCharsetLine(resource.page);
      label->show();
      label->raise();
      return;
    }
    // This run keeps its own wrapper alive: a page change inside the load's waits replaces fWBW.
    auto wrapper = std::make_shared<TWebBrowserWrapper>(engine->ViewIn(resource.place));
    fWBW = wrapper;
    shownSheet_ = resource.page;
    wrapper->LoadFromFile(AppFolderFile(kLastReleaseFolder + u'/' + QLatin1String(resource.file)));
    ShowPageCharset();
    return;
  }
}

void ResourcePages::ShowPageCharset() {
  const std::shared_ptr<TWebBrowserWrapper> wrapper = fWBW;
  QWidget* const page = shownSheet_;
  if (!wrapper || page == nullptr) return;
  HtmlView* view = wrapper->WebBrowser();
  HtmlDocument* document = view->Document();
  if (document == nullptr) return;
  // A page that never finishes loading is taken as it stands once the wait's limit has passed.
  WaitForLoadEnd(*view);
  if (!document->SupportsHtmlDocument2()) return;
  const QString line =
      PageCharsetLine(document->charset(), EncodingDisplayName(wrapper->Encoding()));

  QLabel* label = CharsetLabel(charsetLines_, page);
  label->setText(line);
  label->adjustSize();
  PlaceCharsetLine(page);
  label->show();
  label->raise();
}

}  // namespace ravlek
