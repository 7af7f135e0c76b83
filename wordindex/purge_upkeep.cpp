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
// Rows read per step by the walks that look for the deleted messages'
// marks and rows; deletes are bounded by the purge speed setting.
constexpr std::int64_t kRowsReadPerStep = 20'000;

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
    case Stage::FindIndexed: findIndexed(); break;
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
  marks_.emplace(ctx_, std::initializer_list<int>{PUR::FileNo});
  engine::File& pur = ctx_.fileOf<PUR>();
  marksRange_ = recordsOf(pur);
  if (pur.set() != Err::Ok) {
    reportIndexError(ctx_, pur);
    finish(UpkeepResult::Failed);
    return;
  }
  stage_ = Stage::FindIndexed;
  report(ctx_.ui, 0, marksRange_, kPurgingText);
}

// Which of the deleted messages were indexed, by their marks: only those
// can have occurrence rows, and when there is none the occurrences are not
// walked at all. While a full index is being built, rows may stand before
// their marks: then every deleted message counts.
void IndexUpkeepJob::findIndexed() {
  engine::File& pur = ctx_.fileOf<PUR>();
  for (std::int64_t read = 0; read < kRowsReadPerStep; ++read) {
    const Err e = pur.next();
    if (e == Err::RecordNotAvailable) {
      if (fullIndexRunning_) indexed_ = deleted_;
      if (indexed_.empty()) {
        endOccurrencePass();
        return;
      }
      startOccurrences();
      return;
    }
    if (e != Err::Ok) {
      reportIndexError(ctx_, pur);
      finish(UpkeepResult::Failed);
      return;
    }
    ++marksRead_;
    if (ctx_.pur.WORDID == kFullIndexRunning) fullIndexRunning_ = true;
    if (ctx_.pur.WORDID != kIndexedMark || ctx_.pur.SYSID < 0) continue;
    const auto id = static_cast<std::uint32_t>(ctx_.pur.SYSID);
    if (deleted_.contains(id)) indexed_.insert(id);
  }
  report(ctx_.ui, marksRead_, marksRange_, kPurgingText);
}

void IndexUpkeepJob::startOccurrences() {
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
  rowsRange_ = recordsOf(mas);
  if (mas.set() != Err::Ok) {
    reportIndexError(ctx_, mas);
    finish(UpkeepResult::Failed);
    return;
  }
  stage_ = Stage::Occurrences;
  report(ctx_.ui, 0, rowsRange_, kPurgingText);
}

// The occurrences are kept in word order, so the rows of the deleted
// messages are found in one walk of the file; at most `batch_` of them are
// deleted per step.
void IndexUpkeepJob::removeOccurrences() {
  engine::File& mas = occurrences_->file();
  std::int32_t deletes = 0;
  for (std::int64_t read = 0; read < kRowsReadPerStep && deletes < batch_; ++read) {
    const Err e = mas.next();
    if (e == Err::RecordNotAvailable) {
      report(ctx_.ui, rowsRange_, rowsRange_, kPurgingText);
      // The rows' deletes are stored before the marks go: a run killed in
      // between leaves marks of messages that are gone, by which the next
      // purge finds them again.
      if (!releaseOccurrences()) {
        finish(UpkeepResult::Failed);
        return;
      }
      startMarks();
      return;
    }
    if (e != Err::Ok) {  // the marks stay: the rows not reached are found again
      reportIndexError(ctx_, mas);
      finish(UpkeepResult::Failed);
      return;
    }
    ++rowsRead_;
    const std::uint32_t id = ctx_.mas.SYSID;
    if (!indexed_.contains(id) || failedIds_.contains(id)) continue;
    const std::uint32_t word = ctx_.mas.WORDID;
    ++deletes;
    // A failed delete (reported, released) ends the removal of that
    // message's rows; the others go on.
    if (UppDat(ctx_, mas, kUppDelete, kReport) != kUppDatDone) {
      failedIds_.insert(id);
      continue;
    }
    ++wordCounts_[word];
    ++counts_.occurrencesRemoved;
  }
  report(ctx_.ui, rowsRead_, rowsRange_, kPurgingText);
}

void IndexUpkeepJob::startMarks() {
  engine::File& pur = ctx_.fileOf<PUR>();
  marksRead_ = 0;
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
    if (!indexed_.contains(static_cast<std::uint32_t>(ctx_.pur.SYSID))) continue;
    if (UppDat(ctx_, pur, kUppDelete, kReport) == kUppDatDone) ++counts_.marksRemoved;
  }
  report(ctx_.ui, marksRead_, marksRange_, kPurgingText);
}

void IndexUpkeepJob::endOccurrencePass() {
  marks_.reset();
  deleted_.clear();
  indexed_.clear();
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
  indexed_.clear();
  wordCounts_.clear();
  result_ = result;
  stage_ = Stage::Ended;
}

}  // namespace qv::wordindex
