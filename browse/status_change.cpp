#include "browse/status_change.h"

#include "store/database_list.h"
#include "store/records.h"
#include "store/table_use.h"

namespace qv::browse {

namespace {

// Holds the record whose key value is in `buffer`, sets its status and rewrites it.
template <class Record>
StatusChangeResult rewrite(Context& ctx, Record& buffer, engine::KeyRef key, Status status) {
  TableUse use(ctx, {Record::FileNo});
  engine::File& table = ctx.fileOf<Record>();
  if (HoldRec(ctx, table, key, true, 0) != kHoldRecHeld) return StatusChangeResult::Failed;
  setStatus(buffer, status);
  return UppDat(ctx, table, kUppPut, kReport) == kUppDatDone ? StatusChangeResult::Changed
                                                             : StatusChangeResult::Failed;
}

StatusChangeResult databaseStatus(Context& ctx, Status status) {
  if (status == Status::Delete &&
      ctx.lib.ui.ask(kDeleteDatabaseTitle, kDeleteDatabaseText, kYes | kNo, kNo) != kYes)
    return StatusChangeResult::Cancelled;
  if (!changeDatabaseRecord(ctx, ctx.mem.ForumNumber, [status](Forums& f) { setStatus(f, status); }))
    return StatusChangeResult::Failed;
  ctx.mem.ForumCheck = stored(status);
  return StatusChangeResult::Changed;
}

}  // namespace

StatusChangeResult changeStatus(Context& ctx, StatusTarget target, std::uint32_t id, Status status) {
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  switch (target) {
    case StatusTarget::Message:
      if (mail) {
        ctx.mai = Mail{};
        ctx.mai.MAILID = id;
        return rewrite(ctx, ctx.mai, Mail::IdKey, status);
      }
      ctx.msg = MsgNmbr{};
      ctx.msg.MSGNUMBER = id;
      return rewrite(ctx, ctx.msg, MsgNmbr::IdKey, status);
    case StatusTarget::Thread:
      if (mail) return StatusChangeResult::NotOffered;
      ctx.thr = Threads{};
      ctx.thr.THREADNUMBER = id;
      return rewrite(ctx, ctx.thr, Threads::ThreadKey, status);
    case StatusTarget::Section:
      if (mail) return StatusChangeResult::NotOffered;
      ctx.sec = Sections{};
      ctx.sec.SECSYSID = id;
      return rewrite(ctx, ctx.sec, Sections::SysIdKey, status);
    case StatusTarget::Partner:
      if (!mail) return StatusChangeResult::NotOffered;
      ctx.per = Person{};
      ctx.per.PERSONID = id;
      return rewrite(ctx, ctx.per, Person::PersonKey, status);
    case StatusTarget::Database: return databaseStatus(ctx, status);
  }
  return StatusChangeResult::Failed;
}

}  // namespace qv::browse
