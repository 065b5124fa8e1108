#include <QFontDatabase>

#include "app/font_families.h"
#include "app/window/ostrel.h"
#include "dictionary/window/lookup_page.h"

void TOstrel::EnsurePhoneticFont() {
  const QStringList names = ravlek::CollapseFamilyNames(QFontDatabase::families());
  QString family = ravlek::PhoneticFamilyName(names);
  if (!ravlek::HasPhoneticFamily(names)) {
    // Named without a folder: the current directory is the application folder here. A font that
    // cannot be added is not reported.
    const int id = QFontDatabase::addApplicationFont(QStringLiteral("TSU.ttf"));
    if (id >= 0) family = ravlek::PhoneticFamilyName(QFontDatabase::applicationFontFamilies(id));
  }
  lookupPage_->UsePhoneticFamily(family);
}
