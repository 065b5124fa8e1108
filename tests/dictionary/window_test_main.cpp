#include <gtest/gtest.h>

#include <QApplication>

#include "tests/support/app_folder_fixture.h"

int main(int argc, char** argv) {
  ravlek::test::PrepareWindowTestEnvironment();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
