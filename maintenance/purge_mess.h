#pragma once
// Purging and counting a message database, as one job (the window
// "PurgeMess"). Purging removes what is marked Delete — messages or mail,
// threads, mail partners, and with a database marked Delete the database
// itself — with everything that hangs off it (texts, topic links, carbon
// copies, word-index rows), never a record marked Keep, and keeps a thread
// or partner as long as it holds a kept message. Counting recomputes the
// stored counts of persons, threads, sections and the database, and removes
// what has become empty. A purge ends with a count.
//
// The job works on the active database of its Context. Each step() does
// one batch of at most `batch` records of the current step (the purge speed
// setting by default); the steps and their texts are those of purgeSteps().
//
// Writing: each writing step opens a transaction over the tables it writes
// (5-second wait) at its first batch and commits it after a batch that
// brought more than kCommitAfterWrites writes, then checks for
// kLowDiskBytes free on the database's disk (too little, and the user stops
// or nobody watches: the job ends Stopped), and commits and checks again at
// the end of the step. The bulk-deleting steps also check for
// kBulkDiskBytes after a batch that committed; when that answers stop they
// close and reopen their tables and go on where they were. A message or
// mail is deleted together with its text row in one transaction; one whose
// text row cannot be read is left in place, and so is the thread or partner
// that holds it. A failed write rolls the transaction back (reported) and
// ends the job Failed.
//
// Stopping (requestCancel, or the job destroyed before its end) commits the
// open transaction and ends the job Stopped at its next step: what was done
// stays; counts may lag until the next count. A later purge finishes the
// work: it also removes the topic links, carbon copies and word-index rows
// of messages an interrupted run deleted (a purge leaves a mark in the
// index's PUR table from before its first delete to the end of its
// word-index step, by which the next one knows).
//
// Buffers changed: every record buffer of the database's tables, ctx.for_,
// and those of the word index (through IndexUpkeepJob and, after an
// interrupted purge, the index's recount).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "maintenance/mail_duplicates.h"
#include "store/context.h"
#include "store/job.h"
#include "store/table_use.h"
#include "store/utilities.h"
#include "wordindex/indexer.h"
#include "wordindex/purge_upkeep.h"

namespace qv::maintenance {

enum class PurgeMode { Purge, Count };

enum class PurgeStep {
  MarkAgedThreads,
  SetAgedStatus,
  DeleteThreads,
  DeleteMessages,
  DeleteSections,
  TopicLinks,
  TopicCounts,
  WordIndex,
  OrphanLinks,
  Receivers,
  PersonCounts,
  ThreadCounts,
  SectionCounts,
  CutMailTimes,
  FindMailDuplicates,
  MarkMailDuplicates,
  DeletePartners,
  DeleteMail,
  DeleteCopies,
  PartnerCounts,
};

// The steps of a run in their order. `aged`: the aged-thread option is on
// (purges of forum and newsgroup databases only).
std::vector<PurgeStep> purgeSteps(PurgeMode mode, DatabaseType type, bool aged);

// The progress text of a step. The mail count's step reads "per person"
// when a user started it and "per mailpartner" in a scheduled task.
std::string_view stepText(PurgeStep step, PurgeMode mode, bool scheduled);

// The aged-thread option's weeks: ticked with 0 weeks gives 999; unticked 0.
std::int32_t agedWeeks(bool ticked, std::int32_t weeks);
// The last day a thread's newest message may have to count as aged.
std::int32_t agedCutoff(std::int32_t today, std::int32_t weeks);

inline constexpr std::int32_t kMaxAgedWeeks = 999;
// The bulk-deleting steps look for this much free space after a commit.
inline constexpr std::uint64_t kBulkDiskBytes = 10000000;

// What a scheduled task's clean-up is told when the job has run.
enum TaskReport : std::uint8_t { kTaskPurged = 2, kTaskCounted = 5 };

enum class PurgeResult {
  Running,
  Done,
  Stopped,          // cancelled, or stopped for lack of disk space; what was done stays
  Cancelled,        // the database marked Delete was not removed: nothing touched
  DatabaseRemoved,  // the database marked Delete was removed with its directory
  Failed,           // a write failed or a transaction could not start (reported, rolled back)
};

struct PurgeStatistics {
  std::int64_t before = 0;   // messages (mail) at the start
  std::int64_t deleted = 0;  // messages (mail) deleted and committed in this run
  std::int64_t after() const { return before - deleted; }
  // Read at the end of the run, for the count panel.
  std::int64_t messages = 0;
  std::int64_t threads = 0;
  std::int64_t persons = 0;
};

struct PanelLine {
  std::string_view label;
  std::int64_t value = 0;
};
// "Messages before purging" … for a purge, "Number of messages in database"
// … for a count.
std::vector<PanelLine> statisticsLines(PurgeMode mode, const PurgeStatistics& s);
// The count panel of the database type (mail partners are the persons less
// the owner).
std::vector<PanelLine> countPanel(DatabaseType type, const PurgeStatistics& s);

struct PurgeOptions {
  PurgeMode mode = PurgeMode::Purge;
  std::int32_t agedWeeks = 0;  // 0: the aged-thread option is off; see agedWeeks()
  std::int32_t batch = 0;      // records per step; 0: the purge speed setting
  FreeSpaceQuery freeSpace;    // how free space is measured; empty: the file system's
};

class PurgeMess final : public Job {
 public:
  PurgeMess(Context& ctx, PurgeOptions options);
  ~PurgeMess() override;

  bool step() override;

  PurgeResult result() const { return result_; }
  const PurgeStatistics& statistics() const { return stats_; }
  // The window's title before the start, and while running.
  std::string title() const;
  std::string_view runningTitle() const;
  // Seconds from the first step to the end.
  std::int32_t seconds() const { return seconds_; }
  TaskReport taskReport() const { return options_.mode == PurgeMode::Purge ? kTaskPurged : kTaskCounted; }
  // The word index upkeep's outcome (NothingToDo when it did not run).
  wordindex::UpkeepResult indexResult() const { return indexResult_; }

  // Called once when the run has finished its steps (Done), when not
  // unattended: the front end refreshes an open browse of the database.
  std::function<void()> onFinished;

  // What a counting step does with a record it recounted.
  enum class Recount { Unchanged, Changed, Unused, Failed };

 private:
  enum class Removal { Deleted, Left, Failed };

  // Lifecycle (purge_mess.cpp).
  void start();
  void beginStep();
  void nextStep();
  void finish();
  void end(PurgeResult result);
  void stopEarly();
  bool openTables();
  void closeTables();
  void progressTo(std::int64_t position);
  std::filesystem::path dataDirectory() const;

  // Writing (purge_mess.cpp).
  bool writeOn(std::initializer_list<engine::File*> files);
  bool write(engine::File& file, int op);
  bool commit();
  bool afterBatch(bool bulk);
  CheckSpaceResult checkSpace(std::uint64_t bytes);
  bool endStep();
  Removal removeMessage(engine::File& headers, std::uint32_t id);
  bool setDatabaseCount(std::int64_t messages);

  // Forum and newsgroup steps (forum_steps.cpp).
  void beginAged();
  void runAged();
  void runSetAged();
  void beginStatusThreads();
  void runStatusThreads();
  void runStatusMessages();
  // Removes, one batch per call, the records of `headers` marked Delete:
  // `start` begins its walk by status at the first of them, `markedId` is
  // the identifier of the record last read while it is marked Delete
  // (kNoIdentifier once the walk has left them).
  void removeMarked(engine::File& headers, const std::function<engine::Err()>& start,
                    const std::function<std::uint32_t()>& markedId);
  void beginSections();
  void runSections();
  bool purgeThread(std::int64_t& budget);
  void beginThreadWalk(const Threads& thread);
  void restartBulkWalks();
  void restartMailWalks();
  void failRead(engine::File& file);
  // The next record of the step's outer walk, which `start` begins on the
  // step's first call (file order when none is given): End at its end,
  // Failed once the read error was reported.
  enum class WalkRead { Record, End, Failed };
  WalkRead walkNext(engine::File& file, const std::function<engine::Err()>& start = {});
  void runReceivers();

  // Counting steps (count_steps.cpp). A counting step walks its table in
  // file order, one batch per call; `recount` settles the record last read
  // by reading `counted` (spending `budget` on what it reads).
  enum class BatchEnd { More, End, Failed };
  BatchEnd recountBatch(engine::File& table, engine::File& counted,
                        const std::function<Recount(std::int64_t& budget)>& recount);
  void runPersonCounts();
  void runThreadCounts();
  void runSectionCounts();
  void runPartnerCounts();

  // Topic links, person links, word index (link_steps.cpp).
  void beginTopicLinks();
  void runTopicLinks();
  void runTopicCounts();
  void runOrphanLinks();
  void beginWordIndex();
  void runWordIndex();
  bool messageExists(std::uint32_t id);
  bool indexExists();
  // Adds this run's mark in PUR, or removes every purge's mark. False when
  // PUR could not be written (reported; the job has ended Failed).
  bool setUpkeepMark(bool running);
  // Sets a walk over PUR (opened for it). False when it failed (reported).
  bool walkMarks();

  // Mail steps (mail_steps.cpp).
  void runCutTimes();
  void runFindDuplicates();
  void runMarkDuplicates();
  void beginPartners();
  void runPartners();
  bool purgePartnerMail(std::int64_t& budget);
  void runStatusMail();
  void runCopies();

  Context& ctx_;
  PurgeOptions options_;
  DatabaseType type_ = DatabaseType::Forum;
  bool scheduled_ = false;
  Forums database_{};
  PurgeResult result_ = PurgeResult::Running;
  PurgeStatistics stats_;
  std::int32_t batch_ = 1;
  std::int32_t seconds_ = 0;
  wordindex::UpkeepResult indexResult_ = wordindex::UpkeepResult::NothingToDo;

  bool started_ = false;
  std::vector<PurgeStep> steps_;
  std::size_t current_ = 0;
  bool stepBegun_ = false;
  std::int64_t position_ = 0;
  std::int64_t range_ = 0;

  std::optional<TableUse> tables_;
  std::optional<Transaction> transaction_;
  std::uint32_t writes_ = 0;
  std::int64_t pendingDeleted_ = 0;
  std::vector<std::uint32_t> pendingIds_;
  std::set<std::uint32_t> deletedIds_;  // committed deletions, for the word index

  // Walk state of the current step.
  bool walking_ = false;  // the step's outer walk is set
  int phase_ = 0;         // a step's sub-walk
  std::int32_t cutoff_ = 0;
  std::set<std::uint32_t> agedThreads_;
  std::vector<std::uint32_t> agedList_;  // threads with an old message
  std::vector<std::uint32_t> agedKept_;  // those whose newest message is old, last first
  std::vector<std::uint32_t> sections_;  // SECSYSIDs to purge
  std::size_t sectionAt_ = 0;
  bool inThread_ = false;
  Threads thread_{};  // the thread whose messages are being walked
  bool threadHolds_ = false;  // a kept (or left) message was met in it
  bool inPartner_ = false;
  Person partner_{};
  bool partnerHolds_ = false;
  std::uint32_t owner_ = 0;
  std::uint32_t lastPerson_ = 0;  // the person the partner walk read last
  std::uint32_t lastChecked_ = 0;  // a message or mail number whose existence was checked
  bool lastMissing_ = false;
  std::uint32_t lastTopic_ = 0;  // the topic of the link read last
  std::set<std::uint32_t> codeIds_;
  std::vector<DuplicateEntry> duplicates_;
  std::optional<DuplicateEntry> previous_;
  bool previousListed_ = false;
  std::optional<TableUse> marks_;  // PUR, while its indexed marks are read
  std::set<std::uint32_t> indexOrphans_;
  std::unique_ptr<wordindex::IndexUpkeepJob> upkeep_;
  std::unique_ptr<wordindex::IndexJob> recount_;  // after an interrupted run's leftovers
  bool recountIndex_ = false;
  int runMarks_ = 0;  // purges' marks found in PUR
};

}  // namespace qv::maintenance
