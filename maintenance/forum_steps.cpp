// The deleting steps of forum and newsgroup databases: aged threads marked,
// threads, messages and sections marked Delete purged, and the newsgroup
// receivers set from the messages replied to.
#include <limits>

#include "maintenance/purge_mess.h"
#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv::maintenance {

using engine::Err;

namespace {

constexpr std::uint32_t kHighestNumber = std::numeric_limits<std::uint32_t>::max();

}  // namespace

void PurgeMess::failRead(engine::File& file) {
  inform(ctx_, file.name().filename().string(), file.errorText(), MessageKind::Error);
  end(PurgeResult::Failed);
}

PurgeMess::WalkRead PurgeMess::walkNext(engine::File& file, const std::function<Err()>& start) {
  if (!walking_) {
    if ((start ? start() : file.set()) != Err::Ok) {
      failRead(file);
      return WalkRead::Failed;
    }
    walking_ = true;
  }
  const Err e = file.next();
  if (e == Err::RecordNotAvailable) return WalkRead::End;
  if (e != Err::Ok) {
    failRead(file);
    return WalkRead::Failed;
  }
  return WalkRead::Record;
}

// ---------------------------------------------------------------------------
// Aged threads

void PurgeMess::beginAged() {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  range_ = std::max<std::int64_t>(msgs.records(), 0);
  // DateKey runs newest first: from the cutoff on, every message is old enough.
  ctx_.msg = MsgNmbr{};
  ctx_.msg.DATE = cutoff_;
  ctx_.msg.MSGNUMBER = kHighestNumber;
  if (msgs.setFrom(MsgNmbr::DateKey) != Err::Ok) failRead(msgs);
}

void PurgeMess::runAged() {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  engine::File& threads = ctx_.fileOf<Threads>();
  std::int64_t budget = batch_;
  if (phase_ == 0) {
    while (budget-- > 0) {
      const Err e = msgs.next();
      if (e == Err::RecordNotAvailable) {
        agedList_.assign(agedThreads_.begin(), agedThreads_.end());
        agedThreads_.clear();
        agedKept_.clear();
        phase_ = 1;
        range_ = static_cast<std::int64_t>(agedList_.size());
        progressTo(0);
        return;
      }
      if (e != Err::Ok) return failRead(msgs);
      agedThreads_.insert(+ctx_.msg.THREADNUMBER);
      ++position_;
    }
    progressTo(position_);
    return;
  }
  // From the last collected thread to the first: a thread counts as aged
  // when it is Normal and its newest-numbered message is old enough.
  while (budget > 0 && position_ < range_) {
    const std::uint32_t id = agedList_[agedList_.size() - 1 - static_cast<std::size_t>(position_)];
    ++position_;
    --budget;
    ctx_.thr = Threads{};
    ctx_.thr.THREADNUMBER = id;
    if (threads.get(Threads::ThreadKey) != Err::Ok || statusOf(ctx_.thr) != Status::Normal) continue;
    ctx_.msg = MsgNmbr{};
    ctx_.msg.THREADALPHA = ctx_.thr.ALPHA.view();
    ctx_.msg.THREADNUMBER = id;
    if (msgs.setFrom(MsgNmbr::Threadkey) != Err::Ok) return failRead(msgs);
    std::optional<std::int32_t> lastDate;
    Err e;
    while ((e = msgs.next()) == Err::Ok && ctx_.msg.THREADNUMBER == id) {
      lastDate = ctx_.msg.DATE;
      --budget;
    }
    if (e != Err::Ok && e != Err::RecordNotAvailable) return failRead(msgs);
    if (lastDate && *lastDate <= cutoff_) agedKept_.push_back(id);
  }
  progressTo(position_);
  if (position_ < range_) return;
  agedList_.clear();
  if (agedKept_.empty()) {
    nextStep();  // nothing to mark: on to the deleting steps
    nextStep();
    return;
  }
  if (checkSpace(kLowDiskBytes) != kSpaceGoOn) return end(PurgeResult::Stopped);
  nextStep();
}

void PurgeMess::runSetAged() {
  engine::File& threads = ctx_.fileOf<Threads>();
  if (!writeOn({&threads})) return;
  range_ = static_cast<std::int64_t>(agedKept_.size());
  for (std::int64_t read = 0; read < batch_ && position_ < range_; ++read) {
    ctx_.thr = Threads{};
    ctx_.thr.THREADNUMBER = agedKept_[static_cast<std::size_t>(position_)];
    ++position_;
    if (threads.get(Threads::ThreadKey) != Err::Ok || statusOf(ctx_.thr) != Status::Normal) continue;
    setStatus(ctx_.thr, Status::Delete);
    if (!write(threads, kUppPut)) return;
  }
  progressTo(position_);
  if (position_ < range_) {
    afterBatch(false);
    return;
  }
  agedKept_.clear();
  if (endStep()) nextStep();
}

// ---------------------------------------------------------------------------
// Threads: their messages deleted, unless kept; the thread too when nothing stays

void PurgeMess::beginThreadWalk(const Threads& thread) {
  thread_ = thread;
  threadHolds_ = false;
  inThread_ = true;
  ctx_.msg = MsgNmbr{};
  ctx_.msg.THREADALPHA = thread.ALPHA.view();
  ctx_.msg.THREADNUMBER = thread.THREADNUMBER;
  ctx_.msg.MSGNUMBER = 0;
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  if (msgs.setFrom(MsgNmbr::Threadkey) != Err::Ok) failRead(msgs);
}

bool PurgeMess::purgeThread(std::int64_t& budget) {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  engine::File& threads = ctx_.fileOf<Threads>();
  while (budget > 0) {
    const Err e = msgs.next();
    --budget;
    if (e == Err::Ok && ctx_.msg.THREADNUMBER == thread_.THREADNUMBER) {
      if (statusOf(ctx_.msg) == Status::Keep) {
        threadHolds_ = true;
        continue;
      }
      switch (removeMessage(msgs, ctx_.msg.MSGNUMBER)) {
        case Removal::Deleted: break;
        case Removal::Left: threadHolds_ = true; break;  // its text is unreadable: it stays, and so does the thread
        case Removal::Failed: return false;
      }
      continue;
    }
    if (e != Err::Ok && e != Err::RecordNotAvailable) {
      failRead(msgs);
      return false;
    }
    inThread_ = false;
    if (threadHolds_) return true;
    ctx_.thr = Threads{};
    ctx_.thr.THREADNUMBER = thread_.THREADNUMBER;
    if (threads.get(Threads::ThreadKey) == Err::Ok && !write(threads, kUppDelete)) return false;
    return true;
  }
  return false;
}

void PurgeMess::beginStatusThreads() {
  engine::File& threads = ctx_.fileOf<Threads>();
  range_ = std::max<std::int64_t>(threads.records(), 0);
  ctx_.thr = Threads{};
  setStatus(ctx_.thr, Status::Delete);
  if (threads.setFrom(Threads::StatusKey) != Err::Ok) failRead(threads);
}

void PurgeMess::runStatusThreads() {
  engine::File& threads = ctx_.fileOf<Threads>();
  if (!writeOn({&ctx_.fileOf<MsgNmbr>(), &ctx_.fileOf<MsgText>(), &threads})) return;
  std::int64_t budget = batch_;
  bool done = false;
  while (budget > 0 && !done) {
    if (inThread_) {
      if (!purgeThread(budget)) break;
      continue;
    }
    const Err e = threads.next();
    --budget;
    if (e == Err::RecordNotAvailable || (e == Err::Ok && statusOf(ctx_.thr) != Status::Delete)) {
      done = true;
      break;
    }
    if (e != Err::Ok) return failRead(threads);
    ++position_;
    beginThreadWalk(ctx_.thr);
  }
  if (result_ != PurgeResult::Running) return;
  progressTo(position_);
  if (!done) {
    afterBatch(true);
    return;
  }
  if (endStep()) nextStep();
}

// ---------------------------------------------------------------------------
// Messages marked Delete

void PurgeMess::runStatusMessages() {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  removeMarked(
      msgs,
      [&] {
        ctx_.msg = MsgNmbr{};
        setStatus(ctx_.msg, Status::Delete);
        return msgs.setFrom(MsgNmbr::StatusKey);
      },
      [&] { return statusOf(ctx_.msg) == Status::Delete ? std::uint32_t{ctx_.msg.MSGNUMBER} : kNoIdentifier; });
}

void PurgeMess::removeMarked(engine::File& headers, const std::function<Err()>& start,
                             const std::function<std::uint32_t()>& markedId) {
  if (!writeOn({&headers, &ctx_.fileOf<MsgText>()})) return;
  for (std::int64_t read = 0; read < batch_; ++read) {
    const WalkRead r = walkNext(headers, start);
    if (r == WalkRead::Failed) return;
    const std::uint32_t id = r == WalkRead::End ? kNoIdentifier : markedId();
    if (id == kNoIdentifier) {
      progressTo(position_);
      if (endStep()) nextStep();
      return;
    }
    ++position_;
    if (removeMessage(headers, id) == Removal::Failed) return;
  }
  progressTo(position_);
  afterBatch(true);
}

// ---------------------------------------------------------------------------
// Sections marked Delete (every section not kept, when the database is)

void PurgeMess::beginSections() {
  engine::File& sections = ctx_.fileOf<Sections>();
  sections_.clear();
  sectionAt_ = 0;
  const bool databaseDeleted = statusOf(database_) == Status::Delete;
  if (sections.set() != Err::Ok) return failRead(sections);
  Err e;
  while ((e = sections.next()) == Err::Ok) {
    const Status s = statusOf(ctx_.sec);
    if (s == Status::Keep || (s == Status::Normal && !databaseDeleted)) continue;
    sections_.push_back(+ctx_.sec.SECSYSID);
  }
  if (e != Err::RecordNotAvailable) return failRead(sections);
  range_ = static_cast<std::int64_t>(sections_.size());
}

void PurgeMess::runSections() {
  engine::File& threads = ctx_.fileOf<Threads>();
  if (!writeOn({&ctx_.fileOf<MsgNmbr>(), &ctx_.fileOf<MsgText>(), &threads})) return;
  std::int64_t budget = batch_;
  bool done = false;
  while (budget > 0) {
    if (inThread_) {
      if (!purgeThread(budget)) break;
      continue;
    }
    if (!walking_) {
      if (sectionAt_ >= sections_.size()) {
        done = true;
        break;
      }
      ctx_.thr = Threads{};
      ctx_.thr.SECSYSID = sections_[sectionAt_];
      if (threads.setFrom(Threads::SecKey) != Err::Ok) return failRead(threads);
      walking_ = true;
    }
    const Err e = threads.next();
    --budget;
    if (e == Err::Ok && ctx_.thr.SECSYSID == sections_[sectionAt_]) {
      if (statusOf(ctx_.thr) != Status::Keep) beginThreadWalk(ctx_.thr);
      continue;
    }
    if (e != Err::Ok && e != Err::RecordNotAvailable) return failRead(threads);
    walking_ = false;
    ++sectionAt_;
    position_ = static_cast<std::int64_t>(sectionAt_);
  }
  if (result_ != PurgeResult::Running) return;
  progressTo(position_);
  if (!done) {
    afterBatch(true);
    return;
  }
  sections_.clear();
  if (endStep()) nextStep();
}

// ---------------------------------------------------------------------------
// After the tables were closed and opened again: each walk of a bulk step
// starts again from the record it was at. What was purged before is gone,
// and what stayed (kept messages, the threads that hold them) is passed
// over again without a write.

void PurgeMess::restartBulkWalks() {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  engine::File& threads = ctx_.fileOf<Threads>();
  switch (steps_[current_]) {
    case PurgeStep::DeleteThreads:
      ctx_.thr = Threads{};
      setStatus(ctx_.thr, Status::Delete);
      threads.setFrom(Threads::StatusKey);
      break;
    case PurgeStep::DeleteMessages:
      ctx_.msg = MsgNmbr{};
      setStatus(ctx_.msg, Status::Delete);
      msgs.setFrom(MsgNmbr::StatusKey);
      break;
    case PurgeStep::DeleteSections:
      if (walking_) {
        ctx_.thr = Threads{};
        ctx_.thr.SECSYSID = sections_[sectionAt_];
        if (inThread_) ctx_.thr.ALPHA = thread_.ALPHA;
        threads.setFrom(Threads::SecKey);
      }
      break;
    case PurgeStep::DeletePartners:
    case PurgeStep::DeleteMail:
    case PurgeStep::DeleteCopies: restartMailWalks(); return;
    default: return;
  }
  // The thread's messages are walked again from its first: kept ones
  // make it hold again, purged ones are gone.
  if (inThread_) beginThreadWalk(thread_);
}

// ---------------------------------------------------------------------------
// Newsgroup receivers: a reply is addressed to the sender of what it answers

void PurgeMess::runReceivers() {
  engine::File& msgs = ctx_.fileOf<MsgNmbr>();
  if (!writeOn({&msgs})) return;
  bool done = false;
  for (std::int64_t read = 0; read < batch_; ++read) {
    const WalkRead r = walkNext(msgs);
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      done = true;
      break;
    }
    ++position_;
    if (ctx_.msg.REFNUMBER == 0) continue;
    const MsgNmbr reply = ctx_.msg;
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = reply.REFNUMBER;
    if (msgs.get(MsgNmbr::IdKey) != Err::Ok || ctx_.msg.FROMID == reply.TOID) continue;
    const std::uint32_t toId = ctx_.msg.FROMID;
    const FixedString<10> toAlpha = ctx_.msg.FROMALPHA;
    // Read the reply again so that the rewrite is of the reply.
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = reply.MSGNUMBER;
    if (msgs.get(MsgNmbr::IdKey) != Err::Ok) continue;
    ctx_.msg.TOID = toId;
    ctx_.msg.TOALPHA = toAlpha;
    if (!write(msgs, kUppPut)) return;
  }
  progressTo(position_);
  if (!done) {
    afterBatch(false);
    return;
  }
  if (endStep()) nextStep();
}

}  // namespace qv::maintenance
