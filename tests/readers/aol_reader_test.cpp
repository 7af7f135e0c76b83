// The AOL and CompuServe 2000 reader: records, text parts, inflating and
// its warnings, dates, forwarded headers, damaged records.
#include "readers/aol/aol_reader.h"
#include "store/dates.h"
#include "tests/readers/container_helpers.h"

namespace qv::test {
namespace {

using aol::DateOrder;

const std::int32_t kToday = dates::dayNumber(2012, 6, 1);

StoreRun readAol(const std::string& bytes, DateOrder order = DateOrder::MonthDayYear) {
  aol::AolReader reader(order);
  reader.today = kToday;
  return readWith(reader, bytes);
}

TEST(AolReader, CompressedAndPlainPartsBecomeOneConvertedText) {
  AolWriter w;
  w.record();
  w.header(3, "01/05/2000 09:30:00", "AnnLee", "JaneDoe", "Hello");
  w.part(256, zlibCompress("<HTML><B>Bold</B> words<BR>next line"));
  w.part(0, "plain <text>\r\nsecond");
  w.part(256, zlibCompress("<P>again</P>"));
  w.bytes += "some bytes between records";
  w.record();
  w.header(1, "2000-01-06", "Bob", "", "Second");
  w.text(17, "cc-recipient");  // the recipient when tag 7 gave none
  w.part(0, "x");
  const StoreRun r = readAol(w.bytes);
  ASSERT_EQ(r.sink.messages.size(), 2u);
  const internet::Message& m = r.sink.messages[0];
  EXPECT_EQ(m.subject, "Hello");
  EXPECT_EQ(m.senderAddress, "annlee");
  EXPECT_EQ(m.recipientAddress, "janedoe");
  EXPECT_EQ(m.date, dates::dayNumber(2000, 1, 5));
  EXPECT_EQ(m.time, dates::timeOf(9, 30, 0));
  EXPECT_EQ(m.text, "Bold words\r\nnext lineplain <text>\r\nsecond\r\n\r\nagain\r\n\r\n");
  EXPECT_EQ(r.sink.messages[1].recipientAddress, "cc-recipient");
  EXPECT_EQ(r.sink.messages[1].date, dates::dayNumber(2000, 1, 6));
  EXPECT_EQ(r.sink.messages[1].time, dates::timeOf(0, 0, 0));
}

TEST(AolReader, DamagedCompressedTextIsStoredAsTheWarning) {
  AolWriter w;
  std::string damaged = zlibCompress(std::string(2000, 'a') + "tail");
  for (std::size_t i : {damaged.size() / 2, damaged.size() / 2 + 1})
    damaged[i] = static_cast<char>(damaged[i] ^ 0x55);
  w.record();
  w.header(1, "01/05/2000", "a", "b", "Corrupt");
  w.part(256, damaged);
  w.record();
  w.header(2, "01/05/2000", "a", "b", "Kept around it");
  w.part(0, "before ");
  w.part(256, "\x78\x9C not a stream");
  const StoreRun r = readAol(w.bytes);
  ASSERT_EQ(r.sink.messages.size(), 2u);
  EXPECT_EQ(r.sink.messages[0].text, aol::kCorruptedText);
  EXPECT_EQ(r.sink.messages[1].text, "before " + std::string(aol::kCorruptedText));
  // The other results of inflating, one by one.
  EXPECT_EQ(aol::inflateText(zlibCompress(std::string(64001, 'x'))), aol::kTooLargeText);
  EXPECT_EQ(aol::inflateText(zlibCompress("fine")), "fine");
  EXPECT_EQ(aol::inflateText(std::string(64001, 'x')), aol::kTooLargeText);  // more than the buffer holds
}

TEST(AolReader, SendTimesOutsideTheTrustedYearsFallBackToTheDateText) {
  const std::uint32_t days2001 = static_cast<std::uint32_t>(dates::dayNumber(2001, 3, 4) - dates::dayNumber(1980, 1, 1));
  const std::uint32_t days2010 = static_cast<std::uint32_t>(dates::dayNumber(2010, 1, 1) - dates::dayNumber(1980, 1, 1));
  EXPECT_EQ(aol::dateLine(aolSeconds(days2001), "07/08/99 10:11:12", DateOrder::MonthDayYear, kToday),
            "04 Mar 2001 10:11:12");
  EXPECT_EQ(aol::dateLine(days2010 * 86400u, "07/08/99 10:11:12", DateOrder::MonthDayYear, kToday),
            "08 Jul 1999 10:11:12");
  // A send time after today is not believed either.
  EXPECT_EQ(aol::dateLine(aolSeconds(days2001), "07/08/99", DateOrder::MonthDayYear, dates::dayNumber(2000, 1, 1)),
            "08 Jul 1999 00:00:00");
  // The configured order; a four-digit first number is a year whatever it says.
  EXPECT_EQ(aol::dateLine({}, "07.08.1999 01:02", DateOrder::DayMonthYear, kToday), "07 Aug 1999 01:02");
  EXPECT_EQ(aol::dateLine({}, "1999-08-07", DateOrder::MonthDayYear, kToday), "07 Aug 1999 00:00:00");
  EXPECT_EQ(aol::dateLine({}, "99/08/07", DateOrder::YearMonthDay, kToday), "07 Aug 1999 00:00:00");
  // Unreadable: the text stays as it is.
  EXPECT_EQ(aol::dateLine({}, "Jul 8", DateOrder::MonthDayYear, kToday), "Jul 8");
  EXPECT_EQ(aol::dateLine({}, "13/13/1999", DateOrder::MonthDayYear, kToday), "13/13/1999");

  // Through the reader: 1 January 2010 is outside the range.
  AolWriter w;
  w.record();
  w.header(0, "12/24/2003 18:00:00", "a", "b", "Late", days2010 * 86400u);
  w.noParts();
  const StoreRun r = readAol(w.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].date, dates::dayNumber(2003, 12, 24));
  EXPECT_EQ(r.sink.messages[0].time, dates::timeOf(18, 0, 0));
}

TEST(AolReader, PartKindsIgnoredForwardedAndTooLong) {
  AolWriter w;
  w.record();
  w.header(7, "01/05/2000", "a", "b", "Parts");
  w.part(257, "");                 // ignore on
  w.part(0, "hidden");
  w.part(260, "");                 // ignore off
  w.part(258, AolWriter::forwarded("01/01/2000", "Carl", "Dora", "Original"));
  w.part(0, std::string(64001, 'L'));
  w.part(270, "skipped kind");
  w.part(0, "shown");
  const StoreRun r = readAol(w.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].text, "Date: 01/01/2000\r\nFrom: Carl\r\nTo: Dora\r\nSubject: Original\r\n" +
                                         std::string(25, '-') + "\r\n\r\n" + std::string(aol::kTooLongText) +
                                         "\r\nshown");
}

TEST(AolReader, UnknownTagsSkipTheMessageAndUnknownKindsEndItsParts) {
  AolWriter w;
  w.record();
  w.header(1, "01/05/2000", "a", "b", "Unknown tag");
  w.item(99, 1, 0);
  w.part(0, "lost");
  w.record();
  w.header(3, "01/05/2000", "a", "b", "Unknown kind");
  w.part(0, "kept");
  w.part(999, "stops here");
  w.part(0, "not read");
  const StoreRun r = readAol(w.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].subject, "Unknown kind");
  EXPECT_EQ(r.sink.messages[0].text, "kept");
  ASSERT_EQ(r.sink.skipped.size(), 1u);
  EXPECT_EQ(r.sink.skipped[0].second, "a message with the unknown header tag 99");
}

TEST(AolReader, ForeignAndDamagedFilesEndCleanly) {
  StoreRun r = readAol("AOLVM10 not quite");
  EXPECT_TRUE(r.sink.messages.empty());
  ASSERT_EQ(r.sink.skipped.size(), 1u);

  AolWriter w;
  w.record();
  w.header(1, "01/05/2000", "a", "b", "Whole");
  w.part(256, zlibCompress("text one"));
  w.record();
  w.header(1, "01/05/2000", "a", "b", "Cut");
  w.part(0, "a part longer than the file");
  const std::string whole = w.bytes;
  r = readAol(whole.substr(0, whole.size() - 5));
  ASSERT_EQ(r.sink.messages.size(), 2u);  // the cut part is left out
  EXPECT_EQ(r.sink.messages[1].text, "");
  // A text item claiming more bytes than are left: skipped, reading goes on.
  AolWriter big;
  big.record();
  big.item(6, 4, 0xFFFFFFF0u);
  big.record();
  big.header(0, "01/05/2000", "a", "b", "After");
  big.noParts();
  r = readAol(big.bytes);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].subject, "After");
  for (std::size_t cut = 0; cut < whole.size(); cut += 7) readAol(whole.substr(0, cut));
  for (std::size_t i = 8; i < whole.size(); i += 3) {
    std::string flipped = whole;
    flipped[i] = static_cast<char>(flipped[i] ^ 0xA5);
    EXPECT_LE(readAol(flipped).sink.messages.size(), 2u);
  }
}

}  // namespace
}  // namespace qv::test
