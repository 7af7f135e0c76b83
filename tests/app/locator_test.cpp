// The typed-ahead locator of lists.
#include "app/windows/locator.h"

#include <string>

#include "store/config.h"
#include "tests/store/store_fixture.h"

namespace qv::test {
namespace {

using LocatorTest = StoreTest;

TEST_F(LocatorTest, CollectsKeysWithinTheDelay) {
  char field[12];
  auto text = [&] { return std::string(field, sizeof field); };
  EXPECT_EQ(IncrementStep(*ctx, 'S', field, sizeof field, 10'000), 1);
  EXPECT_EQ(IncrementStep(*ctx, 'M', field, sizeof field, 11'000), 1);
  EXPECT_EQ(IncrementStep(*ctx, 96 + 7, field, sizeof field, 12'500), 1);  // keypad 7, 1.5 s: still within
  EXPECT_EQ(text(), "SM7         ");
  EXPECT_EQ(IncrementStep(*ctx, 91, field, sizeof field, 12'600), 0);  // not a locator key
  EXPECT_EQ(IncrementStep(*ctx, 512 + 'A', field, sizeof field, 12'600), 0);
  EXPECT_EQ(text(), "SM7         ");
  EXPECT_EQ(IncrementStep(*ctx, 304 + 1, field, sizeof field, 14'101), 1);  // past 1.5 s: starts anew
  EXPECT_EQ(text(), "1           ");
  for (int i = 0; i < 12; ++i) IncrementStep(*ctx, 'A' + i, field, sizeof field, 14'200 + i);
  EXPECT_EQ(text(), "1ABCDEFGHI  ");  // at most 10 characters
  char narrow[3];
  IncrementStep(*ctx, 32, narrow, sizeof narrow, 14'300);
  EXPECT_EQ(std::string(narrow, 3), "1AB");

  // The delay setting is read when the text starts anew: 0.5 s.
  auto setDelay = [&](std::int32_t tenths) {
    std::string unused;
    ASSERT_EQ(Konfig(*ctx, kKonfigSetGeneral, kItemLocatorDelay, tenths, 0, unused), 1);
  };
  setDelay(5);
  IncrementStep(*ctx, 'X', field, sizeof field, 20'000);
  IncrementStep(*ctx, 'Y', field, sizeof field, 20'500);
  IncrementStep(*ctx, 'Z', field, sizeof field, 21'001);
  EXPECT_EQ(text(), "Z           ");
  // A stored 40 counts as 15 tenths.
  setDelay(40);
  IncrementStep(*ctx, 'P', field, sizeof field, 30'000);
  IncrementStep(*ctx, 'Q', field, sizeof field, 31'400);
  EXPECT_EQ(text(), "PQ          ");
}

}  // namespace
}  // namespace qv::test
