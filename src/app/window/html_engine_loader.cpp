#include <dlfcn.h>
#include <QCoreApplication>
#include <QLibrary>

#include "base/program_end.h"
#include "app/window/html_engine.h"

namespace ravlek {

namespace {

constexpr char kModuleName[] = "ravlek_html_engine";

HtmlEngine* Load(QString& why) {
  // A program linked with the module (the tests, the screenshots tool) has the entry already.
  auto entry = reinterpret_cast<HtmlEngineEntry>(dlsym(RTLD_DEFAULT, kHtmlEngineEntry));
  if (entry == nullptr) {
    // Only from the program's own folder. The library stays loaded when this object goes.
    QLibrary module(QCoreApplication::applicationDirPath() + u'/' + QLatin1String(kModuleName));
    if (module.load()) entry = reinterpret_cast<HtmlEngineEntry>(module.resolve(kHtmlEngineEntry));
    if (entry == nullptr) why = module.errorString();
  }
  return entry != nullptr ? entry(&ProgramEndRequested) : nullptr;
}

}  // namespace

HtmlEngine* LoadHtmlEngine(QString* why) {
  static QString failure;
  static HtmlEngine* const engine = Load(failure);
  if (why != nullptr) *why = failure;
  return engine;
}

}  // namespace ravlek
