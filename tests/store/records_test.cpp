// The identifier counter, the write wrapper's reports and the locking read.
#include "store/records.h"

#include <set>

#include "store/dispatcher.h"
#include "tests/store/store_fixture.h"
#include "tests/support/child_process.h"

namespace qv::test {
namespace {

using engine::Err;

TEST_F(StoreTest, NextNrStartsAtOneWithoutAControlRecord) {
  EXPECT_EQ(NextNr(*ctx), 1u);
  EXPECT_EQ(NextNr(*ctx), 2u);
  OP_CLOSE(*ctx, kOpOpen, {Control::FileNo});
  ctx->ctl.ID = 1;
  ASSERT_EQ(ctx->fileOf<Control>().get(Control::IdKey), Err::Ok);
  EXPECT_EQ(+ctx->ctl.NEXTNUMBER, 3u);  // packed field: compare a copy
  // Inside a transaction over Control the counter moves with it.
  ASSERT_EQ(ctx->session.logout(5, {&ctx->fileOf<Control>()}), Err::Ok);
  EXPECT_EQ(NextNr(*ctx), 3u);
  ASSERT_EQ(ctx->session.rollback(), Err::Ok);
  EXPECT_EQ(NextNr(*ctx), 3u);
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(StoreTest, UppDatReportsDuplicatesAndRollsBackInMode8) {
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo, Control::FileNo});
  engine::File& forums = ctx->fileOf<Forums>();
  ctx->for_ = Forums{};
  ctx->for_.ID = 1;
  ctx->for_.DIRNUMBER = 1;
  ctx->for_.DESCRIPTION = "Computing";
  ASSERT_EQ(UppDat(*ctx, forums, kUppAdd, kReport), 1);
  ctx->for_.ID = 2;
  ctx->for_.DIRNUMBER = 2;
  ctx->for_.DESCRIPTION = "COMPUTING";  // differs only in letter case
  EXPECT_EQ(UppDat(*ctx, forums, kUppAdd, kReport), 0);
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.last().title, forums.name().string());
  EXPECT_EQ(ui.last().text, "Record add error!\r\nA record with identical key already exists!");

  ASSERT_EQ(ctx->session.logout(5, {&forums, &ctx->fileOf<Control>()}), Err::Ok);
  ctx->for_.DESCRIPTION = "Gardening";
  ASSERT_EQ(UppDat(*ctx, forums, kUppAdd, kRollback), 1);
  ctx->for_.ID = 3;
  ctx->for_.DESCRIPTION = "Computing";
  EXPECT_EQ(UppDat(*ctx, forums, kUppAdd, kRollback), 0);
  EXPECT_FALSE(ctx->session.inTransaction());
  EXPECT_EQ(ui.last().text,
            "Record add error!\r\nA record with identical key already exists!\r\nThe last transaction is rolled back.");
  EXPECT_EQ(forums.records(), 1);  // Gardening went with the rollback

  // Unattended: the rollback happens, nothing is shown.
  ui.clear();
  ctx->mem.DoTask = 2;
  ASSERT_EQ(ctx->session.logout(5, {&forums}), Err::Ok);
  EXPECT_EQ(UppDat(*ctx, forums, kUppAdd, kRollback), 0);
  EXPECT_FALSE(ctx->session.inTransaction());
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(StoreTest, HoldRecTellsWhyARecordCannotBeHeld) {
  OP_CLOSE(*ctx, kOpOpen, {Forums::FileNo});
  ctx->for_ = Forums{};
  ctx->for_.ID = 7;
  ctx->for_.DESCRIPTION = "Held";
  ASSERT_EQ(ctx->fileOf<Forums>().add(), Err::Ok);
  const engine::Position pos = ctx->fileOf<Forums>().position();

  auto other = newContext();
  OP_CLOSE(*other, kOpOpen, {Forums::FileNo});
  other->for_.ID = 7;
  ASSERT_EQ(HoldRec(*other, other->fileOf<Forums>(), Forums::ForumKey, true, 0), 1);

  EXPECT_EQ(HoldRec(*ctx, ctx->fileOf<Forums>(), Forums::ForumKey, false, pos), 0);
  EXPECT_EQ(ui.last().title, "The record is not accessible!");
  EXPECT_EQ(ui.last().text, "The record is locked by another user!\r\nUpdate is cancelled, try again later!");

  ASSERT_EQ(other->fileOf<Forums>().erase(), Err::Ok);
  EXPECT_EQ(HoldRec(*ctx, ctx->fileOf<Forums>(), Forums::ForumKey, false, pos), 0);
  EXPECT_EQ(ui.last().title, ctx->fileOf<Forums>().name().string());
  EXPECT_EQ(ui.last().text, "The record has been deleted by another user!\r\n                   Update is cancelled!");
}

}  // namespace
}  // namespace qv::test

namespace qv::test {
namespace {

// Two processes drawing identifiers at the same time never get the same one.
TEST_F(StoreTest, NextNrFromTwoProcessesNeverRepeats) {
  std::set<std::uint32_t> seen;
  std::size_t total = 0;
  {
    ChildProcess a({QV_STORE_CHILD, "nextnr", home.path().string(), "150"});
    ChildProcess b({QV_STORE_CHILD, "nextnr", home.path().string(), "150"});
    // Draw in this process too, meanwhile, inside transactions over Control.
    OP_CLOSE(*ctx, kOpOpen, {Control::FileNo});
    for (int i = 0; i < 20; ++i) {
      ASSERT_EQ(ctx->session.logout(10, {&ctx->fileOf<Control>()}), engine::Err::Ok);
      const std::uint32_t id = NextNr(*ctx);
      ASSERT_NE(id, 0u);
      ASSERT_EQ(ctx->session.commit(), engine::Err::Ok);
      seen.insert(id);
      ++total;
    }
    for (ChildProcess* child : {&a, &b}) {
      for (std::string line = child->readLine(); line != "done"; line = child->readLine()) {
        ASSERT_FALSE(line.empty()) << "the child process failed";
        seen.insert(static_cast<std::uint32_t>(std::stoul(line)));
        ++total;
      }
      EXPECT_EQ(child->wait(), 0);
    }
  }
  EXPECT_EQ(total, 320u);
  EXPECT_EQ(seen.size(), total);
}

}  // namespace
}  // namespace qv::test
