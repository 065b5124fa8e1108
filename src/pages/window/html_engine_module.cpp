// The module's side of html_engine.h: the views and the PDF printing of Qt WebEngine.
#include <QEventLoop>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QUrl>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "app/window/html_engine.h"
#include "pages/window/web_engine_html_view.h"

namespace ravlek {

namespace {

class WebEngine : public HtmlEngine {
 public:
  HtmlView* ViewIn(QWidget* place) override {
    auto* view = place->findChild<QWebEngineView*>(QString(), Qt::FindDirectChildrenOnly);
    if (view == nullptr) {
      view = new QWebEngineView(place);
      auto* layout = new QVBoxLayout(place);
      layout->setContentsMargins(0, 0, 0, 0);
      layout->addWidget(view);
      place->setFocusProxy(view);
      view->show();
    }
    return WebEngineHtmlView::For(view);
  }

  PrintResult PrintHtmlFileToPdf(const QString& htmlPath, const QString& pdfPath) override {
    QWebEnginePage page;
    QEventLoop loop;
    bool loaded = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
      loaded = ok;
      loop.quit();
    });
    page.load(QUrl::fromLocalFile(QFileInfo(htmlPath).absoluteFilePath()));
    loop.exec();
    if (!loaded) return PrintResult::kNotLoaded;

    bool printed = false;
    QObject::connect(&page, &QWebEnginePage::pdfPrintingFinished, &loop,
                     [&](const QString&, bool ok) {
                       printed = ok;
                       loop.quit();
                     });
    // The document's own @page rule sets the margins; these hold where it does not.
    const QPageLayout a4(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(16, 18, 16, 20),
                         QPageLayout::Millimeter);
    page.printToPdf(QFileInfo(pdfPath).absoluteFilePath(), a4);
    loop.exec();
    return printed ? PrintResult::kPrinted : PrintResult::kNotWritten;
  }
};

}  // namespace

}  // namespace ravlek

extern "C" Q_DECL_EXPORT ravlek::HtmlEngine* RavlekHtmlEngine(bool (*programEnding)()) {
  static ravlek::WebEngine engine;
  ravlek::WebEngineHtmlView::SetProgramEnding(programEnding);
  return &engine;
}
