// Status changes from the browse's pop-up menu.
#include "browse/status_change.h"

#include "browse/line_texts.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {
namespace {

using namespace qv::browse;
using StatusChangeTest = IndexTest;

TEST_F(StatusChangeTest, StatusChangesReachTheirRecordsAndTheDatabaseAsksFirst) {
  importForum(forumLine(100, "Modems", "Which modem?") + forumLine(101, "Re: Modems", "This one."));
  ctx->msg.MSGNUMBER = 101;
  {
    TableUse use(*ctx, {MsgNmbr::FileNo});
    ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
  }
  const MsgNmbr reply = ctx->msg;
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Message, 101, Status::Keep), StatusChangeResult::Changed);
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Thread, reply.THREADNUMBER, Status::Delete), StatusChangeResult::Changed);
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Section, reply.SECSYSID, Status::Keep), StatusChangeResult::Changed);
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Partner, reply.FROMID, Status::Keep), StatusChangeResult::NotOffered);
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Message, 999, Status::Keep), StatusChangeResult::Failed);

  TableUse use(*ctx, {MsgNmbr::FileNo, Threads::FileNo, Sections::FileNo});
  ctx->msg.MSGNUMBER = 101;
  ASSERT_EQ(ctx->fileOf<MsgNmbr>().get(MsgNmbr::IdKey), engine::Err::Ok);
  ctx->thr.THREADNUMBER = reply.THREADNUMBER;
  ASSERT_EQ(ctx->fileOf<Threads>().get(Threads::ThreadKey), engine::Err::Ok);
  ctx->sec.SECSYSID = reply.SECSYSID;
  ASSERT_EQ(ctx->fileOf<Sections>().get(Sections::SysIdKey), engine::Err::Ok);
  EXPECT_EQ(statusOf(ctx->msg), Status::Keep);
  EXPECT_EQ(statusOf(ctx->thr), Status::Delete);
  EXPECT_EQ(statusOf(ctx->sec), Status::Keep);
  // The kept message in the thread marked for deletion shows as kept.
  EXPECT_EQ(effectiveStatus({statusOf(ctx->msg), statusOf(ctx->thr), statusOf(ctx->sec)}), Status::Keep);

  // Marking the database Delete asks; No changes nothing, Yes marks it.
  ui.answers = {kNo, kYes};
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Database, 0, Status::Delete), StatusChangeResult::Cancelled);
  EXPECT_EQ(ui.last().title, kDeleteDatabaseTitle);
  EXPECT_EQ(ctx->mem.ForumCheck, 0);
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Database, 0, Status::Delete), StatusChangeResult::Changed);
  EXPECT_EQ(status(ctx->mem.ForumCheck), Status::Delete);
  activate("CLUB");  // the globals as the database list holds them now
  EXPECT_EQ(status(ctx->mem.ForumCheck), Status::Delete);
  EXPECT_EQ(changeStatus(*ctx, StatusTarget::Database, 0, Status::Normal), StatusChangeResult::Changed);
}

}  // namespace
}  // namespace qv::test
