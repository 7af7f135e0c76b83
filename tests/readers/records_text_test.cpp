// The text rules of the record-structured stores: addresses, NavCIS line
// ends, dates and times, memo lines, and the bad-record message.
#include <gtest/gtest.h>

#include "readers/records/record_loop.h"
#include "readers/records/record_text.h"
#include "store/dates.h"

namespace qv::test {
namespace {

using namespace records;
using namespace std::string_literals;

TEST(RecordText, InternetPrefixIsRemovedInAnyCaseButCompuServeIdsStay) {
  EXPECT_EQ(cleanAddress("INTERNET:ann@example.org"), "ann@example.org");
  EXPECT_EQ(cleanAddress("Internet:ann@example.org"), "ann@example.org");
  EXPECT_EQ(cleanAddress("internet:ann@example.org"), "ann@example.org");
  // A comma before any "@" makes it a CompuServe ID, prefix or not.
  EXPECT_EQ(cleanAddress("76543,210"), "76543,210");
  EXPECT_EQ(cleanAddress("INTERNET:76543,210"), "INTERNET:76543,210");
  // A comma after the "@" does not.
  EXPECT_EQ(cleanAddress("INTERNET:a@b,c"), "a@b,c");
  EXPECT_EQ(cleanAddress("INTERNETann@example.org"), "INTERNETann@example.org");
  const std::string longAddress = std::string(60, 'x') + "@example.org";
  EXPECT_EQ(cleanAddress("INTERNET:" + longAddress), longAddress.substr(0, 51));
}

TEST(RecordText, NavCisLineEndsAreRepairedByVariantAndKind) {
  EXPECT_EQ(repairNavcisLineEnds("\0one\0two\0"s, 62, false), "one\r\ntwo\r\n");
  EXPECT_EQ(repairNavcisLineEnds("one\0two"s, 62, true), "one\r\ntwo");
  EXPECT_EQ(repairNavcisLineEnds("a\nb\n", 76, true), "a\r\nb\r\n");
  // A mail that already has CR LF keeps its lone LFs; forum texts stay.
  EXPECT_EQ(repairNavcisLineEnds("a\r\nb\nc", 76, true), "a\r\nb\nc");
  EXPECT_EQ(repairNavcisLineEnds("a\nb\n", 76, false), "a\nb\n");
  // Two characters or fewer stay as they are.
  EXPECT_EQ(repairNavcisLineEnds("\0\0"s, 62, false), "\0\0"s);
}

TEST(RecordText, NavCisDatesAndTimes) {
  EXPECT_EQ(navcisDate("02-Feb-96"), dates::dayNumber(1996, 2, 2));
  EXPECT_EQ(navcisDate("31-DEC-05"), dates::dayNumber(2005, 12, 31));
  EXPECT_EQ(navcisDate("02-Foo-96"), 0);
  EXPECT_EQ(navcisDate("2-Feb-96"), 0);
  EXPECT_EQ(navcisDate("31-Feb-96"), 0);
  EXPECT_EQ(navcisTime("9:05"), dates::timeOf(9, 5, 0));
  EXPECT_EQ(navcisTime("12:30"), dates::timeOf(12, 30, 0));
  EXPECT_EQ(navcisTime("12:30:15"), dates::timeOf(12, 30, 15));
  EXPECT_EQ(navcisTime("1230"), 0);
  EXPECT_EQ(navcisTime("25:00"), 0);
  EXPECT_EQ(navcisTime(""), 0);
  EXPECT_EQ(hhmmTime("14:05"), dates::timeOf(14, 5, 0));
  EXPECT_EQ(hhmmTime("14.05"), 0);
}

TEST(RecordText, MemoLinesEndAtCrLfOrAtLfUntilACrIsSeen) {
  LineQueue q = memoLines("\r\n\r\nFrom: a\r\nTo: b\nc\r\n");
  ASSERT_EQ(q.size(), 2u);  // leading empty lines passed over; a lone LF after a CR is text
  EXPECT_EQ(q[0].text, "From: a");
  EXPECT_EQ(q[1].text, "To: b\nc");
  q = memoLines("a\n\nb");
  ASSERT_EQ(q.size(), 3u);
  EXPECT_EQ(q[1].text, "");
  q = memoLines(std::string(401, 'x'));
  ASSERT_EQ(q.size(), 2u);
  EXPECT_TRUE(q[0].split);
  EXPECT_EQ(q[1].text, "x");
  EXPECT_TRUE(memoLines("\n\r\n").empty());
}

TEST(RecordText, BadRecordMessageNamesTheStoreAndThePercentage) {
  EXPECT_EQ(BadRecordCheck("OUI").message(42),
            "Quorvel has processed 42 % of this OUI file and have encountered 5 bad records! They are probably "
            "deleted records that are still retained in the file. To ensure data integrity this file will be "
            "skipped! \r\n\r\nTo physically remove deleted records from your OUI file, always use the EXIT and "
            "PACK option when closing your OUI session after records have been purged!");
}

}  // namespace
}  // namespace qv::test
