#include "readers/cserve/cserve_text.h"

#include <gtest/gtest.h>

namespace qv::cserve {
namespace {

TEST(CserveTextTest, CodePage850ToWindows1252) {
  // Letters move to their Windows-1252 places; ASCII stays.
  EXPECT_EQ(oem850To1252("M\x81nchen \x82t\x8A"), "M\xFCnchen \xE9t\xE8");
  EXPECT_EQ(oem850To1252('\x9F'), '\x83');  // florin sign
  // Box drawing, blocks, dotless i, cedilla, degree, black square and
  // no-break space become blanks; the double low line becomes "=".
  EXPECT_EQ(oem850To1252("\xB0\xC4\xDB\xD5\xF7\xF8\xFE\xFF"), "        ");
  EXPECT_EQ(oem850To1252('\xF2'), '=');
}

TEST(CserveTextTest, PrefixesRemovedInAnyCase) {
  EXPECT_EQ(withoutCisPrefix("cis:IBMNET"), "IBMNET");
  EXPECT_EQ(withoutCisPrefix("CISCO"), "CISCO");
  EXPECT_EQ(withoutCisPrefix("CI"), "CI");
  EXPECT_EQ(withoutInternetPrefix("Internet:a@b.com"), "a@b.com");
  EXPECT_EQ(withoutInternetPrefix("INTERNET a@b.com"), "INTERNET a@b.com");
  EXPECT_EQ(withoutInternetPrefix("INTERNETa@b.com", true), "a@b.com");
  EXPECT_EQ(withoutInternetPrefix("76711,1234", true), "76711,1234");
}

}  // namespace
}  // namespace qv::cserve
