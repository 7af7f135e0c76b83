#pragma once
// Scheduled tasks as stored: the task records (TAS), their links to import
// definitions (TIM), the run log (TLO) and its items (TLI); the due-task
// check; and NextTask, the state of the one task that runs.
//
// A task names one or more import definitions, when to run them and which
// housekeeping to do afterwards on every database that received messages.
// The definitions of a task run in the order of TIM:TASKKEY, that is by
// definition identifier.
//
// Writes run in a transaction of their own over the tables they touch; a
// failed write rolls back (reported unless unattended) and answers false.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "import/task_schedule.h"
#include "store/context.h"

namespace qv {

// TLI:TYPE of a log item: an import definition; housekeeping steps use the
// report codes of their jobs (TaskStep).
inline constexpr std::uint32_t kLogItemImport = 1;

// TIM:RESULTCODE, TLI:RESULTCODE, TLO:RESULTCODE, TAS:RESULTCODE.
enum TaskResult : std::uint8_t { kTaskNotRun = 0, kTaskSucceeded = 1, kTaskFailed = 2 };

// Every task in file order.
std::vector<TAS> listTasks(Context& ctx);
std::optional<TAS> loadTask(Context& ctx, std::uint32_t id);
// Stores a new task: its identifier comes from NextNr and is written into
// `task.ID`. 0 when nothing was stored.
std::uint32_t addTask(Context& ctx, TAS& task);
// Rewrites the stored task of `task.ID` (held first). False when it is gone
// or the write failed.
bool changeTask(Context& ctx, const TAS& task);
// Removes the task with its links; its log stays (it names the task only by
// number). True also when it did not exist.
bool removeTask(Context& ctx, std::uint32_t id);

// The links of a task in key order.
std::vector<TIM> taskLinks(Context& ctx, std::uint32_t taskId);
// Links definition `definitionId` to the task. False when the task or the
// definition does not exist (nothing changed); true when already linked.
bool linkDefinition(Context& ctx, std::uint32_t taskId, std::uint32_t definitionId);
// True when the link is gone (also when there was none).
bool unlinkDefinition(Context& ctx, std::uint32_t taskId, std::uint32_t definitionId);

// The runs of a task, oldest first, and the items of one run in key order.
std::vector<TLO> taskRuns(Context& ctx, std::uint32_t taskId);
std::vector<TLI> logItems(Context& ctx, std::uint32_t logId);
// The identifier of the next run: the highest TLO:TASKLOGID plus 1, 1 for
// an empty log.
std::uint32_t nextTaskLogId(Context& ctx);

struct DueTask {
  TAS task{};
  DueReason reason = DueReason::NotDue;
};
// The first task in file order that is active, has at least one linked
// definition and is due at `now` (dueReason).
std::optional<DueTask> findDueTask(Context& ctx, Moment now);

// The state of the running task, which the steps of a run share.
struct RunningTask {
  bool running = false;
  TAS task{};        // the task record as started
  BAT definition{};  // the current import definition
  TIM link{};        // the current task–definition link
  std::uint32_t logId = 0;
  bool nextRequested = false;           // a next-definition event is pending
  std::vector<std::uint32_t> affected;  // databases for housekeeping, each once, in order
};

// NextTask operation codes.
enum NextTaskOp : int {
  kTaskRequestNext = 10,      // ask for the next definition, unless the run is being abandoned
  kTaskClearDefinition = 11,  // forget the current definition and link
  kTaskWindowOpened = 12,     // a work window opened
  kTaskWindowsOpen = 13,      // true while any work window is open
  kTaskWindowClosed = 14,     // a work window closed (never below 0)
  kTaskStart = 15,            // start the task in the buffer (a TAS)
  kTaskGetTask = 16,          // copy the task record out (TAS)
  kTaskSetDefinition = 17,    // store the current definition (BAT)
  kTaskGetDefinition = 18,    // copy it out (BAT)
  kTaskSetLink = 19,          // store the current link (TIM)
  kTaskGetLink = 20,          // copy it out (TIM)
};

// The scheduler's procedure: operation `op` on the running task's state.
// `buffer` and `size` carry the record of the copy operations; a size that
// does not match the record answers false. Starting (15) keeps the task,
// resets the result and duration of each of its links, takes the next run
// log identifier, clears the affected-database list and requests the first
// definition; false when the links cannot be reset (nothing started).
bool NextTask(Context& ctx, RunningTask& state, int op, void* buffer = nullptr, std::size_t size = 0);

// CleanUp operations on the affected-database list.
enum CleanUpOp : int { kCleanUpClear = 1, kCleanUpAdd = 2 };
void CleanUp(RunningTask& state, int op, std::uint32_t database = 0);

// The postponement every process of the data home sees: a moment before
// which no task is offered. Kept in CFG/TASKS.STA; none (or unreadable)
// means nothing is postponed.
std::optional<Moment> loadPostponement(const std::filesystem::path& home);
bool savePostponement(const std::filesystem::path& home, std::optional<Moment> until);

}  // namespace qv
