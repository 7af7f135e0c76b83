#pragma once
// Running one scheduled task, as a job.
//
// Start: the task's links are reset, the run gets the next log identifier
// and the affected-database list is cleared (NextTask 15). Then the task's
// import definitions run one by one, in key order, through the import
// driver in scheduled mode (Mem:DoTask 2): nothing is shown, and a problem
// that would ask the user ends that import. Each definition gets a log item
// (type 1) opened when it starts and closed when it ends, with the result
// of its link: 1 when the import reached its end, 2 otherwise. A failed
// definition makes the task's result 2, and the next definition still
// runs. Every database that received messages is registered once for
// housekeeping.
//
// Abandoning the run (Mem:DoTask 6): a definition that no longer exists, a
// definition whose mail or forum database does not exist, or whose format
// number names no format, ends the task run there — that log item is closed
// with result 2 — and so does a quit request (requestCancel), which records
// nothing for the interrupted definition (its item is closed with result
// 0). An abandoned run skips housekeeping, deactivates the task and clears
// its run-now request; its result is 2, since not all of it ran. A quit
// during housekeeping stops the step under way (its item closed with 0),
// skips the rest and deactivates the task too; the result stays that of
// the imports.
//
// Finishing: the task's result and its next run are stored (finishSchedule
// on the task as stored now, so an edit made during the run is kept). Then
// housekeeping runs for every affected database, in this order: duplicate
// elimination, purging, counting (only when purging is not chosen), word
// indexing (only for a database whose word index kind is set). Each step is
// a log item of its own type (TaskStep) naming the database in TLI:BATCHID,
// result 1 when the job did its work, 2 when not; housekeeping results do
// not change the task's result, which speaks of the imports. A step waits
// while a command works on the same database (WORK.LCK). Last, the run log
// record gets its end and result.
//
// Before each definition the run waits while an import of another process
// (or job) holds the import lock, so neither makes the other fail; an
// import refused because another took the lock just before it leaves no
// trace and is started again once the lock is free.
//
// Log items are keyed by run, type and start moment: two items of one type
// that start in the same hundredth of a second get the next free hundredth,
// so that none is lost.
//
// The housekeeping jobs belong to the program (maintenance and word index);
// the run asks for them through TaskHousekeeping.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "import/driver.h"
#include "import/task_lock.h"
#include "import/tasks.h"
#include "store/job.h"

namespace qv {

// A housekeeping step; the value is its log item's type (the report code
// its job gives the task's clean-up; indexing has none there and takes 8).
enum class TaskStep : std::uint32_t { Purge = 2, Count = 5, Duplicates = 6, Index = 8 };

// The steps for one database in their order.
std::vector<TaskStep> housekeepingSteps(const TAS& task, bool wordIndexSet);

class TaskHousekeeping {
 public:
  virtual ~TaskHousekeeping() = default;
  // The job of `step` on the active database of `ctx` (which is unattended);
  // null when there is nothing to do.
  virtual std::unique_ptr<Job> start(Context& ctx, TaskStep step) = 0;
  // After the job ended: 1 when it did its work, 2 when not (failed,
  // stopped, or a purge that was cancelled).
  virtual std::uint8_t result(Job& job, TaskStep step) = 0;
};

struct TaskRunOptions {
  TaskClock clock;                           // empty: the machine's clock
  TaskHousekeeping* housekeeping = nullptr;  // none: no housekeeping runs
};

class TaskRunJob final : public Job {
 public:
  // `task` as found due, for `reason`; `ctx` is the run's own thread of work.
  TaskRunJob(Context& ctx, const TAS& task, DueReason reason, TaskRunOptions options = {});
  ~TaskRunJob() override;

  bool step() override;

  // The task's result: 1 every definition imported, 2 not; 0 before the end.
  std::uint8_t result() const { return result_; }
  std::uint32_t logId() const { return state_.logId; }
  bool abandoned() const { return abandoned_; }
  // What a window would have shown, in order.
  const std::vector<std::string>& notes() const { return notes_; }
  // Called with each note as it is made.
  std::function<void(const std::string&)> onNote;
  // Holds the import jobs, for tests that stop a run at a known point.
  std::function<void(ImportJob&)> onImportStarted;

 private:
  enum class State { Start, Next, Importing, Finish, Housekeeping, Close, Ended };

  void start();
  void next();
  void importing();
  void finish();
  void housekeeping();
  void close();

  void abandon(const std::string& why);
  void note(const std::string& text);
  // Log items: opened with the next free start moment, closed by it.
  bool openItem(std::uint32_t type, std::uint32_t batchId, Moment& started);
  // False when the write failed (reported unless unattended).
  bool closeItem(std::uint32_t type, Moment started, std::uint8_t result);
  bool addRunLog();
  bool storeLink(std::uint8_t result, std::int32_t eventTime);
  bool removeItem(std::uint32_t type, Moment started);
  // Holds the log item of `type` started at `started` (in ctx.tli); false
  // when it cannot be read or held.
  bool holdItem(std::uint32_t type, Moment started);
  // Notes once that the log could not be written.
  void logFailed();
  bool databaseExists(std::uint32_t id, DatabaseType type, Forums* record = nullptr);
  Moment now() const { return readClock(options_.clock); }

  Context& ctx_;
  TaskRunOptions options_;
  DueReason reason_;
  RunningTask state_;
  State phase_ = State::Start;
  std::uint8_t folded_ = kTaskNotRun;
  std::uint8_t result_ = kTaskNotRun;
  bool abandoned_ = false;
  bool logAdded_ = false;
  bool logFailed_ = false;
  bool abandonedAtFinish_ = false;
  Moment runStarted_;
  Moment logStarted_;
  std::set<std::uint32_t> attempted_;
  std::vector<std::string> notes_;

  // The current import.
  std::unique_ptr<Context> importCtx_;
  std::unique_ptr<ImportJob> import_;
  Moment itemStarted_;
  std::chrono::steady_clock::time_point importClock_;

  // Housekeeping.
  std::size_t database_ = 0;
  std::vector<TaskStep> steps_;
  std::size_t stepIndex_ = 0;
  bool stepsRead_ = false;
  std::unique_ptr<Context> workCtx_;
  std::unique_ptr<Job> work_;
  ByteLock workLock_;
  bool waitNoted_ = false;
};

}  // namespace qv
