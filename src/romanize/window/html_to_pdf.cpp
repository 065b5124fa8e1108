#include "romanize/window/html_to_pdf.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QUrl>
#include <QWebEnginePage>

#include "base/error.h"

namespace ravlek {

void PrintHtmlFileToPdf(const QString& htmlPath, const QString& pdfPath) {
  QWebEnginePage page;
  QEventLoop loop;
  bool loaded = false;
  QObject::connect(&page, &QWebEnginePage::loadFinished, &loop, [&](bool ok) {
    loaded = ok;
    loop.quit();
  });
  page.load(QUrl::fromLocalFile(QFileInfo(htmlPath).absoluteFilePath()));
  loop.exec();
  if (!loaded) throw CannotOpenFileError(htmlPath, QStringLiteral("The page did not load."));

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
  if (!printed) throw CannotCreateFileError(pdfPath, QStringLiteral("The PDF was not written."));
}

}  // namespace ravlek
