#include "app/window/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ravlek {

QTranslator* InstallQtTranslations(QCoreApplication& application) {
  // The program's own texts are Traditional Chinese whatever the system's language is.
  auto* translator = new QTranslator(&application);
  if (!translator->load(QStringLiteral("qtbase_zh_TW"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

}  // namespace ravlek
