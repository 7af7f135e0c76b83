// The counting steps: persons, threads and sections recounted from the
// messages that name them (each removed when nothing names it any more),
// and the database's message count stored at the end.
#include <limits>

#include "maintenance/purge_mess.h"
#include "store/persons.h"
#include "store/records.h"

namespace qv::maintenance {

using engine::Err;

namespace {

PurgeMess::Recount recountOf(CountResult r) {
  switch (r) {
    case kPersonUnused: return PurgeMess::Recount::Unused;
    case kCountsChanged: return PurgeMess::Recount::Changed;
    default: return PurgeMess::Recount::Unchanged;
  }
}

}  // namespace

PurgeMess::BatchEnd PurgeMess::recountBatch(engine::File& table, engine::File& counted,
                                            const std::function<Recount(std::int64_t&)>& recount) {
  if (!writeOn({&table})) return BatchEnd::Failed;
  // The counted table is only read here: one read transaction for the batch
  // instead of a lock and a journal check per read.
  const engine::ReadBurst burst({&counted});
  std::int64_t budget = batch_;
  while (budget > 0) {
    const WalkRead r = walkNext(table);
    --budget;
    if (r == WalkRead::Failed) return BatchEnd::Failed;
    if (r == WalkRead::End) {
      progressTo(position_);
      return BatchEnd::End;
    }
    ++position_;
    switch (recount(budget)) {
      case Recount::Failed: return BatchEnd::Failed;
      case Recount::Unused:
        if (!write(table, kUppDelete)) return BatchEnd::Failed;
        break;
      case Recount::Changed:
        if (!write(table, kUppPut)) return BatchEnd::Failed;
        break;
      case Recount::Unchanged: break;
    }
  }
  progressTo(position_);
  afterBatch(false);
  return BatchEnd::More;
}

void PurgeMess::runPersonCounts() {
  // Reads MsgNmbr only: the person stays the record last read here.
  const BatchEnd end =
      recountBatch(ctx_.fileOf<Person>(), ctx_.fileOf<MsgNmbr>(),
                   [&](std::int64_t&) { return recountOf(ForumFromToCount(ctx_)); });
  if (end == BatchEnd::End && endStep()) nextStep();
}

void PurgeMess::runPartnerCounts() {
  // The owner stays with counts 0; anyone else without mail goes.
  const BatchEnd end = recountBatch(ctx_.fileOf<Person>(), ctx_.fileOf<Mail>(), [&](std::int64_t&) {
    return recountOf(CFromToMail(ctx_, ctx_.per.PERSONID == owner_ ? kCountOwner : kCountOther));
  });
  if (end != BatchEnd::End || !endStep()) return;
  if (setDatabaseCount(ctx_.fileOf<Mail>().records())) nextStep();
}

void PurgeMess::runThreadCounts() {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  const BatchEnd end = recountBatch(ctx_.fileOf<Threads>(), msgs, [&](std::int64_t& budget) {
    const Threads thread = ctx_.thr;
    ctx_.msg = MsgNmbr{};
    ctx_.msg.THREADALPHA = thread.ALPHA.view();
    ctx_.msg.THREADNUMBER = thread.THREADNUMBER;
    if (msgs.setFrom(MsgNmbr::Threadkey) != Err::Ok) {
      failRead(msgs);
      return Recount::Failed;
    }
    std::uint32_t count = 0;
    Err m;
    while ((m = msgs.next()) == Err::Ok && ctx_.msg.THREADNUMBER == thread.THREADNUMBER) {
      ++count;
      --budget;
    }
    if (m != Err::Ok && m != Err::RecordNotAvailable) {
      failRead(msgs);
      return Recount::Failed;
    }
    ctx_.thr = thread;  // the thread is still the record last read of Threads
    if (count == 0) return Recount::Unused;
    if (count == thread.MSGCOUNT) return Recount::Unchanged;
    ctx_.thr.MSGCOUNT = count;
    return Recount::Changed;
  });
  if (end == BatchEnd::End && endStep()) nextStep();
}

void PurgeMess::runSectionCounts() {
  engine::File& threads = ctx_.fileOf<Threads>();
  const BatchEnd end = recountBatch(ctx_.fileOf<Sections>(), threads, [&](std::int64_t& budget) {
    const Sections section = ctx_.sec;
    ctx_.thr = Threads{};
    ctx_.thr.SECSYSID = section.SECSYSID;
    if (threads.setFrom(Threads::SecKey) != Err::Ok) {
      failRead(threads);
      return Recount::Failed;
    }
    std::uint64_t sum = 0;
    Err t;
    while ((t = threads.next()) == Err::Ok && ctx_.thr.SECSYSID == section.SECSYSID) {
      sum += ctx_.thr.MSGCOUNT;
      --budget;
    }
    if (t != Err::Ok && t != Err::RecordNotAvailable) {
      failRead(threads);
      return Recount::Failed;
    }
    const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, std::numeric_limits<std::uint32_t>::max()));
    ctx_.sec = section;
    if (count == 0) return Recount::Unused;
    if (count == section.MSGCOUNT) return Recount::Unchanged;
    ctx_.sec.MSGCOUNT = count;
    return Recount::Changed;
  });
  if (end != BatchEnd::End || !endStep()) return;
  if (setDatabaseCount(ctx_.fileOf<MsgNmbr>().records())) nextStep();
}

}  // namespace qv::maintenance
