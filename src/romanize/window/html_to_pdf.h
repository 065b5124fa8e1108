#pragma once
// Prints an HTML file to a PDF file with the HTML engine, on A4 paper, as a browser prints it.

#include <QString>

namespace ravlek {

// Loads the file, waits until it is laid out and printed (the event loop runs meanwhile), and
// raises Error when the page cannot be loaded or the PDF cannot be written.
void PrintHtmlFileToPdf(const QString& htmlPath, const QString& pdfPath);

}  // namespace ravlek
