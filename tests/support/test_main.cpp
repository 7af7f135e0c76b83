#include <gtest/gtest.h>

#include "app/cli/leak_suppressions.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
