#pragma once
// Qt's own texts (standard buttons, the text fields' context menus) in Traditional Chinese.

class QCoreApplication;
class QTranslator;

namespace ravlek {

// Installs Qt's Traditional Chinese translations (qtbase_zh_TW) from Qt's translation folder and
// returns the translator (owned by the application); nullptr when they are not installed, and
// Qt's texts stay English.
QTranslator* InstallQtTranslations(QCoreApplication& application);

}  // namespace ravlek
