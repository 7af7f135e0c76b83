// Saved window positions and list column widths.
#include "app/windows/window_layouts.h"

#include "store/config.h"
#include "store/config_store.h"
#include "tests/store/config_fixture.h"

namespace qv::test {
namespace {

using WindowLayoutsTest = ConfigTest;

TEST_F(WindowLayoutsTest, LayoutsSurviveARestart) {
  ASSERT_EQ(loadSettings(*ctx), 1);
  ASSERT_EQ(loadWindowLayouts(*ctx), 1);
  const WindowPlace frame{-20, 10, 800, 600};
  WindowPlace place = frame;
  ASSERT_EQ(WindowPos(*ctx, kLayoutStore, 0, place), 1);
  ListColumns widths{40, 120, 300, 80, 0};
  ASSERT_EQ(ListCol(*ctx, kLayoutStore, 19, widths), 1);

  Restart again(home.path());
  Context& c = *again.ctx;
  ASSERT_EQ(loadSettings(c), 1);
  ASSERT_EQ(loadWindowLayouts(c), 1);
  place = {};
  ASSERT_EQ(WindowPos(c, kLayoutRead, 0, place), 1);
  EXPECT_EQ(place, frame);
  EXPECT_EQ(WindowPos2(c, kLayoutRead, 0, place), 0);  // the other windows are another record
  ListColumns read{};
  ASSERT_EQ(ListCol(c, kLayoutRead, 19, read), 1);
  EXPECT_EQ(read, widths);
  // Reset: the current layouts become the (empty) defaults again.
  ASSERT_EQ(WindowPos(c, kLayoutReset, 0, place), 1);
  EXPECT_EQ(WindowPos(c, kLayoutRead, 0, place), 0);
}

TEST_F(WindowLayoutsTest, CurrentLayoutStartsAsACopyOfTheDefaultOne) {
  // An installation that ships default positions but has no current ones.
  config::Image defaults{};
  config::writeInt16(defaults, 3 * config::kWindowSlotBytes, 100);
  config::writeInt16(defaults, 3 * config::kWindowSlotBytes + 4, 640);
  ASSERT_TRUE(config::writeRecord(*ctx, config::kRecOtherWindowsDefault, defaults));
  WindowPlace place;
  ASSERT_EQ(WindowPos2(*ctx, kLayoutLoad, 0, place), 1);
  ASSERT_EQ(WindowPos2(*ctx, kLayoutRead, 3, place), 1);
  EXPECT_EQ(place, (WindowPlace{100, 0, 640, 0}));
  place = {5, 5, 50, 50};
  ASSERT_EQ(WindowPos2(*ctx, kLayoutStore, 3, place), 1);
  ASSERT_EQ(WindowPos2(*ctx, kLayoutReset, 0, place), 1);
  ASSERT_EQ(WindowPos2(*ctx, kLayoutRead, 3, place), 1);
  EXPECT_EQ(place, (WindowPlace{100, 0, 640, 0}));
}

}  // namespace
}  // namespace qv::test
