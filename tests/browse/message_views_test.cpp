// The message browse's views over the message table: order, limit, paging
// from a message in both directions, and the date locator.
#include "browse/message_views.h"

#include "store/dates.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using MessageViewTest = IndexTest;
using Numbers = std::vector<std::uint32_t>;

Numbers numbers(const std::vector<MsgNmbr>& page) {
  Numbers out;
  for (const MsgNmbr& m : page) out.push_back(m.MSGNUMBER);
  return out;
}

std::string line(int n, int ref, const std::string& subject, const std::string& sender, const std::string& date,
                 int section = 1) {
  return "F|Club|" + std::to_string(section) + "|S" + std::to_string(section) + "|" + std::to_string(n) + "|" +
         std::to_string(ref) + "|" + subject + "|" + sender + "|All||" + date + "|10:00|text\n";
}

TEST_F(MessageViewTest, ViewsPageThroughTheirKeyWithinTheirLimit) {
  importForum(line(100, 0, "Modems", "Ann Lee|70001,1", "1995-03-01") +
              line(101, 100, "Re: Modems", "Bob Ray|70001,2", "1995-03-03") +
              line(102, 0, "Doom", "Ann Lee|70001,1", "1995-03-03", 2) +
              line(103, 101, "Re: Modems", "Ann Lee|70001,1", "1995-03-05") +
              line(104, 0, "Printers", "Bob Ray|70001,2", "1995-03-02"));

  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::Date).first(10)), (Numbers{103, 102, 101, 104, 100}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::MsgNo).first(2)), (Numbers{104, 103}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::MsgNo).after(103, 10)), (Numbers{102, 101, 100}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::MsgNo).before(101, 10)), (Numbers{102, 103, 104}));

  const MsgNmbr first = MessagePager(*ctx, MessageView::MsgNo).after(101, 1).front();  // message 100
  const ViewLimit thread{first.THREADALPHA.str(), first.THREADNUMBER};
  MessagePager inThread(*ctx, MessageView::Thread, thread);
  EXPECT_EQ(numbers(inThread.first(10)), (Numbers{100, 101, 103}));
  EXPECT_EQ(numbers(inThread.after(100, 1)), (Numbers{101}));
  EXPECT_EQ(numbers(inThread.after(103, 10)), Numbers{});    // the limit ends the page
  EXPECT_EQ(numbers(inThread.before(103, 10)), (Numbers{101, 100}));
  EXPECT_EQ(numbers(inThread.after(104, 10)), Numbers{});    // outside the limit

  const ViewLimit ann{first.FROMALPHA.str(), first.FROMID};
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::Sender, ann).first(10)), (Numbers{103, 102, 100}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::Section, ViewLimit{"", first.SECSYSID}).first(10)),
            (Numbers{100, 101, 103, 104}));
  EXPECT_EQ(viewCaption(MessageView::Section), " Filter Section N02");

  MessagePager byDate(*ctx, MessageView::Date);
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1995, 3, 3))->MSGNUMBER, 102u);  // the day's newest
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1995, 3, 4))->MSGNUMBER, 102u);  // none that day: the older one
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1995, 2, 1))->MSGNUMBER, 100u);  // all newer: the oldest
  EXPECT_EQ(byDate.atDate(dates::dayNumber(1999, 1, 1))->MSGNUMBER, 103u);
}

}  // namespace
}  // namespace qv::test
