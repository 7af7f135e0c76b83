// The mail steps: repeated mail found and marked Delete, then the partners
// marked Delete purged with their mail, the mail marked Delete, and the
// carbon copies of mail that is gone.
#include <limits>

#include "maintenance/purge_mess.h"
#include "store/persons.h"
#include "store/records.h"

namespace qv::maintenance {

using engine::Err;

namespace {

constexpr std::size_t kInitLength = 30;

}  // namespace

// ---------------------------------------------------------------------------
// Duplicates

void PurgeMess::runCutTimes() {
  engine::File& mail = ctx_.fileOf<Mail>();
  if (!writeOn({&mail})) return;
  for (std::int64_t read = 0; read < batch_; ++read) {
    const WalkRead r = walkNext(mail);
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      if (endStep()) nextStep();
      return;
    }
    ++position_;
    const std::int32_t minute = minuteOf(ctx_.mai.TIME);
    if (minute == ctx_.mai.TIME) continue;
    ctx_.mai.TIME = minute;
    if (!write(mail, kUppPut)) return;
  }
  progressTo(position_);
  afterBatch(false);
}

void PurgeMess::runFindDuplicates() {
  engine::File& mail = ctx_.fileOf<Mail>();
  if (phase_ == 0) {
    if (!walking_) {
      duplicates_.clear();
      previous_.reset();
      previousListed_ = false;
      if (mail.set(Mail::SubjectKey) != Err::Ok) return failRead(mail);
      walking_ = true;
    }
    for (std::int64_t read = 0; read < batch_; ++read) {
      const Err e = mail.next();
      if (e == Err::RecordNotAvailable) {
        previous_.reset();
        phase_ = 1;
        position_ = 0;
        break;
      }
      if (e != Err::Ok) return failRead(mail);
      ++position_;
      DuplicateEntry entry;
      entry.MAILID = ctx_.mai.MAILID;
      entry.SUBJECT = upperSubject(ctx_.mai.SUBJECT.view());
      entry.DATE = ctx_.mai.DATE;
      entry.TIME = ctx_.mai.TIME;
      entry.FROMID = ctx_.mai.FROMID;
      entry.TOID = ctx_.mai.TOID;
      entry.DUMMY = statusOf(ctx_.mai);
      // The key compares subjects without regard to case, so mails of one
      // upper-case subject, date and time are neighbours.
      if (previous_ && sameSuspect(*previous_, entry)) {
        if (!previousListed_) duplicates_.push_back(*previous_);
        previousListed_ = true;
        duplicates_.push_back(entry);
      } else {
        previous_ = entry;
        previousListed_ = false;
      }
    }
    progressTo(position_);
    if (phase_ == 0) return;
    range_ = static_cast<std::int64_t>(duplicates_.size());
  }
  // The start of each suspect's text.
  engine::File& texts = ctx_.fileOf<MsgText>();
  for (std::int64_t read = 0; read < batch_ && position_ < range_; ++read) {
    DuplicateEntry& entry = duplicates_[static_cast<std::size_t>(position_++)];
    ctx_.txt = MsgText{};
    ctx_.txt.MSGNUMBER = entry.MAILID;
    if (texts.get(MsgText::IdKey) == Err::Ok) entry.INITSTR = ctx_.txtMemo.substr(0, kInitLength);
  }
  progressTo(position_);
  if (position_ < range_) return;
  markRepeats(duplicates_, [this](std::uint32_t reference, std::uint32_t entry) {
    return DupString(ctx_, kDupStored, reference, entry) == kTextsSame;
  });
  nextStep();
}

void PurgeMess::runMarkDuplicates() {
  engine::File& mail = ctx_.fileOf<Mail>();
  // All in one transaction: the marks are few.
  if (!writeOn({&mail})) return;
  for (std::int64_t read = 0; read < batch_ && position_ < range_; ++read) {
    const DuplicateEntry& entry = duplicates_[static_cast<std::size_t>(position_++)];
    if (entry.DUMMY != Status::Delete) continue;
    ctx_.mai = Mail{};
    ctx_.mai.MAILID = entry.MAILID;
    // Only Normal mail is marked: kept mail never is.
    if (mail.get(Mail::IdKey) != Err::Ok || statusOf(ctx_.mai) != Status::Normal) continue;
    setStatus(ctx_.mai, Status::Delete);
    if (!write(mail, kUppPut)) return;
  }
  progressTo(position_);
  if (position_ < range_) return;
  duplicates_.clear();
  if (endStep()) nextStep();
}

// ---------------------------------------------------------------------------
// Partners marked Delete

void PurgeMess::beginPartners() {
  engine::File& persons = ctx_.fileOf<Person>();
  if (persons.set() != Err::Ok) return failRead(persons);
  Err e;
  while ((e = persons.next()) == Err::Ok)
    if (statusOf(ctx_.per) == Status::Delete) ++range_;
  if (e != Err::RecordNotAvailable) return failRead(persons);
  lastPerson_ = 0;
  if (persons.set(Person::PersonKey) != Err::Ok) failRead(persons);
}

void PurgeMess::runPartners() {
  engine::File& persons = ctx_.fileOf<Person>();
  engine::File& mail = ctx_.fileOf<Mail>();
  if (!writeOn({&mail, &ctx_.fileOf<MsgText>(), &persons})) return;
  std::int64_t budget = batch_;
  bool done = false;
  while (budget > 0) {
    if (inPartner_) {
      if (!purgePartnerMail(budget)) break;
      continue;
    }
    const Err e = persons.next();
    --budget;
    if (e == Err::RecordNotAvailable) {
      done = true;
      break;
    }
    if (e != Err::Ok) return failRead(persons);
    lastPerson_ = ctx_.per.PERSONID;
    if (statusOf(ctx_.per) != Status::Delete) continue;
    ++position_;
    partner_ = ctx_.per;
    partnerHolds_ = false;
    inPartner_ = true;
    // PairKey runs by partner, then newest first.
    ctx_.mai = Mail{};
    ctx_.mai.PAIRALPHA = partner_.LASTNAME.view();
    ctx_.mai.PAIRID = partner_.PERSONID;
    ctx_.mai.DATE = std::numeric_limits<std::int32_t>::max();
    ctx_.mai.TIME = std::numeric_limits<std::int32_t>::max();
    ctx_.mai.MAILID = std::numeric_limits<std::uint32_t>::max();
    if (mail.setFrom(Mail::PairKey) != Err::Ok) return failRead(mail);
  }
  if (result_ != PurgeResult::Running) return;
  progressTo(position_);
  if (!done) {
    afterBatch(true);
    return;
  }
  if (endStep()) nextStep();
}

bool PurgeMess::purgePartnerMail(std::int64_t& budget) {
  engine::File& mail = ctx_.fileOf<Mail>();
  engine::File& persons = ctx_.fileOf<Person>();
  while (budget > 0) {
    const Err e = mail.next();
    --budget;
    if (e == Err::Ok && ctx_.mai.PAIRID == partner_.PERSONID) {
      if (statusOf(ctx_.mai) == Status::Keep) {
        partnerHolds_ = true;
        continue;
      }
      switch (removeMessage(mail, ctx_.mai.MAILID)) {
        case Removal::Deleted: break;
        case Removal::Left: partnerHolds_ = true; break;
        case Removal::Failed: return false;
      }
      continue;
    }
    if (e != Err::Ok && e != Err::RecordNotAvailable) {
      failRead(mail);
      return false;
    }
    inPartner_ = false;
    // The mailbox owner is the database's own person and always stays.
    if (partnerHolds_ || partner_.PERSONID == owner_) return true;
    ctx_.per = Person{};
    ctx_.per.PERSONID = partner_.PERSONID;
    if (persons.get(Person::PersonKey) == Err::Ok && !write(persons, kUppDelete)) return false;
    return true;
  }
  return false;
}

// ---------------------------------------------------------------------------
// Mail marked Delete, and the carbon copies of mail that is gone

void PurgeMess::runStatusMail() {
  engine::File& mail = ctx_.fileOf<Mail>();
  removeMarked(
      mail,
      [&] {
        ctx_.mai = Mail{};
        setStatus(ctx_.mai, Status::Delete);
        return mail.setFrom(Mail::StatusKey);
      },
      [&] { return statusOf(ctx_.mai) == Status::Delete ? std::uint32_t{ctx_.mai.MAILID} : kNoIdentifier; });
}

void PurgeMess::runCopies() {
  engine::File& copies = ctx_.fileOf<CCR>();
  if (!writeOn({&copies})) return;
  if (!walking_) {
    lastChecked_ = 0;
    if (copies.set(CCR::IdKey) != Err::Ok) return failRead(copies);
    walking_ = true;
  }
  for (std::int64_t read = 0; read < batch_; ++read) {
    const Err e = copies.next();
    if (e == Err::RecordNotAvailable) {
      if (endStep()) nextStep();
      return;
    }
    if (e != Err::Ok) return failRead(copies);
    ++position_;
    if (!messageExists(ctx_.ccr.MAILID) && !write(copies, kUppDelete)) return;
  }
  progressTo(position_);
  afterBatch(true);
}

void PurgeMess::restartMailWalks() {
  switch (steps_[current_]) {
    case PurgeStep::DeletePartners:
      ctx_.per = Person{};
      ctx_.per.PERSONID = inPartner_ ? partner_.PERSONID + 1 : lastPerson_ + 1;
      ctx_.fileOf<Person>().setFrom(Person::PersonKey);
      if (inPartner_) {
        // The partner's mail from its newest again: what was purged is gone.
        ctx_.mai = Mail{};
        ctx_.mai.PAIRALPHA = partner_.LASTNAME.view();
        ctx_.mai.PAIRID = partner_.PERSONID;
        ctx_.mai.DATE = std::numeric_limits<std::int32_t>::max();
        ctx_.mai.TIME = std::numeric_limits<std::int32_t>::max();
        ctx_.mai.MAILID = std::numeric_limits<std::uint32_t>::max();
        partnerHolds_ = false;
        ctx_.fileOf<Mail>().setFrom(Mail::PairKey);
      }
      break;
    case PurgeStep::DeleteMail:
      ctx_.mai = Mail{};
      setStatus(ctx_.mai, Status::Delete);
      ctx_.fileOf<Mail>().setFrom(Mail::StatusKey);
      break;
    case PurgeStep::DeleteCopies:
      ctx_.ccr = CCR{};
      ctx_.ccr.MAILID = lastChecked_;
      lastChecked_ = 0;
      ctx_.fileOf<CCR>().setFrom(CCR::IdKey);
      break;
    default: break;
  }
}

}  // namespace qv::maintenance
