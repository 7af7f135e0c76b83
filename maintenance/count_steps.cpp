// The counting steps: persons, threads and sections recounted from the
// messages that name them (each removed when nothing names it any more),
// and the database's message count stored at the end.
#include <limits>

#include "maintenance/purge_mess.h"
#include "store/persons.h"
#include "store/records.h"

namespace qv::maintenance {

using engine::Err;

void PurgeMess::runPersonCounts() {
  engine::File& persons = ctx_.fileOf<Person>();
  if (!writeOn({&persons})) return;
  bool done = false;
  for (std::int64_t read = 0; read < batch_; ++read) {
    const WalkRead r = walkNext(persons);
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      done = true;
      break;
    }
    ++position_;
    // Reads MsgNmbr only: the person stays the record last read here.
    switch (ForumFromToCount(ctx_)) {
      case kPersonUnused:
        if (!write(persons, kUppDelete)) return;
        break;
      case kCountsChanged:
        if (!write(persons, kUppPut)) return;
        break;
      default: break;
    }
  }
  progressTo(position_);
  if (!done) {
    afterBatch(false);
    return;
  }
  if (endStep()) nextStep();
}

void PurgeMess::runPartnerCounts() {
  engine::File& persons = ctx_.fileOf<Person>();
  if (!writeOn({&persons})) return;
  bool done = false;
  for (std::int64_t read = 0; read < batch_; ++read) {
    const WalkRead r = walkNext(persons);
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      done = true;
      break;
    }
    ++position_;
    // The owner stays with counts 0; anyone else without mail goes.
    switch (CFromToMail(ctx_, ctx_.per.PERSONID == owner_ ? kCountOwner : kCountOther)) {
      case kPersonUnused:
        if (!write(persons, kUppDelete)) return;
        break;
      case kCountsChanged:
        if (!write(persons, kUppPut)) return;
        break;
      default: break;
    }
  }
  progressTo(position_);
  if (!done) {
    afterBatch(false);
    return;
  }
  if (!endStep()) return;
  if (setDatabaseCount(ctx_.fileOf<Mail>().records())) nextStep();
}

void PurgeMess::runThreadCounts() {
  engine::File& threads = ctx_.fileOf<Threads>();
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  if (!writeOn({&threads})) return;
  bool done = false;
  std::int64_t budget = batch_;
  while (budget > 0) {
    const WalkRead r = walkNext(threads);
    --budget;
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      done = true;
      break;
    }
    ++position_;
    const Threads thread = ctx_.thr;
    ctx_.msg = MsgNmbr{};
    ctx_.msg.THREADALPHA = thread.ALPHA.view();
    ctx_.msg.THREADNUMBER = thread.THREADNUMBER;
    if (msgs.setFrom(MsgNmbr::Threadkey) != Err::Ok) return failRead(msgs);
    std::uint32_t count = 0;
    Err m;
    while ((m = msgs.next()) == Err::Ok && ctx_.msg.THREADNUMBER == thread.THREADNUMBER) {
      ++count;
      --budget;
    }
    if (m != Err::Ok && m != Err::RecordNotAvailable) return failRead(msgs);
    ctx_.thr = thread;  // the thread is still the record last read of Threads
    if (count == 0) {
      if (!write(threads, kUppDelete)) return;
    } else if (count != thread.MSGCOUNT) {
      ctx_.thr.MSGCOUNT = count;
      if (!write(threads, kUppPut)) return;
    }
  }
  progressTo(position_);
  if (!done) {
    afterBatch(false);
    return;
  }
  if (endStep()) nextStep();
}

void PurgeMess::runSectionCounts() {
  engine::File& sections = ctx_.fileOf<Sections>();
  engine::File& threads = ctx_.fileOf<Threads>();
  if (!writeOn({&sections})) return;
  bool done = false;
  std::int64_t budget = batch_;
  while (budget > 0) {
    const WalkRead r = walkNext(sections);
    --budget;
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      done = true;
      break;
    }
    ++position_;
    const Sections section = ctx_.sec;
    ctx_.thr = Threads{};
    ctx_.thr.SECSYSID = section.SECSYSID;
    if (threads.setFrom(Threads::SecKey) != Err::Ok) return failRead(threads);
    std::uint64_t sum = 0;
    Err t;
    while ((t = threads.next()) == Err::Ok && ctx_.thr.SECSYSID == section.SECSYSID) {
      sum += ctx_.thr.MSGCOUNT;
      --budget;
    }
    if (t != Err::Ok && t != Err::RecordNotAvailable) return failRead(threads);
    const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(sum, std::numeric_limits<std::uint32_t>::max()));
    ctx_.sec = section;
    if (count == 0) {
      if (!write(sections, kUppDelete)) return;
    } else if (count != section.MSGCOUNT) {
      ctx_.sec.MSGCOUNT = count;
      if (!write(sections, kUppPut)) return;
    }
  }
  progressTo(position_);
  if (!done) {
    afterBatch(false);
    return;
  }
  if (!endStep()) return;
  if (setDatabaseCount(ctx_.fileOf<MsgNmbr>().records())) nextStep();
}

}  // namespace qv::maintenance
