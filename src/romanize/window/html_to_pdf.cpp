#include "romanize/window/html_to_pdf.h"

#include "base/error.h"
#include "app/window/html_engine.h"

namespace ravlek {

void PrintHtmlFileToPdf(const QString& htmlPath, const QString& pdfPath) {
  QString why;
  HtmlEngine* engine = LoadHtmlEngine(&why);
  if (engine == nullptr) throw CannotCreateFileError(pdfPath, why);
  switch (engine->PrintHtmlFileToPdf(htmlPath, pdfPath)) {
    case HtmlEngine::PrintResult::kPrinted:
      return;
    case HtmlEngine::PrintResult::kNotLoaded:
      throw CannotOpenFileError(htmlPath, QStringLiteral("The page did not load."));
    case HtmlEngine::PrintResult::kNotWritten:
      break;
  }
  throw CannotCreateFileError(pdfPath, QStringLiteral("The PDF was not written."));
}

}  // namespace ravlek
