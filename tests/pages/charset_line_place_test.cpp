// Where the charset line goes on a resource page.
#include <gtest/gtest.h>

#include "pages/charset_line_place.h"

namespace {

using ravlek::CharsetLinePlace;

TEST(CharsetLinePlace, CoversNothingOfTheView) {
  const QSize page(1143, 600);
  const QSize line(300, 20);
  struct Case {
    const char* name;
    QRect view;
    QRect expected;
  };
  const Case cases[] = {
      {"room under the view", QRect(0, 16, 1065, 538), QRect(765, 554, 300, 20)},
      {"too little under it: above it", QRect(24, 40, 1065, 550), QRect(789, 20, 300, 20)},
      {"nothing under or above: beside it", QRect(0, 10, 800, 585), QRect(800, 575, 300, 20)},
      {"no room anywhere: the page's corner", QRect(0, 0, 1143, 600), QRect(843, 580, 300, 20)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CharsetLinePlace(page, c.view, line), c.expected) << c.name;
  }
}

}  // namespace
