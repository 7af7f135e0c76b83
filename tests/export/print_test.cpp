// Printing: lines broken at blanks (or cut inside a word that does not
// fit), messages laid out on numbered pages whose header names the message
// at the top, a message started on a fresh page when its heading would be
// stranded, and a sink that fails or a stop ending the printout.
#include "export/print_job.h"

#include <gtest/gtest.h>

#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::exporting;
using Lines = std::vector<std::string>;

class PageList : public PageSink {
 public:
  bool page(const PrintedPage& p) override {
    if (failAt != 0 && p.number == failAt) return false;
    pages.push_back(p);
    return true;
  }
  std::vector<PrintedPage> pages;
  std::uint32_t failAt = 0;
};

TEST(PrintLinesTest, LinesBreakAtTheLastBlankThatFits) {
  EXPECT_EQ(breakLine("", 10), (Lines{""}));
  EXPECT_EQ(breakLine("one two three four", 10), (Lines{"one two", "three four"}));
  EXPECT_EQ(breakLine("abcdefghijklmno xy", 10), (Lines{"abcdefghij", "klmno xy"}));
  EXPECT_EQ(breakLine("exactly10!", 10), (Lines{"exactly10!"}));
  EXPECT_EQ(breakLine("0123456789 next", 10), (Lines{"0123456789", "next"}));
  EXPECT_EQ(breakLine(" abcdefghijklmnop", 10), (Lines{" abcdefghi", "jklmnop"}));
}

class PrintTest : public IndexTest {
 protected:
  void SetUp() override {
    const std::string longText(300, 'x');
    std::string words;
    for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + " ";
    importForum("F|Club|1|S1|100|0|Modems|Ann Lee|70001,1|Bob Ray|70001,2|1995-03-01|10:00|" + words + "\n" +
                "F|Club|1|S1|101|100|Re: Modems|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-02|10:00|short\n" +
                "F|Club|2|S2|102|0|Fax|Bob Ray|70001,2|Ann Lee|70001,1|1995-03-05|10:00|" + longText + "\n");
  }
  PrintResult print(PageList& sink, PageLayout layout, Job** running = nullptr) {
    PrintRequest r;
    r.code = SelectionCode::All;
    r.layout = layout;
    PrintJob job(*ctx, std::move(r), sink);
    if (running) *running = &job;
    runToEnd(job);
    printed = job.printed();
    return job.result();
  }
  std::uint64_t printed = 0;
};

TEST_F(PrintTest, MessagesFillNumberedPagesThatNameTheirTopMessage) {
  PageList sink;
  ASSERT_EQ(print(sink, {.width = 30, .linesPerPage = 16}), PrintResult::Done);
  EXPECT_EQ(printed, 3u);
  ASSERT_GE(sink.pages.size(), 3u);
  std::map<std::string, int> headings;
  for (std::size_t i = 0; i < sink.pages.size(); ++i) {
    const PrintedPage& p = sink.pages[i];
    EXPECT_EQ(p.number, i + 1);
    EXPECT_LE(p.lines.size(), 16u);
    EXPECT_EQ(p.header.rfind("Club   #", 0), 0u) << p.header;
    for (const std::string& l : p.lines) {
      EXPECT_LE(l.size(), 30u) << l;
      if (l.rfind("Message #", 0) == 0) ++headings[l.substr(0, 12)];
    }
  }
  EXPECT_EQ(headings, (std::map<std::string, int>{{"Message #100", 1}, {"Message #101", 1}, {"Message #102", 1}}));
  // The 300 x's are cut into lines of 30; no character is lost.
  std::size_t xs = 0;
  for (const PrintedPage& p : sink.pages)
    for (const std::string& l : p.lines)
      if (l.find_first_not_of('x') == std::string::npos) xs += l.size();
  EXPECT_EQ(xs, 300u);
  // A page whose first line is a message's heading names that message.
  for (const PrintedPage& p : sink.pages) {
    if (!p.lines.empty() && p.lines[0].rfind("Message #", 0) == 0) {
      EXPECT_NE(p.header.find("#" + p.lines[0].substr(9, 3)), std::string::npos) << p.header;
    }
  }
  // No page ends with a heading whose text is on the next page.
  for (const PrintedPage& p : sink.pages) {
    for (std::size_t i = 0; i < p.lines.size(); ++i) {
      if (p.lines[i].rfind("Message #", 0) == 0) {
        EXPECT_LE(i + 6, p.lines.size()) << p.number;
      }
    }
  }
}

TEST_F(PrintTest, AFailingSinkOrAStopEndsThePrintout) {
  PageList failing;
  failing.failAt = 2;
  EXPECT_EQ(print(failing, {.width = 30, .linesPerPage = 16}), PrintResult::Failed);
  EXPECT_EQ(failing.pages.size(), 1u);

  PageList stopped;
  PrintRequest r;
  r.code = SelectionCode::All;
  PrintJob job(*ctx, std::move(r), stopped);
  job.requestCancel();
  runToEnd(job);
  EXPECT_EQ(job.result(), PrintResult::Stopped);
  EXPECT_TRUE(stopped.pages.empty());

  PageList none;
  PrintRequest current;
  current.code = SelectionCode::Current;
  current.start.message = 999;
  PrintJob missing(*ctx, std::move(current), none);
  runToEnd(missing);
  EXPECT_EQ(missing.result(), PrintResult::Refused);
  EXPECT_TRUE(none.pages.empty());
}

}  // namespace
}  // namespace qv::test
