#include "store/charset.h"

#include <gtest/gtest.h>

#include "store/fixed_string.h"

namespace qv {
namespace {

TEST(KeyText, IgnoresCaseIncludingAccentedLettersAndTrailingBlanks) {
  EXPECT_EQ(compareKeyText("M\xFCller", "M\xDCLLER  "), 0);      // ü / Ü
  EXPECT_EQ(compareKeyText("\x9A" "koda", "\x8A" "KODA"), 0);    // š / Š
  EXPECT_EQ(compareKeyText("\xFF", "\x9F"), 0);                  // ÿ / Ÿ
  EXPECT_LT(compareKeyText("abc", "ABD"), 0);
  EXPECT_LT(compareKeyText("ab", "abc"), 0);
  EXPECT_GT(compareKeyText("b", "A"), 0);
  // The division and multiplication signs are not letters.
  EXPECT_NE(compareKeyText("\xF7", "\xD7"), 0);
}

TEST(FixedString, CutsPadsAndComparesWithoutTrailingBlanks) {
  FixedString<5> s = "Smithson";
  EXPECT_EQ(s.raw(), "Smith");
  s = "Al";
  EXPECT_EQ(s.raw(), "Al   ");
  EXPECT_EQ(s.view(), "Al");
  EXPECT_TRUE(s == "Al ");
  EXPECT_FALSE(s == "al");
  s.clear();
  EXPECT_TRUE(s.blank());
}

}  // namespace
}  // namespace qv
