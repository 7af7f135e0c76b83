#include "app/scheduler/scheduler.h"

#include "import/import_lock.h"
#include "import/task_lock.h"
#include "maintenance/duplicate_persons.h"
#include "maintenance/purge_mess.h"
#include "store/config.h"
#include "wordindex/indexer.h"

namespace qv::app {

std::unique_ptr<Job> ProgramHousekeeping::start(Context& ctx, TaskStep step) {
  switch (step) {
    case TaskStep::Duplicates: return std::make_unique<maintenance::DuplicatesJob>(ctx);
    case TaskStep::Purge:
    case TaskStep::Count: {
      maintenance::PurgeOptions options;
      options.mode = step == TaskStep::Purge ? maintenance::PurgeMode::Purge : maintenance::PurgeMode::Count;
      return std::make_unique<maintenance::PurgeMess>(ctx, options);
    }
    case TaskStep::Index: return std::make_unique<wordindex::IndexJob>(ctx, wordindex::IndexMode::Partial);
  }
  return nullptr;
}

std::uint8_t ProgramHousekeeping::result(Job& job, TaskStep step) {
  bool done = false;
  switch (step) {
    case TaskStep::Duplicates:
      done = static_cast<maintenance::DuplicatesJob&>(job).result() == maintenance::DuplicatesResult::Done;
      break;
    case TaskStep::Purge:
    case TaskStep::Count: {
      // A database marked Delete meets the deletion question, whose
      // unattended answer is Cancel: nothing purged (result 2), the task
      // goes on.
      const maintenance::PurgeResult r = static_cast<maintenance::PurgeMess&>(job).result();
      done = r == maintenance::PurgeResult::Done || r == maintenance::PurgeResult::DatabaseRemoved;
      break;
    }
    case TaskStep::Index:
      done = static_cast<wordindex::IndexJob&>(job).summary().result == wordindex::IndexResult::Done;
      break;
  }
  return done ? kTaskSucceeded : kTaskFailed;
}

std::optional<std::string> openWork(Context& ctx) {
  const std::filesystem::path home = ctx.mem.Net;
  if (byteHeld(taskLockFile(home), 0)) return std::string(kTaskAlreadyActiveText);
  if (byteHeld(ctx.mem.TempDir / kImportLockFileName, 0)) return std::string("An import is running.");
  if (anyByteHeld(workLockFile(home))) return std::string("A command is working on a database.");
  if (ctx.lib.workWindows.load() > 0) return std::string("A work window is open.");
  return std::nullopt;
}

PollResult pollOnce(Application& app, const PollOptions& options) {
  Context& ctx = app.ctx();
  PollResult r;
  const Moment now = readClock(options.clock);
  if (displaySetting(ctx, kItemTasksOff) == 1) {
    r.why = "Scheduled tasks are switched off.";
    return r;
  }
  if (!insideRestrictionPeriod(displaySetting(ctx, kItemTaskPeriodStart), displaySetting(ctx, kItemTaskPeriodEnd),
                               now.time)) {
    r.why = "Outside the task restriction time period.";
    return r;
  }
  if (const std::optional<Moment> until = loadPostponement(ctx.mem.Net)) {
    if (now < *until) {
      r.why = "Tasks are postponed.";
      return r;
    }
  }
  const std::optional<DueTask> due = findDueTask(ctx, now);
  if (!due) {
    r.why = "No task is due.";
    return r;
  }
  r.taskId = due->task.ID;
  if (std::optional<std::string> busy = openWork(ctx)) {
    r.outcome = PollOutcome::Waiting;
    r.why = *busy;
    return r;
  }
  // A postponement has done its work once a task is offered again. One that
  // cannot be removed is in the past and holds nothing back.
  [[maybe_unused]] const bool cleared = savePostponement(ctx.mem.Net, std::nullopt);
  if (options.countdown) {
    TaskCountdown countdown(ctx, due->task, due->reason, now);
    const CountdownEnd end = options.countdown(countdown);
    if (end != CountdownEnd::Start) {
      r.outcome = end == CountdownEnd::AlreadyActive ? PollOutcome::Waiting : PollOutcome::NotStarted;
      r.why = end == CountdownEnd::AlreadyActive ? kTaskAlreadyActiveText : "The countdown closed without starting.";
      return r;
    }
  }
  // One task at a time per data home: whoever takes the task lock runs it.
  ByteLock running;
  if (running.acquire(taskLockFile(ctx.mem.Net), 0, true) != LockState::Held) {
    r.outcome = PollOutcome::Waiting;
    r.why = kTaskAlreadyActiveText;
    return r;
  }
  // Found due before the lock was taken: another process may have run it
  // meanwhile. Checked again under the lock, so it never runs twice.
  const std::optional<TAS> fresh = loadTask(ctx, due->task.ID);
  const DueReason reason = fresh ? dueReason(*fresh, readClock(options.clock)) : DueReason::NotDue;
  if (!fresh || fresh->ACTIVE != 1 || reason == DueReason::NotDue) {
    r.why = "The task was run meanwhile.";
    return r;
  }
  ProgramHousekeeping housekeeping;
  TaskRunOptions runOptions;
  runOptions.clock = options.clock;
  runOptions.housekeeping = &housekeeping;
  Context runCtx(app.lib());
  TaskRunJob job(runCtx, *fresh, reason, runOptions);
  job.onNote = options.onNote;
  if (options.drive)
    options.drive(job);
  else
    runToEnd(job);
  r.outcome = PollOutcome::Ran;
  r.taskResult = job.result();
  r.logId = job.logId();
  app.importFinished();
  return r;
}

}  // namespace qv::app
