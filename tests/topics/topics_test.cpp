// Topics: the form's refusals, links and counts kept together, the count
// refresh, deleting a topic with its links, and the topic tree following
// the browse's context record.
#include "topics/codes.h"

#include "store/records.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"
#include "topics/topic_tree.h"

namespace qv::test {
namespace {

using namespace qv::topics;
using TopicsTest = IndexTest;

// Each topic's count against the number of its links.
std::vector<std::pair<std::uint32_t, std::uint32_t>> countsAndLinks(Context& ctx) {
  std::vector<std::pair<std::uint32_t, std::uint32_t>> out;
  for (const Codes& t : listCodes(ctx, CodeType::Topic)) {
    TableUse use(ctx, {SIndex::FileNo});
    std::uint32_t links = 0;
    engine::File& f = ctx.fileOf<SIndex>();
    f.set();
    while (f.next() == engine::Err::Ok) links += ctx.sin.ID == t.ID ? 1 : 0;
    out.emplace_back(+t.COUNT, links);
  }
  return out;
}

TEST_F(TopicsTest, LinksAndCountsStayTogether) {
  importForum(forumLine(100, "One", "a") + forumLine(101, "Two", "b") + forumLine(102, "Three", "c"));
  const CodeAdded modems = addCode(*ctx, CodeType::Topic, "Modems");
  ASSERT_EQ(modems.result, CodeFormResult::Done);
  EXPECT_EQ(addCode(*ctx, CodeType::Topic, "MODEMS").result, CodeFormResult::Duplicate);
  EXPECT_EQ(addCode(*ctx, CodeType::KeyWord, "modems").result, CodeFormResult::Done);  // another type
  ASSERT_EQ(addCode(*ctx, CodeType::Topic, "Printers").result, CodeFormResult::Done);

  TopicTree tree(*ctx);
  tree.show(100);
  ASSERT_EQ(tree.lines().size(), 2u);
  EXPECT_EQ(tree.lines()[0].topic.INDEX, "Modems");
  EXPECT_EQ(tree.toggle(0), LinkChange::Done);
  EXPECT_TRUE(tree.lines()[0].tagged);
  tree.show(101);
  EXPECT_FALSE(tree.lines()[0].tagged);
  EXPECT_EQ(tree.toggle(0), LinkChange::Done);
  EXPECT_EQ(tree.toggle(1), LinkChange::Done);
  EXPECT_EQ(+tree.lines()[0].topic.COUNT, 2u);
  EXPECT_EQ(countsAndLinks(*ctx), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{2, 2}, {1, 1}}));
  EXPECT_EQ(tree.toggle(0), LinkChange::Done);  // untagged again
  EXPECT_EQ(countsAndLinks(*ctx), (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 1}, {1, 1}}));

  // The tree follows the browse's current message.
  MessageContext current;
  current.MSGNUMBER = 100;
  ctx->lib.contexts.exchange(ContextMode::Store, current);
  EXPECT_TRUE(tree.follow());
  EXPECT_EQ(tree.message(), 100u);
  EXPECT_TRUE(tree.lines()[0].tagged);
  EXPECT_FALSE(tree.follow());  // nothing new

  // A count that drifted (older data) is repaired by the list's refresh.
  {
    TableUse use(*ctx, {Codes::FileNo});
    ctx->cod = listCodes(*ctx, CodeType::Topic)[0];
    ASSERT_EQ(ctx->fileOf<Codes>().get(Codes::ClassKey), engine::Err::Ok);
    ctx->cod.COUNT = 7;
    ASSERT_EQ(ctx->fileOf<Codes>().put(), engine::Err::Ok);
  }
  EXPECT_EQ(refreshTopicCounts(*ctx), 1u);
  EXPECT_EQ(refreshTopicCounts(*ctx), 0u);
  EXPECT_EQ(countsAndLinks(*ctx)[0], (std::pair<std::uint32_t, std::uint32_t>{1, 1}));

  // A delete that fails halfway (the topic held by another session) takes
  // neither the topic nor any of its links.
  const Codes topic = listCodes(*ctx, CodeType::Topic)[0];
  {
    auto other = newContext();
    other->mem = ctx->mem;
    TableUse held(*other, {Codes::FileNo});
    other->cod = topic;
    ASSERT_EQ(HoldRec(*other, other->fileOf<Codes>(), Codes::ClassKey, true, 0), kHoldRecHeld);
    EXPECT_EQ(deleteCode(*ctx, topic), CodeFormResult::Failed);
    other->fileOf<Codes>().release();
  }
  EXPECT_EQ(countsAndLinks(*ctx)[0], (std::pair<std::uint32_t, std::uint32_t>{1, 1}));

  // Deleting a topic takes its links with it.
  EXPECT_EQ(deleteCode(*ctx, topic), CodeFormResult::Done);
  ASSERT_EQ(listCodes(*ctx, CodeType::Topic).size(), 1u);
  TableUse use(*ctx, {SIndex::FileNo});
  EXPECT_EQ(ctx->fileOf<SIndex>().records(), 1);
}

TEST_F(TopicsTest, RenamingIsGuardedAndRefusesAnotherTopicsText) {
  importForum(forumLine(100, "One", "a"));
  const Codes modems = addCode(*ctx, CodeType::Topic, "Modems").code;
  ASSERT_EQ(addCode(*ctx, CodeType::Topic, "Printers").result, CodeFormResult::Done);
  EXPECT_EQ(changeCode(*ctx, modems, "printers", false, false), CodeFormResult::Duplicate);
  EXPECT_EQ(changeCode(*ctx, modems, "MODEMS", false, false), CodeFormResult::Done);  // its own text, new case
  EXPECT_EQ(changeCode(*ctx, modems, "Fax", false, false), CodeFormResult::ChangedMeanwhile);  // stale copy
  EXPECT_EQ(findCodeNamed(*ctx, CodeType::Topic, "modems")->INDEX, "MODEMS");
  EXPECT_EQ(findCodeNamed(*ctx, CodeType::Topic, std::to_string(modems.ID))->INDEX, "MODEMS");
}

}  // namespace
}  // namespace qv::test
