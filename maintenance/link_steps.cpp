// What refers to messages and persons, kept in step with a purge: topic
// links (SIndex) and the topics' link counts (Codes), person links
// (PLINK), and the word index.
#include <filesystem>
#include <limits>

#include "maintenance/purge_mess.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "wordindex/index_state.h"
#include "wordindex/indexer.h"

namespace qv::maintenance {

using engine::Err;


bool PurgeMess::messageExists(std::uint32_t id) {
  if (id == lastChecked_ && lastChecked_ != 0) return !lastMissing_;
  Err e;
  if (type_ == DatabaseType::Mail) {
    ctx_.mai = Mail{};
    ctx_.mai.MAILID = id;
    e = ctx_.fileOf<Mail>().get(Mail::IdKey);
  } else {
    ctx_.msg = MsgNmbr{};
    ctx_.msg.MSGNUMBER = id;
    e = ctx_.fileOf<MsgNmbr>().get(MsgNmbr::IdKey);
  }
  lastChecked_ = id;
  // Only a message known to be gone counts as missing: a read error
  // removes nothing.
  lastMissing_ = e == Err::RecordNotFound;
  return !lastMissing_;
}

// ---------------------------------------------------------------------------
// Topic links of deleted messages, and of topics that no longer exist

void PurgeMess::beginTopicLinks() {
  engine::File& links = ctx_.fileOf<SIndex>();
  range_ = std::max<std::int64_t>(links.records(), 0);
  if (links.set(SIndex::MsgKey) != Err::Ok) failRead(links);
}

void PurgeMess::runTopicLinks() {
  engine::File& links = ctx_.fileOf<SIndex>();
  if (!writeOn({&links})) return;
  if (phase_ == 0) {
    for (std::int64_t read = 0; read < batch_; ++read) {
      const Err e = links.next();
      if (e == Err::RecordNotAvailable) {
        // The topics there are, for the second walk.
        engine::File& codes = ctx_.fileOf<Codes>();
        codeIds_.clear();
        if (codes.set() != Err::Ok) return failRead(codes);
        Err c;
        while ((c = codes.next()) == Err::Ok) codeIds_.insert(+ctx_.cod.ID);
        if (c != Err::RecordNotAvailable) return failRead(codes);
        if (links.set(SIndex::IdKey) != Err::Ok) return failRead(links);
        phase_ = 1;
        lastTopic_ = 0;
        position_ = 0;
        progressTo(0);
        return;
      }
      if (e != Err::Ok) return failRead(links);
      ++position_;
      if (!messageExists(ctx_.sin.MSGNUMBER) && !write(links, kUppDelete)) return;
    }
    progressTo(position_);
    afterBatch(false);
    return;
  }
  // The links of each topic missing from Codes go in a transaction of their own.
  for (std::int64_t read = 0; read < batch_; ++read) {
    const Err e = links.next();
    if (e == Err::RecordNotAvailable) {
      if (endStep()) nextStep();
      return;
    }
    if (e != Err::Ok) return failRead(links);
    ++position_;
    if (ctx_.sin.ID != lastTopic_ && !commit()) return;
    lastTopic_ = ctx_.sin.ID;
    if (codeIds_.contains(+ctx_.sin.ID)) continue;
    if (!writeOn({&links}) || !write(links, kUppDelete)) return;
  }
  progressTo(position_);
  afterBatch(false);
}

void PurgeMess::runTopicCounts() {
  engine::File& codes = ctx_.fileOf<Codes>();
  engine::File& links = ctx_.fileOf<SIndex>();
  if (!writeOn({&codes})) return;
  std::int64_t budget = batch_;
  while (budget > 0) {
    const WalkRead r = walkNext(codes);
    --budget;
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      codeIds_.clear();
      if (endStep()) nextStep();
      return;
    }
    ++position_;
    // Key words have no links, and their count means nothing here.
    if (ctx_.cod.TYPE != static_cast<std::uint8_t>(CodeType::Topic)) continue;
    const Codes code = ctx_.cod;
    // IdKey runs by topic, then message number highest first.
    ctx_.sin = SIndex{};
    ctx_.sin.ID = code.ID;
    ctx_.sin.MSGNUMBER = std::numeric_limits<std::uint32_t>::max();
    if (links.setFrom(SIndex::IdKey) != Err::Ok) return failRead(links);
    std::uint32_t count = 0;
    Err l;
    while ((l = links.next()) == Err::Ok && ctx_.sin.ID == code.ID) {
      ++count;
      --budget;
    }
    if (l != Err::Ok && l != Err::RecordNotAvailable) return failRead(links);
    if (count == code.COUNT) continue;
    ctx_.cod = code;
    ctx_.cod.COUNT = count;
    if (!write(codes, kUppPut)) return;
  }
  progressTo(position_);
  afterBatch(false);
}

// ---------------------------------------------------------------------------
// Person links whose person is gone

void PurgeMess::runOrphanLinks() {
  engine::File& personLinks = ctx_.fileOf<PLINK>();
  engine::File& persons = ctx_.fileOf<Person>();
  if (!writeOn({&personLinks})) return;
  for (std::int64_t read = 0; read < batch_; ++read) {
    const WalkRead r = walkNext(personLinks);
    if (r == WalkRead::Failed) return;
    if (r == WalkRead::End) {
      if (endStep()) nextStep();
      return;
    }
    ++position_;
    ctx_.per = Person{};
    ctx_.per.PERSONID = ctx_.pli.PERSONID;
    if (persons.get(Person::PersonKey) == Err::RecordNotFound && !write(personLinks, kUppDelete)) return;
  }
  progressTo(position_);
  afterBatch(false);
}

// ---------------------------------------------------------------------------
// The word index: the rows of the messages deleted now, and of those an
// interrupted run deleted before it could tell the index.
//
// A purge leaves the mark (0, kPurgeUpkeepRunning) in PUR from its start
// (before its first delete) to the end of this step. Finding more than its
// own mark here means an earlier purge was killed or stopped after it may
// have deleted messages: the indexed marks of messages that are gone are
// handed over too, and the word list is counted again from the rows, since
// that run may have removed rows without lowering their words' counts.

namespace {

enum IndexPhase : int {
  kCountRunMarks = 0,  // how many purges left their mark
  kFindOrphans,        // the indexed marks of messages that are gone
  kStartUpkeep,
  kUpkeep,
  kRecount,
  kClearRunMark,
  kIndexDone,
};

}  // namespace

bool PurgeMess::indexExists() {
  // An index leaves its marks in PUR; a database without the files was
  // never indexed, and the index is left alone.
  return std::filesystem::exists(BuildFileName(ctx_, PUR::FileNo)) ||
         std::filesystem::exists(BuildFileName(ctx_, MasIdx::FileNo));
}

bool PurgeMess::setUpkeepMark(bool running) {
  TableUse use(ctx_, {PUR::FileNo});
  const Err e = running ? wordindex::addMark(ctx_, 0, wordindex::kPurgeUpkeepRunning)
                        : wordindex::eraseMarks(ctx_, wordindex::kPurgeUpkeepRunning);
  if (e == Err::Ok) return true;
  failRead(ctx_.fileOf<PUR>());
  return false;
}

bool PurgeMess::walkMarks() {
  marks_.emplace(ctx_, std::initializer_list<int>{PUR::FileNo});
  engine::File& pur = ctx_.fileOf<PUR>();
  range_ = std::max<std::int64_t>(pur.records(), 0);
  position_ = 0;
  if (pur.set() == Err::Ok) return true;
  marks_.reset();
  failRead(pur);
  return false;
}

void PurgeMess::beginWordIndex() {
  indexOrphans_.clear();
  runMarks_ = 0;
  recountIndex_ = false;
  if (!indexExists()) {
    phase_ = kIndexDone;
    return;
  }
  walkMarks();
  phase_ = kCountRunMarks;
}

void PurgeMess::runWordIndex() {
  if (phase_ == kCountRunMarks || phase_ == kFindOrphans) {
    engine::File& pur = ctx_.fileOf<PUR>();
    for (std::int64_t read = 0; read < batch_; ++read) {
      const Err e = pur.next();
      if (e == Err::RecordNotAvailable) break;
      if (e != Err::Ok) {
        marks_.reset();
        return failRead(pur);
      }
      ++position_;
      if (phase_ == kCountRunMarks) {
        if (ctx_.pur.WORDID == wordindex::kPurgeUpkeepRunning) ++runMarks_;
        continue;
      }
      if (ctx_.pur.WORDID != wordindex::kIndexedMark || ctx_.pur.SYSID < 0) continue;
      const auto id = static_cast<std::uint32_t>(ctx_.pur.SYSID);
      if (!deletedIds_.contains(id) && !messageExists(id)) indexOrphans_.insert(id);
    }
    progressTo(position_);
    if (position_ < range_) return;
    marks_.reset();
    if (phase_ == kCountRunMarks && runMarks_ > 1) {
      recountIndex_ = true;
      if (walkMarks()) phase_ = kFindOrphans;
      return;
    }
    phase_ = kStartUpkeep;
  }
  if (phase_ == kStartUpkeep) {
    if (deletedIds_.empty() && indexOrphans_.empty()) {
      phase_ = recountIndex_ ? kRecount : kClearRunMark;
    } else {
      upkeep_ = std::make_unique<wordindex::IndexUpkeepJob>(ctx_, batch_);
      for (std::uint32_t id : deletedIds_) upkeep_->add(id);
      for (std::uint32_t id : indexOrphans_) upkeep_->add(id);
      indexOrphans_.clear();
      phase_ = kUpkeep;
    }
  }
  if (phase_ == kUpkeep) {
    if (!upkeep_->step()) return;
    indexResult_ = upkeep_->result();
    upkeep_.reset();
    if (indexResult_ == wordindex::UpkeepResult::Failed) return end(PurgeResult::Failed);
    if (indexResult_ == wordindex::UpkeepResult::Stopped) return end(PurgeResult::Stopped);
    phase_ = recountIndex_ ? kRecount : kClearRunMark;
  }
  if (phase_ == kRecount) {
    if (!recount_) recount_ = std::make_unique<wordindex::IndexJob>(ctx_, wordindex::IndexMode::Recount);
    if (!recount_->step()) return;
    const wordindex::IndexResult r = recount_->summary().result;
    recount_.reset();
    if (r == wordindex::IndexResult::Failed) return end(PurgeResult::Failed);  // reported
    if (r == wordindex::IndexResult::Cancelled) return end(PurgeResult::Stopped);
    // Another run writing the index (Busy) leaves the marks for the next purge.
    phase_ = r == wordindex::IndexResult::Done ? kClearRunMark : kIndexDone;
  }
  if (phase_ == kClearRunMark && !setUpkeepMark(false)) return;
  deletedIds_.clear();
  nextStep();
}

}  // namespace qv::maintenance
