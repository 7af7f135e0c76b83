#include "text/cserve_text.h"

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

namespace qv::cserve {
namespace {

TEST(CserveTextTest, InternetTagRemovedOnlyAsATag) {
  EXPECT_EQ(withoutInternetTag("INTERNET:bob@x.org"), "bob@x.org");
  EXPECT_EQ(withoutInternetTag("internet: bob@x.org"), "bob@x.org");
  EXPECT_EQ(withoutInternetTag("Internet bob@x.org"), "bob@x.org");
  // An address that only begins with those letters is an address.
  EXPECT_EQ(withoutInternetTag("internetsales@x.org"), "internetsales@x.org");
  EXPECT_EQ(withoutInternetTag("INTERNET"), "INTERNET");
  EXPECT_EQ(withoutInternetTag("76711,1234"), "76711,1234");
}

TEST(CserveTextTest, LineMarksBecomeCrLfLineEnds) {
  // Bare LFs become CR LF; a CR LF stays one line end (never CR CR LF).
  EXPECT_EQ(convertLineMarks("a\nb\r\nc\n\n"), "a\r\nb\r\nc\r\n\r\n");
  EXPECT_EQ(convertLineMarks("\nx"), "\r\nx");
  // "@b" before a line end goes, the line end stays; elsewhere it is text.
  EXPECT_EQ(convertLineMarks("one@b\ntwo@b\r\nthree@b\n\nfour"), "one\r\ntwo\r\nthree\r\n\r\nfour");
  EXPECT_EQ(convertLineMarks("mail@bix.com @b"), "mail@bix.com @b");
  EXPECT_EQ(convertLineMarks("x@b\ry"), "x@b\ry");
  // A leading "@l" goes; the result is the same as without it.
  EXPECT_EQ(convertLineMarks("@lline@b\nnext\n"), "line\r\nnext\r\n");
  EXPECT_EQ(convertLineMarks("a@l\n"), "a@l\r\n");
  // Converting twice changes nothing more.
  const std::string once = convertLineMarks("p@b\nq\n\r\nr");
  EXPECT_EQ(convertLineMarks(once), once);
}

}  // namespace
}  // namespace qv::cserve
