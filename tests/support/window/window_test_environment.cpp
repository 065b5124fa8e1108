#include "tests/support/window/window_test_environment.h"

#include <QCoreApplication>

#include "app/window/html_engine.h"
#include "tests/support/window/own_release_server.h"

namespace ravlek::test {

void PrepareWindowTestEnvironment() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  if (qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").isEmpty()) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  EnsureOwnReleaseServer();
  // The HTML engine's module is linked, not loaded from the program's folder.
  static HtmlEngineEntry volatile linkedEngine = &RavlekHtmlEngine;
  (void)linkedEngine;
}

}  // namespace ravlek::test
