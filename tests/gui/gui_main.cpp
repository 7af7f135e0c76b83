// The desktop program's tests run on Qt's offscreen platform: no display
// is needed, and what the windows show is checked through their widgets.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/cli/leak_suppressions.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
