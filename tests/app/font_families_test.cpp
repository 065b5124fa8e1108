#include <gtest/gtest.h>

#include "app/font_families.h"

namespace {

TEST(PhoneticFamily, FoundBySubstringAnywhereInAnyName) {
  struct Case {
    QStringList names;
    bool found;
  };
  const Case cases[] = {
      {{QStringLiteral("Ostrel台語")}, true},
      {{QStringLiteral("DejaVu Sans"), QStringLiteral("Ostrel台語注音")}, true},
      {{QStringLiteral("@Ostrel台語注音")}, true},  // vertical variant
      {{QStringLiteral("Ostrel")}, false},
      {{QStringLiteral("ostrel台語")}, false},  // case-sensitive
      {{QStringLiteral("Ostrel 台語")}, false},
      {{}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ravlek::HasPhoneticFamily(c.names), c.found) << c.names.join(u'|').toStdString();
  }
  EXPECT_EQ(ravlek::PhoneticFamilyName({QStringLiteral("A"), QStringLiteral("xOstrel台語y")}),
            QStringLiteral("xOstrel台語y"));
}

TEST(PhoneticFamily, ListingDropsOnlyConsecutiveRepeatsIgnoringCase) {
  const QStringList reported = {QStringLiteral("Noto"), QStringLiteral("NOTO"),
                                QStringLiteral("DejaVu"), QStringLiteral("Noto")};
  EXPECT_EQ(
      ravlek::CollapseFamilyNames(reported),
      (QStringList{QStringLiteral("Noto"), QStringLiteral("DejaVu"), QStringLiteral("Noto")}));
}

}  // namespace
