#include "app/window/design_units.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QStringList>
#include <cmath>

namespace ravlek {

namespace {
constexpr double kDesignDotsPerInch = 120.0;
}

void InstallFontSubstitutions() {
  // Characters beyond the basic CJK block and Extension A (Extension B onwards, as in old
  // dictionary passages) are in neither CJK font; the Hanazono Ming fonts cover them.
  const QStringList rareCharacters{QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB")};
  const QStringList ming = QStringList{QStringLiteral("Noto Serif CJK TC")} + rareCharacters;
  for (const QString& family :
       {QStringLiteral("細明體"), QStringLiteral("新細明體"), QStringLiteral("細明體-ExtB")}) {
    QFont::removeSubstitutions(family);
    QFont::insertSubstitutions(family, ming);
  }
  QFont::removeSubstitutions(QStringLiteral("標楷體"));
  QFont::insertSubstitutions(QStringLiteral("標楷體"),
                             QStringList{QStringLiteral("AR PL UKai TW")} + rareCharacters);
  QFont::removeSubstitutions(QStringLiteral("Tahoma"));
  QFont::insertSubstitution(QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans"));
}

DesignUnits::DesignUnits() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    factor_ = screen->logicalDotsPerInch() / kDesignDotsPerInch;
  }
}

int DesignUnits::Px(int designPixels) const {
  return static_cast<int>(std::lround(designPixels * factor_));
}

QRect DesignUnits::Rect(int left, int top, int width, int height) const {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

QFont DesignUnits::Font(const QString& family, int designPixels, bool bold) const {
  QFont font(family);
  font.setPixelSize(std::max(1, Px(designPixels)));
  font.setBold(bold);
  return font;
}

void SetComboText(QComboBox* box, const QString& text) {
  const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  box->setCurrentIndex(index);
  if (index < 0) box->setEditText(text);
}

}  // namespace ravlek
