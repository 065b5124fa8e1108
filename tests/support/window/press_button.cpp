#include "tests/support/window/press_button.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/window/ostrel.h"

namespace ravlek::test {

void PressOnItsPage(TOstrel& window, QPushButton* button) {
  for (QWidget* p = button; p; p = p->parentWidget()) {
    if (window.TntTabControl1->indexOf(p) >= 0) window.TntTabControl1->setCurrentWidget(p);
  }
  QApplication::processEvents();
  ASSERT_TRUE(button->isVisible());
  ASSERT_TRUE(button->isEnabled());
  QTest::mouseClick(button, Qt::LeftButton);
  QApplication::processEvents();
}

}  // namespace ravlek::test
