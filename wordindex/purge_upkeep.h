#pragma once
// Keeping the word index in step with a purge. The purge hands over the
// identifiers of the messages or mail it deleted (message numbers in forum
// and newsgroup databases, mail identifiers in mail databases); the job then
// removes their occurrence rows (MasIdx) and their indexed marks (PUR),
// lowers each word's count in the word list by the number of rows removed,
// drops the words no message contains any more, and rebuilds the word list's
// count key, which writes do not keep up to date.
//
// The job works on the active database of its Context (ctx.mem.Dirnamn,
// ctx.mem.ForumNumber) in four steps, each reported with its step text:
//
// 1. "Purging orphaned word indexes": the indexed marks (PUR) tell which
//    of the identifiers were indexed at all; when none was, the
//    occurrences are not read. Else MasIdx is locked (5-second wait) and
//    written in stream mode, and its rows, kept in word order, are walked
//    once: each row of a deleted identifier is deleted, one count going to
//    its word. MasIdx is flushed and unlocked; a failed flush or read ends
//    the job Failed with the marks left in place. One more pass over PUR
//    then deletes the indexed marks (WORDID kIndexedMark) of the
//    identifiers; pairs with negative WORDID are the index's own and stay.
//    A delete that fails is reported (the record-error message of UppDat,
//    record released) and ends that identifier's rows; the job goes on
//    with the others. Another writer holding the MasIdx lock beyond the
//    wait does not stop the job: each delete stands on its own, whereas
//    rows left behind would keep their words' counts too high for good.
//    The step reports the marks read, then the rows read.
// 2. "Updating index counts per indexed word", only when rows were removed:
//    the word list is walked in file order inside a transaction, committed
//    every kCommitAfterWrites writes and then checked for kLowDiskBytes free
//    on the index's disk; a word whose count reaches 0 or less is deleted,
//    any other rewritten with its lower count. A failed write rolls the
//    transaction back and ends the job: Failed.
// 3. "Flushing buffers" while the last transaction commits.
// 4. "Rebuilding word list": the word list is locked (5-second wait) and
//    WOR:by_WordCount built in stream mode. When the lock and the build
//    succeed, Mem:WordListIndexNeedsUpdate and the database record's
//    FOR:WORDLISTINDEXNEEDSUPDATE are set to 0. When not, both flags stay
//    as they were (a failed build is reported, a lock held elsewhere is
//    not) and the job still ends Done; counts().countKeyRebuilt says which.
//
// When no identifier had occurrence rows, steps 2 to 4 are left out and the
// word list is not even opened: NothingToDo.
//
// A cancel (or the job destroyed before its end) commits what is open and
// ends the job at its next step: Stopped. Rows removed by then stay
// removed; word counts not yet lowered then stay too high until the index
// is recounted.
//
// Buffers changed: ctx.mas, ctx.pur, ctx.wor, and ctx.for_ when the flags
// are cleared.

#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "store/context.h"
#include "store/job.h"
#include "store/table_use.h"
#include "wordindex/index_tables.h"

namespace qv::wordindex {

enum class UpkeepResult {
  Running,      // not ended yet
  Done,         // the index is in step with the purge
  NothingToDo,  // no identifier had occurrence rows: the word list was not touched
  Stopped,      // cancelled, or the user stopped for lack of disk space
  Failed,       // the index could not be opened or written (reported); see above
};

// What the job changed, for the purge's statistics.
struct UpkeepCounts {
  std::uint64_t occurrencesRemoved = 0;  // MasIdx rows deleted
  std::uint64_t marksRemoved = 0;        // indexed marks deleted from PUR
  std::uint64_t wordsDropped = 0;        // word-list rows deleted (committed)
  std::uint64_t wordsReduced = 0;        // word-list rows rewritten with a lower count (committed)
  bool countKeyRebuilt = false;          // and the needs-update flags cleared
};

class IndexUpkeepJob final : public Job {
 public:
  // `batch`: records read per step; 0 takes the purge speed setting
  // (SpeedVal kSpeedGet, kItemSpeedPurge).
  explicit IndexUpkeepJob(Context& ctx, std::int32_t batch = 0);
  ~IndexUpkeepJob() override;

  // Collecting: a message or mail the purge deleted; an identifier given
  // twice counts once. Only before the first step (std::logic_error after).
  void add(std::uint32_t id);

  bool step() override;

  UpkeepResult result() const { return result_; }
  const UpkeepCounts& counts() const { return counts_; }

 private:
  enum class Stage { Collecting, FindIndexed, Occurrences, Marks, Counts, Rebuild, Ended };

  void begin();
  void findIndexed();
  void startOccurrences();
  void removeOccurrences();
  void startMarks();
  void removeMarks();
  void endOccurrencePass();
  // Flushes, unlocks and closes MasIdx. False when the flush failed
  // (reported): the deletes since the stream began are not stored.
  bool releaseOccurrences();
  void updateCounts();
  // Commits the word-list writes. False when the job ended (commit failed,
  // or too little disk space after an intermediate commit).
  bool commitCounts(bool last);
  void rebuild();
  void clearNeedsUpdate();
  void stopEarly();
  void finish(UpkeepResult result);

  Context& ctx_;
  std::int32_t batch_;
  Stage stage_ = Stage::Collecting;
  UpkeepResult result_ = UpkeepResult::Running;
  UpkeepCounts counts_;

  std::set<std::uint32_t> deleted_;
  std::set<std::uint32_t> indexed_;    // the deleted identifiers that were indexed
  std::set<std::uint32_t> failedIds_;  // identifiers a row delete failed for
  bool fullIndexRunning_ = false;
  std::int64_t rowsRead_ = 0;
  std::int64_t rowsRange_ = 0;
  std::map<std::uint32_t, std::int32_t> wordCounts_;  // word identifier -> rows removed

  std::optional<IndexTable> occurrences_;
  bool occurrencesLocked_ = false;
  std::optional<TableUse> marks_;
  std::int64_t marksRead_ = 0;
  std::int64_t marksRange_ = 0;

  std::optional<IndexTable> words_;
  std::optional<Transaction> transaction_;  // after words_: rolls back before the table closes
  std::int64_t wordsRead_ = 0;
  std::int64_t wordsRange_ = 0;
  std::uint32_t writes_ = 0;
  std::uint64_t pendingDropped_ = 0;
  std::uint64_t pendingReduced_ = 0;
};

}  // namespace qv::wordindex
