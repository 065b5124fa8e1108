#pragma once
// The HTML engine (Qt WebEngine) lives in a module of its own, loaded when a page first needs it:
// linked into the program, it and the libraries it brings (Qt Quick, QML, Chromium's) would be
// loaded and relocated at every start, before any page has asked for it.

#include <QString>

class QWidget;

namespace ravlek {

class HtmlView;

class HtmlEngine {
 public:
  virtual ~HtmlEngine() = default;

  // The engine's view filling `place`, made at the first call and made the place's focus proxy.
  virtual HtmlView* ViewIn(QWidget* place) = 0;

  enum class PrintResult { kPrinted, kNotLoaded, kNotWritten };
  // Prints an HTML file to a PDF file on A4 paper, as a browser prints it; the event loop runs
  // until the PDF is written.
  virtual PrintResult PrintHtmlFileToPdf(const QString& htmlPath, const QString& pdfPath) = 0;
};

// The module's entry point, exported as kHtmlEngineEntry: the engine, made once and kept until
// the program ends. `programEnding` tells whether the window has been closed, so that a wait in
// the engine stops.
using HtmlEngineEntry = HtmlEngine* (*)(bool (*programEnding)());
inline constexpr char kHtmlEngineEntry[] = "RavlekHtmlEngine";

}  // namespace ravlek

// The module's entry point. A program that links the module instead of loading it (the tests)
// refers to it, so that the linker keeps the module.
extern "C" ravlek::HtmlEngine* RavlekHtmlEngine(bool (*programEnding)());

namespace ravlek {

// The engine, its module loaded at the first call from the program's folder (or the build's
// application folder, for programs run from the build); nullptr and why when it cannot be loaded.
HtmlEngine* LoadHtmlEngine(QString* why = nullptr);

}  // namespace ravlek
