#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTabBar>
#include <QTest>

#include "app/window/page_control.h"

namespace {

TEST(PageControl, ReportsOnlyThePagesTheUserChooses) {
  ravlek::PageControl pages;
  for (int i = 0; i < 3; ++i) pages.addTab(new QWidget, QStringLiteral("page %1").arg(i));
  pages.resize(400, 300);
  pages.show();
  QSignalSpy user(&pages, &ravlek::PageControl::userChangedPage);

  pages.setCurrentIndex(1);  // from code
  EXPECT_EQ(user.count(), 0);

  QTabBar* bar = pages.tabBar();
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(2).center());
  ASSERT_EQ(user.count(), 1);
  EXPECT_EQ(user.takeFirst().at(0).toInt(), 2);

  QTest::keyClick(&pages, Qt::Key_Tab, Qt::ControlModifier);  // wraps round to page 0
  ASSERT_EQ(user.count(), 1);
  EXPECT_EQ(user.takeFirst().at(0).toInt(), 0);

  // A page that the handler selects from code is no second user change.
  QObject::connect(&pages, &ravlek::PageControl::userChangedPage, &pages, [&](int index) {
    if (index == 1) pages.setCurrentIndex(2);
  });
  QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());
  EXPECT_EQ(user.count(), 1);
  EXPECT_EQ(pages.currentIndex(), 2);
}

}  // namespace
