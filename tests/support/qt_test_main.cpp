// The window tests run on Qt's offscreen platform: no display needed.
#include <cstdlib>

#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName("Flight instrument");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
