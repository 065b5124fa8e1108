// The release window tests run headless, with the real window.
#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/app_folder_fixture.h"

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
