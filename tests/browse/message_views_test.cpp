// The message browse's views over the message table: order, limit, paging
// from a message in both directions, and the date locator.
#include "browse/message_views.h"

#include <algorithm>

#include "store/dates.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using MessageViewTest = IndexTest;
using Numbers = std::vector<std::uint32_t>;

Numbers numbers(const std::vector<MsgNmbr>& page) {
  Numbers out;
  for (const MsgNmbr& m : page) out.push_back(+m.MSGNUMBER);
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
  // The end of a view, in the view's order: whole keys and limits alike.
  EXPECT_EQ(numbers(inThread.last(2)), (Numbers{101, 103}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::Date).last(2)), (Numbers{104, 100}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::MsgNo).last(10)), (Numbers{104, 103, 102, 101, 100}));

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

TEST_F(MessageViewTest, LocatorsStopAtTheNearestMessage) {
  importForum(line(100, 0, "Modems", "Ann Lee|70001,1", "1995-03-01") +
              line(105, 0, "Doom", "Bob Ray|70001,2", "1995-03-02") +
              line(110, 0, "Printers", "Carl Fox|70001,3", "1995-03-03"));
  MessagePager byNumber(*ctx, MessageView::MsgNo);
  EXPECT_EQ(byNumber.atNumber(105)->MSGNUMBER, 105u);
  EXPECT_EQ(byNumber.atNumber(107)->MSGNUMBER, 105u);  // the nearest lower number
  EXPECT_EQ(byNumber.atNumber(999)->MSGNUMBER, 110u);
  EXPECT_EQ(byNumber.atNumber(3)->MSGNUMBER, 100u);    // all higher: the lowest

  MessagePager bySender(*ctx, MessageView::Sender);
  EXPECT_EQ(bySender.atName("ra")->MSGNUMBER, 105u);   // Ray, letter case aside
  EXPECT_EQ(bySender.atName("g")->MSGNUMBER, 100u);    // Lee follows G
  EXPECT_EQ(bySender.atName("zz")->MSGNUMBER, 105u);   // past everyone: the last line
  EXPECT_EQ(byNumber.atName("ra"), std::nullopt);      // the number view has no name locator
}

// The word, topic and result views walk their rows and show each as its
// message; a row whose message is gone is passed over.
TEST_F(MessageViewTest, ListedViewsShowTheMessagesOfTheirRows) {
  importForum(forumLine(100, "One", "modem talk", "1995-03-01") + forumLine(101, "Two", "modem again", "1995-03-02") +
              forumLine(102, "Three", "printers", "1995-03-03") + forumLine(103, "Four", "modem last", "1995-03-04"));
  index(wordindex::IndexMode::Full);
  std::uint32_t modem = 0;
  {
    wordindex::IndexTable words(*ctx, WordList::FileNo);
    ctx->wor = WordList{};
    ctx->wor.THEWORD = "MODEM";
    ASSERT_EQ(words.file().get(WordList::by_theWord), engine::Err::Ok);
    modem = static_cast<std::uint32_t>(ctx->wor.WORDID);
  }
  {
    TableUse use(*ctx, {SIndex::FileNo, MsgNmbr::FileNo});
    for (std::uint32_t n : {100u, 101u, 103u}) {
      ctx->sin = SIndex{};
      ctx->sin.ID = 77;
      ctx->sin.MSGNUMBER = n;
      ASSERT_EQ(ctx->fileOf<SIndex>().add(), engine::Err::Ok);
    }
    ctx->sin.ID = 78;  // another topic's row beside the end of topic 77's
    ASSERT_EQ(ctx->fileOf<SIndex>().add(), engine::Err::Ok);
    ctx->msg = MsgNmbr{};
    ctx->msg.MSGNUMBER = 101;
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().erase(), engine::Err::Ok);
  }
  Numbers byWord = numbers(MessagePager(*ctx, MessageView::KeyWord, ViewLimit{"", modem, {}}).first(10));
  std::sort(byWord.begin(), byWord.end());
  EXPECT_EQ(byWord, (Numbers{100, 103}));  // the gone 101 passed over

  MessagePager topic(*ctx, MessageView::Topic, ViewLimit{"", 77, {}});
  EXPECT_EQ(numbers(topic.first(10)), (Numbers{103, 100}));  // highest number first
  EXPECT_EQ(numbers(topic.after(103, 10)), (Numbers{100}));   // the gone 101 passed over
  EXPECT_EQ(numbers(topic.before(100, 10)), (Numbers{103}));
  EXPECT_EQ(numbers(topic.last(1)), (Numbers{100}));
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::KeyWord, ViewLimit{"", modem, {}}).last(10)).size(), 2u);

  MessagePager results(*ctx, MessageView::SearchResult, ViewLimit{"", 0, {102, 101, 100, 103}});
  EXPECT_EQ(numbers(results.first(2)), (Numbers{102, 100}));
  EXPECT_EQ(numbers(results.after(100, 10)), (Numbers{103}));
  EXPECT_EQ(numbers(results.before(103, 1)), (Numbers{100}));
  EXPECT_EQ(numbers(results.last(2)), (Numbers{100, 103}));
  EXPECT_EQ(numbers(results.after(555, 10)), Numbers{});  // not in the set
  EXPECT_EQ(numbers(MessagePager(*ctx, MessageView::Topic).first(10)), Numbers{});  // no topic chosen
}

}  // namespace
}  // namespace qv::test
