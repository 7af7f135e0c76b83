#pragma once
// The indexing job: reads the subjects and texts of the active database,
// cuts them into words and writes the word list (one row per word with the
// number of messages holding it), the occurrence rows (one per message and
// word) and the marks of the indexed messages.
//
// Modes:
// - Full: empties the index and indexes every message, appending the
//   occurrence rows without key upkeep and building the keys at the end.
// - Partial: indexes the messages without a mark, one slice per
//   transaction, writing through the keys. Refused when the delimiter set
//   or the options changed since the last full index; a database whose full
//   index never finished gets a full one instead.
// - Recount: counts the occurrence rows of every word again, corrects the
//   word list and says which mode is needed.
//
// A run that is killed leaves an index the next run recognises: a full one
// starts over, a partial one goes on after its last finished slice. Either
// way the result is the index an uninterrupted run gives.
//
// While it writes, Library::IndexingInProgress is raised (the program may
// not end) and the occurrence table is locked against a second run in any
// process.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/context.h"
#include "store/job.h"

namespace qv::wordindex {

enum class IndexMode { Full, Partial, Recount };
const char* modeName(IndexMode mode);

enum class IndexResult {
  Done,
  Refused,    // a partial index after a change of the delimiter set or options; see note
  Busy,       // another run writes this index
  Cancelled,  // stopped by the user: a full index must be run again, a partial one goes on next time
  Failed,     // a table could not be read or written (reported)
};

struct IndexSummary {
  IndexResult result = IndexResult::Done;
  IndexMode mode = IndexMode::Full;  // what ran (a partial may have had to run full)
  std::string note;                  // why refused, or why the mode changed
  std::int64_t messages = 0;         // messages indexed by this run
  std::int64_t rows = 0;             // occurrence rows written
  std::int64_t words = 0;            // words in the word list afterwards
  std::vector<std::string> newStopWords;  // moved to the stop words by the 25 % rule
  double seconds = 0;
  // Recount:
  std::int64_t countsCorrected = 0;
  std::int64_t notIndexed = 0;
  std::optional<IndexMode> recommended;  // nothing: the index is up to date
};

// A word found in more than this share of a database's messages becomes a
// stop word (when the rule is on), once the database has enough messages
// for the share to mean something.
inline constexpr int kStopWordSharePercent = 25;
inline constexpr std::int64_t kStopWordRuleMinMessages = 100;

class IndexJob : public Job {
 public:
  IndexJob(Context& ctx, IndexMode mode);
  ~IndexJob() override;

  bool step() override;
  const IndexSummary& summary() const { return summary_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  IndexSummary summary_;
  bool ended_ = false;
};

}  // namespace qv::wordindex
