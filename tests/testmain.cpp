// Test main for everything that uses Qt: the offscreen platform (also while CTest lists
// the tests at build time) and a private home, so no test touches the user's files.
#include <gtest/gtest.h>

#include <QApplication>

#include "support/testenv.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  TestEnv::UsePrivateHome();
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
