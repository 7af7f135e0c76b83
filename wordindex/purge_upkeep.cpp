#include "wordindex/purge_upkeep.h"

#include <algorithm>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include "store/config.h"
#include "store/database_list.h"
#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"
#include "wordindex/index_state.h"

namespace qv::wordindex {

using engine::Err;

namespace {

constexpr int kLockWait = 5;  // seconds

const std::string kPurgingText = "Purging orphaned word indexes";
const std::string kUpdatingText = "Updating index counts per indexed word";
const std::string kFlushingText = "Flushing buffers";
const std::string kRebuildingText = "Rebuilding word list";

void reportIndexError(Context& ctx, const engine::File& file) {
  inform(ctx, "Word Index Error", file.errorText(), MessageKind::Error);
}

std::int64_t recordsOf(engine::File& file) { return std::max<std::int64_t>(file.records(), 0); }

}  // namespace

IndexUpkeepJob::IndexUpkeepJob(Context& ctx, std::int32_t batch)
    : ctx_(ctx), batch_(std::max(1, batch > 0 ? batch : SpeedVal(ctx, kSpeedGet, kItemSpeedPurge))) {}

IndexUpkeepJob::~IndexUpkeepJob() {
  if (stage_ != Stage::Ended) stopEarly();
}

void IndexUpkeepJob::add(std::uint32_t id) {
  if (stage_ != Stage::Collecting) throw std::logic_error("IndexUpkeepJob::add after the first step");
  deleted_.insert(id);
}

bool IndexUpkeepJob::step() {
  if (stage_ != Stage::Ended && cancelRequested()) {
    stopEarly();
    return true;
  }
  switch (stage_) {
    case Stage::Collecting: begin(); break;
    case Stage::Occurrences: removeOccurrences(); break;
    case Stage::Marks: removeMarks(); break;
    case Stage::Counts: updateCounts(); break;
    case Stage::Rebuild: rebuild(); break;
    case Stage::Ended: break;
  }
  return stage_ == Stage::Ended;
}

void IndexUpkeepJob::begin() {
  if (deleted_.empty()) {
    finish(UpkeepResult::NothingToDo);
    return;
  }
  occurrences_.emplace(ctx_, MasIdx::FileNo);
  if (occurrences_->status() != Err::Ok) {  // reported
    finish(UpkeepResult::Failed);
    return;
  }
  engine::File& mas = occurrences_->file();
  occurrencesLocked_ = mas.lock(kLockWait) == Err::Ok;
  // Stream mode only groups the deletes for speed; without it they are
  // written one by one.
  mas.stream();
  nextId_ = deleted_.begin();
  stage_ = Stage::Occurrences;
  report(ctx_.ui, 0, static_cast<std::int64_t>(deleted_.size()), kPurgingText);
}

void IndexUpkeepJob::removeOccurrences() {
  std::int64_t budget = batch_;
  while (budget > 0 && nextId_ != deleted_.end()) {
    if (!removeOccurrencesOf(*nextId_, budget)) break;
    ++nextId_;
    ++idsDone_;
  }
  report(ctx_.ui, idsDone_, static_cast<std::int64_t>(deleted_.size()), kPurgingText);
  if (nextId_ == deleted_.end()) {
    // The rows' deletes are stored before the marks go: a run killed in
    // between leaves marks of messages that are gone, by which the next
    // purge finds them again.
    if (!releaseOccurrences()) {
      finish(UpkeepResult::Failed);
      return;
    }
    startMarks();
  }
}

bool IndexUpkeepJob::removeOccurrencesOf(std::uint32_t id, std::int64_t& budget) {
  engine::File& mas = occurrences_->file();
  // The rows read before were deleted, so starting again at the lowest word
  // is where a walk cut short by the budget left off.
  ctx_.mas = MasIdx{};
  ctx_.mas.SYSID = id;
  ctx_.mas.WORDID = 0;
  Err e = mas.setFrom(MasIdx::by_SysID);
  while (e == Err::Ok && budget > 0) {
    --budget;
    if ((e = mas.next()) != Err::Ok) break;
    if (ctx_.mas.SYSID != id) return true;
    const std::uint32_t word = ctx_.mas.WORDID;
    if (UppDat(ctx_, mas, kUppDelete, kReport) != kUppDatDone) return true;  // reported, released
    ++wordCounts_[word];
    ++counts_.occurrencesRemoved;
  }
  if (e == Err::Ok) return false;
  if (e != Err::RecordNotAvailable) reportIndexError(ctx_, mas);
  return true;
}

void IndexUpkeepJob::startMarks() {
  marks_.emplace(ctx_, std::initializer_list<int>{PUR::FileNo});
  engine::File& pur = ctx_.fileOf<PUR>();
  marksRange_ = recordsOf(pur);
  stage_ = Stage::Marks;
  if (pur.set() != Err::Ok) {
    reportIndexError(ctx_, pur);
    endOccurrencePass();
    return;
  }
  report(ctx_.ui, 0, marksRange_, kPurgingText);
}

void IndexUpkeepJob::removeMarks() {
  engine::File& pur = ctx_.fileOf<PUR>();
  for (std::int32_t read = 0; read < batch_; ++read) {
    const Err e = pur.next();
    if (e != Err::Ok) {
      if (e != Err::RecordNotAvailable) reportIndexError(ctx_, pur);
      endOccurrencePass();
      return;
    }
    ++marksRead_;
    if (ctx_.pur.WORDID != kIndexedMark || ctx_.pur.SYSID < 0) continue;
    if (!deleted_.contains(static_cast<std::uint32_t>(ctx_.pur.SYSID))) continue;
    if (UppDat(ctx_, pur, kUppDelete, kReport) == kUppDatDone) ++counts_.marksRemoved;
  }
  report(ctx_.ui, marksRead_, marksRange_, kPurgingText);
}

void IndexUpkeepJob::endOccurrencePass() {
  marks_.reset();
  deleted_.clear();
  // Deletes that were not flushed are not stored: their words keep their counts.
  if (!releaseOccurrences()) {
    finish(UpkeepResult::Failed);
    return;
  }
  if (wordCounts_.empty()) {
    finish(UpkeepResult::NothingToDo);
    return;
  }
  words_.emplace(ctx_, WordList::FileNo);
  if (words_->status() != Err::Ok) {  // reported
    finish(UpkeepResult::Failed);
    return;
  }
  engine::File& wor = words_->file();
  wordsRange_ = recordsOf(wor);
  if (wor.set() != Err::Ok) {
    reportIndexError(ctx_, wor);
    finish(UpkeepResult::Failed);
    return;
  }
  stage_ = Stage::Counts;
  report(ctx_.ui, 0, wordsRange_, kUpdatingText);
}

bool IndexUpkeepJob::releaseOccurrences() {
  if (!occurrences_) return true;
  engine::File& mas = occurrences_->file();
  const bool flushed = mas.flush() == Err::Ok;
  if (!flushed) reportIndexError(ctx_, mas);
  if (occurrencesLocked_) mas.unlock();
  occurrencesLocked_ = false;
  occurrences_.reset();
  return flushed;
}

void IndexUpkeepJob::updateCounts() {
  engine::File& wor = words_->file();
  if (!transaction_) {
    transaction_.emplace(ctx_, std::initializer_list<engine::File*>{&wor});
    if (!transaction_->started()) {  // reported and rolled back
      finish(UpkeepResult::Failed);
      return;
    }
  }
  for (std::int32_t read = 0; read < batch_; ++read) {
    const Err e = wor.next();
    if (e == Err::RecordNotAvailable) {
      report(ctx_.ui, wordsRange_, wordsRange_, kFlushingText);
      if (!commitCounts(true)) return;
      stage_ = Stage::Rebuild;
      report(ctx_.ui, wordsRange_, wordsRange_, kRebuildingText);
      return;
    }
    if (e != Err::Ok) {
      reportIndexError(ctx_, wor);
      finish(UpkeepResult::Failed);
      return;
    }
    ++wordsRead_;
    const auto removed = wordCounts_.find(static_cast<std::uint32_t>(ctx_.wor.WORDID));
    if (removed == wordCounts_.end()) continue;
    const std::int64_t left = std::int64_t{ctx_.wor.WORDCOUNT} - removed->second;
    const bool drop = left <= 0;
    if (!drop) ctx_.wor.WORDCOUNT = static_cast<std::int32_t>(left);
    if (UppDat(ctx_, wor, drop ? kUppDelete : kUppPut, kRollback) != kUppDatDone) {  // reported, rolled back
      finish(UpkeepResult::Failed);
      return;
    }
    ++(drop ? pendingDropped_ : pendingReduced_);
    ++writes_;
  }
  report(ctx_.ui, wordsRead_, wordsRange_, kUpdatingText);
  if (writes_ > kCommitAfterWrites) commitCounts(false);  // false: the job has ended
}

bool IndexUpkeepJob::commitCounts(bool last) {
  const bool committed = transaction_->commit();  // a failure is reported
  transaction_.reset();                           // and rolled back here
  writes_ = 0;
  if (!committed) {
    finish(UpkeepResult::Failed);
    return false;
  }
  counts_.wordsDropped += pendingDropped_;
  counts_.wordsReduced += pendingReduced_;
  pendingDropped_ = pendingReduced_ = 0;
  if (!last && CheckSpace(ctx_, kLowDiskBytes, words_->file().name().parent_path()) != kSpaceGoOn) {
    finish(UpkeepResult::Stopped);
    return false;
  }
  return true;
}

void IndexUpkeepJob::rebuild() {
  engine::File& wor = words_->file();
  bool built = false;
  if (wor.lock(kLockWait) == Err::Ok) {
    wor.stream();  // for speed only, as for MasIdx
    built = wor.build(WordList::by_WordCount) == Err::Ok;
    if (!built) reportIndexError(ctx_, wor);
  }
  // The build is stored by the flush.
  if (wor.flush() != Err::Ok) {
    if (built) reportIndexError(ctx_, wor);
    built = false;
  }
  wor.unlock();
  if (built) clearNeedsUpdate();
  finish(UpkeepResult::Done);
}

void IndexUpkeepJob::clearNeedsUpdate() {
  // A record that cannot be rewritten (reported) keeps its flag: the key is
  // then merely rebuilt once more.
  if (ctx_.mem.ForumNumber == kNoIdentifier || !SetWordListNeedsUpdate(ctx_, false))
    ctx_.mem.WordListIndexNeedsUpdate = 0;
  counts_.countKeyRebuilt = true;
}

void IndexUpkeepJob::stopEarly() {
  clearCancel();
  if (transaction_ && !commitCounts(true)) return;  // ended Failed
  finish(UpkeepResult::Stopped);
}

void IndexUpkeepJob::finish(UpkeepResult result) {
  transaction_.reset();
  marks_.reset();
  releaseOccurrences();  // a failed flush is reported; the job ends either way
  words_.reset();
  deleted_.clear();
  wordCounts_.clear();
  result_ = result;
  stage_ = Stage::Ended;
}

}  // namespace qv::wordindex
