// The main of every window test program: the offscreen window environment and a QApplication.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/window/window_test_environment.h"

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
