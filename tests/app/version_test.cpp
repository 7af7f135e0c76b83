#include "app/version.h"

#include <gtest/gtest.h>

TEST(Version, IsTheProjectVersion) { EXPECT_EQ(qv::app::version(), "4.70.0"); }
