#include "maintenance/duplicate_persons.h"

#include <algorithm>
#include <chrono>
#include <cstring>

#include "browse/person_copies.h"
#include "browse/person_merge.h"
#include "maintenance/address_repair.h"
#include "maintenance/duplicates_texts.h"
#include "store/charset.h"
#include "store/config.h"
#include "store/dispatcher.h"
#include "store/names.h"
#include "store/persons.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"
#include "store/utilities.h"

namespace qv::maintenance {

using engine::Err;
namespace texts = dup_texts;

namespace {

constexpr char kBadAddressChar = static_cast<char>(179);
constexpr std::string_view kGatewayMark = "CSINET";

std::int64_t nowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

std::string_view stepText(DuplicatesStep s) {
  switch (s) {
    case DuplicatesStep::Correct: return texts::kStepCorrect;
    case DuplicatesStep::Identify: return texts::kStepIdentify;
    case DuplicatesStep::Count: return texts::kStepCount;
    case DuplicatesStep::Process: return texts::kStepProcess;
    case DuplicatesStep::Recode: return texts::kStepRecode;
    case DuplicatesStep::Delete: return texts::kStepDelete;
    case DuplicatesStep::Recount: return texts::kStepRecount;
    case DuplicatesStep::Finished: return texts::kFinished;
  }
  return {};
}

// The next person after identifier `after` in identifier order, into ctx.per.
bool nextPerson(Context& ctx, std::uint32_t after) {
  engine::File& persons = ctx.fileOf<Person>();
  ctx.per = Person{};
  ctx.per.PERSONID = after + 1;
  return after != UINT32_MAX && persons.setFrom(Person::PersonKey) == Err::Ok && persons.next() == Err::Ok;
}

}  // namespace

DuplicatesJob::DuplicatesJob(Context& ctx, std::int32_t batch)
    : ctx_(ctx),
      batch_(batch > 0 ? batch : std::max(1, SpeedVal(ctx, kSpeedGet, kItemSpeedDuplicates))),
      mail_(databaseType(ctx.mem.ForumType) == DatabaseType::Mail),
      owner_(mail_ ? ctx.mem.PersonID : kNoIdentifier),
      startMs_(nowMs()) {
  OP_CLOSE(ctx_, kOpOpen, {Person::FileNo, mail_ ? Mail::FileNo : MsgNmbr::FileNo, PLINK::FileNo});
  const std::int64_t persons = ctx_.fileOf<Person>().records();
  if (persons < 0) {
    inform(ctx_, "Error!", ctx_.fileOf<Person>().errorText(), MessageKind::Error);
    result_ = DuplicatesResult::Failed;
    return;
  }
  counts_.before = static_cast<std::uint64_t>(persons);
  enter(DuplicatesStep::Correct);
}

DuplicatesJob::~DuplicatesJob() {
  OP_CLOSE(ctx_, kOpRelease, {PLINK::FileNo, mail_ ? Mail::FileNo : MsgNmbr::FileNo, Person::FileNo});
}

void DuplicatesJob::enter(DuplicatesStep next) {
  step_ = next;
  lastId_ = 0;
  at_ = 0;
  done_ = 0;
  progress(0, 1);
}

void DuplicatesJob::progress(std::uint64_t position, std::uint64_t range) {
  report(ctx_.ui, static_cast<std::int64_t>(position), static_cast<std::int64_t>(std::max<std::uint64_t>(range, 1)),
         std::string(stepText(step_)));
}

void DuplicatesJob::fail() { result_ = DuplicatesResult::Failed; }

// A stop asked for: at once where only reading or in-memory work was done,
// after the question where counts would be left wrong.
bool DuplicatesJob::stopHere() {
  if (!cancelRequested()) return false;
  const bool writing = step_ == DuplicatesStep::Correct || step_ == DuplicatesStep::Recode ||
                       step_ == DuplicatesStep::Delete || step_ == DuplicatesStep::Recount;
  if (writing && ask(ctx_, texts::kInterruptedTitle, texts::kInterruptedText, kYes | kNo, kYes) != kYes) {
    clearCancel();
    return false;
  }
  result_ = DuplicatesResult::Stopped;
  return true;
}

bool DuplicatesJob::step() {
  if (result_ != DuplicatesResult::Running) return true;
  if (stopHere()) return true;
  switch (step_) {
    case DuplicatesStep::Correct: correctSlice(); break;
    case DuplicatesStep::Identify: identifySlice(); break;
    case DuplicatesStep::Count: countSlice(); break;
    case DuplicatesStep::Process: process(); break;
    case DuplicatesStep::Recode:
    case DuplicatesStep::Delete: recodeSlice(); break;
    case DuplicatesStep::Recount: recountSlice(); break;
    case DuplicatesStep::Finished: finish(); break;
  }
  return result_ != DuplicatesResult::Running;
}

// Step 1 for one person (in ctx.per, changed there): true when it changed.
bool DuplicatesJob::correctPerson(Person& p) {
  const Person before = p;
  if (p.PERSONID == owner_) return false;
  const bool rebuild = p.ADDRESS.blank() || (mail_ && (p.PERSONSTRING.view().find(kGatewayMark) != std::string_view::npos ||
                                                      p.ADDRESS.view().find(kBadAddressChar) != std::string_view::npos));
  if (rebuild) {
    std::string address, name, last, first;
    FindCISAdress(mail_ ? kCisMail : kCisForum, p.PERSONSTRING.view(), address, p.ADDRESS.capacity, name,
                  p.PERSONSTRING.capacity);
    // Without an address in the string there is nothing to correct; the
    // string (stored in upper case) would only take the name's letter case.
    if (!clip(address).empty()) {
      ParseName(name, last, p.LASTNAME.capacity, first, p.FIRSTNAME.capacity);
      p.ADDRESS = address;
      p.LASTNAME = last;
      p.FIRSTNAME = first;
    }
  }
  if (!p.ADDRESS.blank()) p.ADDRESS = repairAddress(p.ADDRESS.view());
  return std::memcmp(&before, &p, sizeof(Person)) != 0;
}

void DuplicatesJob::correctSlice() {
  engine::File& persons = ctx_.fileOf<Person>();
  engine::File& messages = mail_ ? ctx_.fileOf<Mail>() : ctx_.fileOf<MsgNmbr>();
  Transaction t(ctx_, {&persons, &messages});
  if (!t.started()) return fail();
  std::uint32_t writes = 0;
  for (std::int32_t n = 0; n < batch_; ++n) {
    if (!nextPerson(ctx_, lastId_)) {
      if (!t.commit()) return fail();
      return enter(DuplicatesStep::Identify);
    }
    lastId_ = ctx_.per.PERSONID;
    ++done_;
    const FixedString<25> oldLast = ctx_.per.LASTNAME;
    Person p = ctx_.per;
    if (!correctPerson(p)) continue;
    ctx_.per = p;
    if (UppDat(ctx_, persons, kUppPut, kRollback) != kUppDatDone) return fail();
    ++writes;
    ++counts_.addressesCorrected;
    if (!(oldLast == p.LASTNAME) && !browse::rewriteNameCopies(ctx_, oldLast.view(), p.LASTNAME.view(), p.PERSONID))
      return fail();
    if (writes > kCommitAfterWrites) break;
  }
  if (!t.commit()) return fail();
  if (writes > kCommitAfterWrites && CheckSpace(ctx_, kLowDiskBytes, ctx_.mem.FileDir) == kSpaceStop) {
    result_ = DuplicatesResult::Stopped;
    return;
  }
  progress(done_, counts_.before);
}

// Step 2: the address key walked a batch at a time; a group of two or more
// equal addresses (letter case aside) gives its members as candidates. A
// batch ends after a whole group; the next one starts at the address after it.
void DuplicatesJob::identifySlice() {
  engine::File& persons = ctx_.fileOf<Person>();
  Err e;
  if (lastAddress_) {
    ctx_.per = Person{};
    ctx_.per.ADDRESS = *lastAddress_;
    e = persons.setFrom(Person::AddressKey);
  } else {
    e = persons.set(Person::AddressKey);
  }
  std::vector<Candidate> group;
  auto close = [&] {
    if (group.size() > 1) candidates_.insert(candidates_.end(), group.begin(), group.end());
    if (!group.empty()) lastAddress_ = group.front().address;
    group.clear();
  };
  std::int32_t read = 0;
  while (e == Err::Ok && (e = persons.next()) == Err::Ok) {
    if (ctx_.per.ADDRESS.blank()) continue;
    const std::string address = upper1252(ctx_.per.ADDRESS.view());
    if (lastAddress_ && address == *lastAddress_) continue;  // its group was done in an earlier batch
    if (!group.empty() && address != group.front().address) {
      close();
      if (read >= batch_) {
        progress(done_, counts_.before);
        return;
      }
    }
    group.push_back({address, ctx_.per.PERSONID, 0, 0, ctx_.per.LASTNAME.str()});
    ++read;
    ++done_;
  }
  if (e != Err::RecordNotAvailable) {
    inform(ctx_, "Error!", persons.errorText(), MessageKind::Error);
    return fail();
  }
  close();
  enter(DuplicatesStep::Count);
}

// Step 3: the sent messages of each candidate and the date of the latest.
void DuplicatesJob::countSlice() {
  engine::File& list = mail_ ? ctx_.fileOf<Mail>() : ctx_.fileOf<MsgNmbr>();
  const engine::ReadBurst reading{&list};
  for (std::int32_t n = 0; n < batch_ && at_ < candidates_.size(); ++n, ++at_) {
    Candidate& c = candidates_[at_];
    const FixedString<10> copy(c.lastName);
    Err e;
    if (mail_) {
      ctx_.mai = Mail{};
      ctx_.mai.FROMALPHA = copy;
      ctx_.mai.FROMID = c.id;
      ctx_.mai.DATE = INT32_MAX;
      ctx_.mai.TIME = INT32_MAX;
      ctx_.mai.MAILID = UINT32_MAX;
      e = list.setFrom(Mail::FromKey);
      while (e == Err::Ok && (e = list.next()) == Err::Ok && ctx_.mai.FROMALPHA == copy && ctx_.mai.FROMID == c.id) {
        ++c.sent;
        c.latest = std::max(c.latest, std::int32_t{ctx_.mai.DATE});
      }
    } else {
      ctx_.msg = MsgNmbr{};
      ctx_.msg.FROMALPHA = copy;
      ctx_.msg.FROMID = c.id;
      ctx_.msg.MSGNUMBER = UINT32_MAX;
      e = list.setFrom(MsgNmbr::FromKey);
      while (e == Err::Ok && (e = list.next()) == Err::Ok && ctx_.msg.FROMALPHA == copy && ctx_.msg.FROMID == c.id) {
        ++c.sent;
        c.latest = std::max(c.latest, std::int32_t{ctx_.msg.DATE});
      }
    }
    if (e != Err::Ok && e != Err::RecordNotAvailable) {
      inform(ctx_, "Error!", list.errorText(), MessageKind::Error);
      return fail();
    }
  }
  if (at_ >= candidates_.size()) return enter(DuplicatesStep::Process);
  progress(at_, candidates_.size());
}

// Step 4, in memory: the survivor of each address and the merge list.
void DuplicatesJob::process() {
  std::map<std::string, Candidate> survivors;
  std::vector<Candidate> merged;
  for (const Candidate& c : candidates_) {
    const auto s = survivors.find(c.address);
    if (c.id == owner_) {
      // The database's own person is never merged away.
      if (s != survivors.end()) {
        merged.push_back(s->second);
        s->second = c;
      } else {
        survivors.emplace(c.address, c);
      }
    } else if (c.sent == 0) {
      merged.push_back(c);
    } else if (s == survivors.end()) {
      survivors.emplace(c.address, c);
    } else if (s->second.id != owner_ &&
               (s->second.lastName.empty() || (!c.lastName.empty() && s->second.latest < c.latest))) {
      merged.push_back(s->second);
      s->second = c;
    } else {
      merged.push_back(c);
    }
  }
  progress(1, 2);
  // The last of an address where nobody sent anything survives, and the
  // ones before it merge into it.
  std::vector<Merge> merges;
  for (auto it = merged.rbegin(); it != merged.rend(); ++it) {
    const auto s = survivors.find(it->address);
    if (s == survivors.end())
      survivors.emplace(it->address, *it);
    else
      merges.push_back({it->address, it->id, s->second.id});
  }
  merges_ = std::move(merges);  // last first, as they are worked off
  candidates_.clear();
  candidates_.shrink_to_fit();
  report(ctx_.ui, 2, 2, std::string(texts::kStepProcessMerges));
  enter(merges_.empty() ? DuplicatesStep::Recount : DuplicatesStep::Recode);
}

// Steps 5 and 6: each merged person re-pointed, linked and deleted in one
// transaction (browse::mergePersons).
void DuplicatesJob::recodeSlice() {
  for (std::int32_t n = 0; n < batch_ && at_ < merges_.size(); ++n, ++at_) {
    const Merge& m = merges_[at_];
    ctx_.per = Person{};
    ctx_.per.PERSONID = m.merged;
    if (ctx_.fileOf<Person>().get(Person::PersonKey) != Err::Ok) continue;  // gone meanwhile
    const browse::MergeSummary s = browse::mergePersons(ctx_, m.survivor, {m.merged});
    if (s.failed) return fail();
    counts_.duplicates += s.merged.size();
  }
  if (at_ >= merges_.size()) {
    step_ = DuplicatesStep::Delete;
    progress(1, 1);
    merges_.clear();
    return enter(DuplicatesStep::Recount);
  }
  progress(at_, merges_.size());
}

// Step 7: every person counted again; one without messages removed.
void DuplicatesJob::recountSlice() {
  engine::File& persons = ctx_.fileOf<Person>();
  engine::File& messages = mail_ ? ctx_.fileOf<Mail>() : ctx_.fileOf<MsgNmbr>();
  Transaction t(ctx_, {&persons});
  if (!t.started()) return fail();
  const engine::ReadBurst reading{&messages};
  std::uint32_t writes = 0;
  for (std::int32_t n = 0; n < batch_; ++n) {
    if (!nextPerson(ctx_, lastId_)) {
      if (!t.commit()) return fail();
      if (mail_) setMailCount();
      return enter(DuplicatesStep::Finished);
    }
    lastId_ = ctx_.per.PERSONID;
    ++done_;
    CountResult r;
    if (mail_) {
      const std::uint32_t storedFrom = ctx_.per.FROMCOUNT, storedTo = ctx_.per.TOCOUNT;
      ctx_.per.FROMCOUNT = 0;
      ctx_.per.TOCOUNT = 0;
      r = CFromToMail(ctx_, ctx_.per.PERSONID == owner_ ? kCountOwner : kCountOther);
      // Counts that come back as they were stored need no write.
      if (r == kCountsChanged && ctx_.per.FROMCOUNT == storedFrom && ctx_.per.TOCOUNT == storedTo)
        r = kCountsUnchanged;
    } else {
      r = ForumFromToCount(ctx_);
    }
    if (r == kPersonUnused) {
      if (UppDat(ctx_, persons, kUppDelete, kRollback) != kUppDatDone) return fail();
      ++counts_.withoutMessages;
      ++writes;
    } else if (r == kCountsChanged) {
      if (UppDat(ctx_, persons, kUppPut, kRollback) != kUppDatDone) return fail();
      ++writes;
    }
    if (writes > kCommitAfterWrites) break;
  }
  if (!t.commit()) return fail();
  if (writes > kCommitAfterWrites && CheckSpace(ctx_, kLowDiskBytes, ctx_.mem.FileDir) == kSpaceStop) {
    result_ = DuplicatesResult::Stopped;
    return;
  }
  progress(done_, counts_.before);
}

// The list's message count of a mail database is the number of its mails.
void DuplicatesJob::setMailCount() {
  const std::int64_t count = ctx_.fileOf<Mail>().records();
  TableUse use(ctx_, {Forums::FileNo});
  ctx_.for_ = Forums{};
  ctx_.for_.ID = ctx_.mem.ForumNumber;
  if (count >= 0 && HoldRec(ctx_, ctx_.fileOf<Forums>(), Forums::ForumKey, true, 0) == kHoldRecHeld) {
    ctx_.for_.MSGCOUNT = static_cast<std::uint32_t>(count);
    ctx_.for_.COUNTFLAG = 0;
    UppDat(ctx_, ctx_.fileOf<Forums>(), kUppPut, kReport);
  }
}

void DuplicatesJob::finish() {
  seconds_ = static_cast<double>(nowMs() - startMs_) / 1000.0;
  report(ctx_.ui, 1, 1, std::string(texts::kFinished));
  if (!ctx_.unattended() && displaySetting(ctx_, kItemImportTiming) == 1) {
    beep(ctx_);
    inform(ctx_, texts::kCompletionTitle,
           std::string(texts::kCompletionText) + std::to_string(static_cast<std::int64_t>(seconds_)) + " seconds");
  }
  result_ = DuplicatesResult::Done;
}

}  // namespace qv::maintenance
