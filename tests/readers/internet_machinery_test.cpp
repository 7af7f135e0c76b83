// The shared machinery of the Internet store readers: the block window, line
// collection, dates, addresses, subjects and header lines.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "text/date_text.h"
#include "text/from_line.h"
#include "text/header_text.h"
#include "store/dates.h"
#include "tests/readers/internet_helpers.h"

namespace qv::test {
namespace {

using namespace qv::internet;

std::string pattern(std::size_t n) {
  std::string s(n, '\0');
  for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i % 251);
  return s;
}

TEST(BlockWindow, SeesEveryByteAcrossBlockShiftsAndSeeks) {
  const std::string data = pattern(3 * kBlockSize + 1234);
  MemorySource source(data);
  BlockWindow w;
  ASSERT_TRUE(w.open(source));
  for (std::size_t i = 0; i < data.size(); ++i) {
    ASSERT_EQ(w.pos(), i);
    ASSERT_EQ(w.peek(), static_cast<unsigned char>(data[i])) << i;
    if (i >= 2) {
      ASSERT_EQ(w.prev(2), static_cast<unsigned char>(data[i - 2])) << i;
    }
    // A full block ahead is always in view while the data goes on.
    if (i + kBlockSize < data.size()) {
      ASSERT_EQ(w.peek(kBlockSize - 1), static_cast<unsigned char>(data[i + kBlockSize - 1]));
    }
    w.advance();
  }
  EXPECT_TRUE(w.atEnd());
  EXPECT_EQ(w.peek(), -1);

  BlockWindow jump;
  ASSERT_TRUE(jump.open(source));
  jump.seek(2 * kBlockSize + 17);  // beyond the first window
  EXPECT_EQ(jump.peek(), static_cast<unsigned char>(data[2 * kBlockSize + 17]));
  EXPECT_EQ(jump.view(3), std::string_view(data).substr(2 * kBlockSize + 17, 3));
  jump.seek(data.size() + 99);
  EXPECT_TRUE(jump.atEnd());
}

// The plain run ends at the first stop wherever it stands in the sixteen
// bytes compared at once, for sets of stops that fit the comparison and
// for larger ones, and runs to the end when no stop comes.
TEST(RunScan, FindsTheFirstStopAtEveryPlace) {
  const std::vector<std::string> sets = {"\n", std::string("\r\n=", 3), std::string("\r\n=\x7F", 4),
                                         std::string("\r\n=\x7F\x1A", 5), std::string("\xFF\x00", 2)};
  for (const std::string& set : sets) {
    std::array<bool, 256> stops{};
    for (char c : set) stops[static_cast<unsigned char>(c)] = true;
    const RunScan scan(stops);
    for (std::size_t length = 0; length <= 40; ++length) {
      std::string plain(length, 'x');
      for (std::size_t i = 0; i < length; ++i) plain[i] = static_cast<char>('a' + (i * 7) % 26 + (i % 3 == 0 ? 128 : 0));
      EXPECT_EQ(scan.plainLength(plain), length) << length;
      for (char stop : set) {
        for (std::size_t at = 0; at < length; ++at) {
          std::string text = plain;
          text[at] = stop;
          if (at + 1 < length) text[at + 1] = set[0];  // a second stop right after changes nothing
          ASSERT_EQ(scan.plainLength(text), at) << "set " << set.size() << " length " << length << " at " << at;
        }
      }
    }
  }
}

// A source whose third block cannot be read.
struct FailingSource final : ByteSource {
  explicit FailingSource(std::string d) : data(std::move(d)) {}
  std::uint64_t size() const override { return data.size(); }
  std::optional<std::size_t> read(std::uint64_t offset, char* out, std::size_t n) override {
    if (offset >= 2 * kBlockSize) return std::nullopt;
    return MemorySource(data).read(offset, out, n);
  }
  std::string data;
};

TEST(StoreReader, AReadErrorEndsTheFileKeepingWhatWasRead) {
  std::string store;
  while (store.size() < 3 * kBlockSize)
    store += "From a@x.org Sat Jan  1 00:00:00 2000\nFrom: a@x.org\nSubject: S\n\nSome body text here\n";
  std::unique_ptr<StoreReader> reader = makeStoreReader("Generic Mail Type 2");
  RecordingSink sink;
  ASSERT_TRUE(reader->open(std::make_unique<FailingSource>(store), "x", sink));
  while (!reader->step(sink, 50)) {
  }
  // Messages of the first 20,000 bytes (the last one cut short) are kept.
  EXPECT_GT(sink.messages.size(), 200u);
  EXPECT_LT(sink.messages.size(), 260u);
  ASSERT_EQ(sink.skipped.size(), 1u);
  EXPECT_EQ(sink.skipped[0].second, "read error: the rest of the file is not read");
}

TEST(StoreReader, ACallConvertsAtMostItsBudget) {
  std::string store;
  for (int i = 0; i < 7; ++i) store += "From a@x.org Sat Jan  1 00:00:00 2000\nSubject: S\n\nBody\n";
  std::unique_ptr<StoreReader> reader = makeStoreReader("Poco Mail");
  RecordingSink sink;
  ASSERT_TRUE(reader->open(std::make_unique<MemorySource>(store), "x", sink));
  std::vector<std::size_t> after;
  bool finished = false;
  while (!finished) {
    finished = reader->step(sink, 3);
    after.push_back(sink.messages.size());
  }
  EXPECT_EQ(after, (std::vector<std::size_t>{3, 6, 7}));
}

const std::string kMailHeader =
    "From jane@x.org Sat Jan  1 00:00:00 2000\r\nFrom: Jane <jane@x.org>\r\nTo: bob@y.org\r\n"
    "Subject: Lines\r\nDate: Wed, 5 Jan 2000 09:30\r\n\r\n";

TEST(LineCollection, LongLinesAreCutInto400CharacterEntriesAndRejoined) {
  std::string longLine(1000, 'x');
  for (std::size_t i = 0; i < longLine.size(); i += 7) longLine[i] = static_cast<char>('a' + i % 26);
  const std::string exact(400, 'e');
  const StoreRun r = readStore("Generic Mail Type 2", kMailHeader + longLine + "\r\n" + exact + "\r\nend\r\n");
  ASSERT_EQ(r.lines.size(), 1u);
  const LineQueue& q = r.lines[0];
  ASSERT_EQ(q.size(), 6u + 3u + 1u + 1u);
  EXPECT_EQ(q[6].text.size(), 400u);
  EXPECT_TRUE(q[6].split);
  EXPECT_EQ(q[7].text.size(), 400u);
  EXPECT_TRUE(q[7].split);
  EXPECT_EQ(q[8].text.size(), 200u);
  EXPECT_FALSE(q[8].split);
  // A line of exactly 400 characters is one entry.
  EXPECT_EQ(q[9].text, exact);
  EXPECT_FALSE(q[9].split);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].text, longLine + "\r\n" + exact + "\r\nend\r\n");
}

TEST(LineCollection, PairsAreDecodedAndSoftBreaksJoinedExceptAfterAnEncodedWord) {
  const std::string body =
      "Price =3D 5 =E9t=E9 =41BC =e9\r\n"
      "soft=\r\nbreak\r\n"
      "word =?iso-8859-1?Q?x?=\r\nnext\r\n";
  StoreRun r = readStore("Generic Mail Type 2", kMailHeader + body);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].text,
            "Price = 5 \xE9t\xE9 =41BC =e9\r\nsoftbreak\r\nword =?iso-8859-1?Q?x?=\r\nnext\r\n");

  // Eudora has no soft breaks; the pairs are decoded all the same.
  r = readStore("Eudora", "From ???@??? Sat Jan 01 10:00:00 2000\r\nDate: 5 Jan 2000\r\n\r\n" + body);
  ASSERT_EQ(r.sink.messages.size(), 1u);
  EXPECT_EQ(r.sink.messages[0].text,
            "Price = 5 \xE9t\xE9 =41BC =e9\r\nsoft=\r\nbreak\r\nword =?iso-8859-1?Q?x?=\r\nnext\r\n");
}

TEST(LineStyle, TheFirstLineEndDecides) {
  EXPECT_EQ(detectLineStyle("a\nb\r\n"), LineStyle::Lf);
  EXPECT_EQ(detectLineStyle("a\r\nb\n"), LineStyle::CrLf);
  EXPECT_EQ(detectLineStyle("no line end"), LineStyle::CrLf);
  EXPECT_EQ(detectLineStyle("\nfirst"), LineStyle::Lf);
}

struct DateCase {
  const char* text;
  int year, month, day, h, m, s;
};

TEST(Dates, TheThreeLayoutsAndTheMonthNames) {
  const DateCase cases[] = {
      {"Wed, 5 Jan 2000 09:30", 2000, 1, 5, 9, 30, 0},
      {"05-Jan-00 09:30:15", 2000, 1, 5, 9, 30, 15},
      {"  31 Dec 1999 23:59:58 +0100", 1999, 12, 31, 23, 59, 58},
      {"5 Jan 99 10:00", 1999, 1, 5, 10, 0, 0},
      {"7-FEB-1998 08:01:02", 1998, 2, 7, 8, 1, 2},
      {"Wednesday, Jan 05, 2000 08:00", 2000, 1, 5, 8, 0, 0},
      {"Thu, 06 Apr 2000 9:05:00 GMT", 2000, 4, 6, 9, 5, 0},
      {"01 M\xC4R 2001 12:00", 2001, 3, 1, 12, 0, 0},
      {"01 M\xE4r 2001 12:00", 2001, 3, 1, 12, 0, 0},
      {"02 Mai 2001 12:00", 2001, 5, 2, 12, 0, 0},
      {"03 OKT 2001 12:00", 2001, 10, 3, 12, 0, 0},
      {"04 dez 2001 12:00", 2001, 12, 4, 12, 0, 0},
  };
  for (const DateCase& c : cases) {
    const DateTime dt = parseDateText(c.text);
    EXPECT_EQ(dt.date, dates::dayNumber(c.year, c.month, c.day)) << c.text;
    EXPECT_EQ(dt.time, dates::timeOf(c.h, c.m, c.s)) << c.text;
  }
  EXPECT_EQ(parseDateText("01 Foo 2001 12:00").date, 0);
  EXPECT_EQ(parseDateText("").date, 0);
  EXPECT_EQ(parseDateText("garbage").time, 0);
}

TEST(Dates, DayNameRuleAndEudoraSeparatorLine) {
  DateTime dt = parseDayNameDateText("Wed, 5 Jan 2000 09:30");
  EXPECT_EQ(dt.date, dates::dayNumber(2000, 1, 5));
  EXPECT_EQ(dt.time, dates::timeOf(9, 30, 0));
  dt = parseDayNameDateText("9 Feb 98 07:15:00");
  EXPECT_EQ(dt.date, dates::dayNumber(1998, 2, 9));
  dt = parseSeparatorDate("From ???@??? Sat Mar  4 11:22:33 2000");
  EXPECT_EQ(dt.date, dates::dayNumber(2000, 3, 4));
  EXPECT_EQ(dt.time, dates::timeOf(11, 22, 33));
  EXPECT_EQ(parseSeparatorDate("From ???@???").date, 0);
}

TEST(Addresses, TheSplitsOfFromAndToTexts) {
  Party p = splitAddress("  Jane Smith <Jane.Smith@Example.COM>", false);
  EXPECT_EQ(p.address, "jane.smith@example.com");
  EXPECT_EQ(p.name, "Jane Smith");
  p = splitAddress("Jane.Smith@Example.COM (Jane Smith)", false);
  EXPECT_EQ(p.address, "jane.smith@example.com");
  EXPECT_EQ(p.name, "Jane Smith");
  p = splitAddress("\"Smith, Jane\" <j@x.org>", false);
  EXPECT_EQ(p.name, "Smith, Jane");
  p = splitAddress("Jane Smith jane@x.org", false);
  EXPECT_EQ(p.address, "jane@x.org");
  EXPECT_EQ(p.name, "Jane Smith");
  p = splitAddress("70001,1", false);
  EXPECT_EQ(p.address, "70001,1");
  EXPECT_EQ(p.name, "");
  p = splitAddress("bob@x.org (X)", true);
  EXPECT_EQ(p.address, "bob@x.org");
  EXPECT_EQ(p.name, "");

  // The news variant: angle brackets need not end the text; INTERNET prefixes.
  p = splitAddressVariant("Jane <Jane@X.org> (at home)", false);
  EXPECT_EQ(p.address, "jane@x.org");
  EXPECT_EQ(p.name, "Jane");
  p = splitAddressVariant("Jane Doe INTERNET:jane@x.org", false);
  EXPECT_EQ(p.address, "jane@x.org");
  EXPECT_EQ(p.name, "Jane Doe");
}

TEST(Subjects, OnlyOneLeadingReplyMarkIsRemoved) {
  EXPECT_EQ(cleanSubject("Re: RE: Lunch"), "RE: Lunch");
  EXPECT_EQ(cleanSubject("  re:   Lunch "), "Lunch");
  EXPECT_EQ(cleanSubject("Reunion"), "Reunion");
}

TEST(HeaderLines, ClassifierAndQuickTest) {
  EXPECT_EQ(classifyHeaderLine("from: a"), kFromHeader);
  EXPECT_EQ(classifyHeaderLine("Message-ID: <a@b>"), kMessageIdHeader);
  EXPECT_EQ(classifyHeaderLine("X-Mailer: Pegasus"), kOtherHeader);
  EXPECT_EQ(classifyHeaderLine("X-Mailer:Pegasus"), kNotHeader);
  EXPECT_EQ(classifyHeaderLine("Received: by x"), kOtherHeader);
  EXPECT_EQ(classifyHeaderLine("From jane@x.org Sat Jan  1 00:00:00 2000"), kOtherHeader);
  EXPECT_EQ(classifyHeaderLine("From - Sat Jan  1 00:00:00 2000"), kOtherHeader);
  EXPECT_EQ(classifyHeaderLine("From here to there"), kNotHeader);
  EXPECT_EQ(classifyHeaderLine("Hello: world"), kNotHeader);
  EXPECT_TRUE(looksLikeHeaderLine("Subject: hi"));
  EXPECT_TRUE(looksLikeHeaderLine("X-Any-Field:\tvalue"));
  EXPECT_FALSE(looksLikeHeaderLine("Subject:hi there"));
  EXPECT_FALSE(looksLikeHeaderLine(" Subject: hi"));
  EXPECT_FALSE(looksLikeHeaderLine("Nothing"));
}

TEST(FromSeparatorLines, AnAddressOrTheMailboxDateAtTheEndMakesASeparator) {
  const char* separators[] = {
      "From guido at python.org  Mon Sep  1 10:11:12 2003",  // archives that hide the "@"
      "From guido at python.org  Mon Sep  1 10:11:12 2003 -0700",
      "From guido at python.org  Mon Sep  1 10:11:12 2003 EST",
      "From MAILER-DAEMON Sat Aug 28 14:17:14 2021",  // local mail
      "From owner-list Fri Oct  9 16:11 CDT 1998",    // minutes only, the zone before the year
      "From list Sat Nov 15 01:17:36 +0000 2014",
      "From x wed jan 01 00:00:00 2000 \r",  // any letter case, blanks and a CR after it
      "From Mon Jan  1 00:00:00 2000",       // no sender at all
      "From jane@x.org",                     // an "@" needs no date
  };
  for (const char* line : separators) EXPECT_TRUE(fromSeparatorLine(line)) << line;

  const char* bodyLines[] = {
      "From here on we go",
      "From here on we go, said Mon Sep  1",
      "From x  Mon Sep  1 10:11:12 2003 and later",  // words after the date
      "From x  Mon Sep  1 10:11:12 03",              // a two-digit year
      "From x  Mon Sep  1 10:11 12 2003",
      "From x  Mon Sep  1 1:11:12 2003",  // a one-digit hour
      "From x  Mon Sep 123 10:11:12 2003",
      "From x  Day Sep  1 10:11:12 2003",            // not a day name
      "From - Mon June 02 12:00:00 1997",            // not a three-letter month
      "From x  Mon Sep  1 10:11:12 -0700 2003 EST",  // two zones
      "From x  Mon Sep  1 10:11:12 2003 Eastern",    // not a zone
      "from x at y.org  Mon Sep  1 10:11:12 2003",   // lower-case "from"
      ">From x at y.org  Mon Sep  1 10:11:12 2003",  // quoted
      "From  Sep  1 10:11:12 2003",
  };
  for (const char* line : bodyLines) EXPECT_FALSE(fromSeparatorLine(line)) << line;
  // The date is looked for on lines of at most 400 characters; the "@" in the first 100.
  const std::string date = " Mon Sep  1 10:11:12 2003";
  EXPECT_TRUE(fromSeparatorLine("From " + std::string(400 - 5 - date.size(), 'x') + date));
  EXPECT_FALSE(fromSeparatorLine("From " + std::string(401 - 5 - date.size(), 'x') + date));
  EXPECT_FALSE(fromSeparatorLine("From " + std::string(95, 'x') + "@x.org"));
}

}  // namespace
}  // namespace qv::test
