// The main of the end-to-end window tests. They need a real X server (ctest runs them under
// xvfb-run); without a display, as when the tests are only listed, Qt's offscreen platform
// stands in.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStandardPaths>
#include <cstdlib>

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  // The windows keep their position and recent files in the user's settings; the tests keep
  // theirs apart.
  QStandardPaths::setTestModeEnabled(true);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
