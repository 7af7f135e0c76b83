#include "import/task_run.h"

#include <thread>

#include "import/definitions.h"
#include "import/formats.h"
#include "import/wizard.h"
#include "store/database_list.h"
#include "store/records.h"
#include "store/table_use.h"

namespace qv {

using engine::Err;

namespace {

// Whether an import ended because another one held the import lock.
bool refusedAsBusy(const ImportSummary& summary) {
  if (summary.completed) return false;
  const std::string busy = importBusyText(std::nullopt);
  const std::string reason = busy.substr(0, busy.find('.'));
  return summary.outcome.compare(0, reason.size(), reason) == 0;
}

}  // namespace

std::vector<TaskStep> housekeepingSteps(const TAS& task, bool wordIndexSet) {
  std::vector<TaskStep> steps;
  if (task.DODUPELIM != 0) steps.push_back(TaskStep::Duplicates);
  if (task.DOPURGE != 0) steps.push_back(TaskStep::Purge);
  // A purge ends with a count: counting runs on its own only without one.
  else if (task.DOCOUNT != 0)
    steps.push_back(TaskStep::Count);
  if (task.DOINDEX != 0 && wordIndexSet) steps.push_back(TaskStep::Index);
  return steps;
}

TaskRunJob::TaskRunJob(Context& ctx, const TAS& task, DueReason reason, TaskRunOptions options)
    : ctx_(ctx), options_(std::move(options)), reason_(reason) {
  state_.task = task;
}

TaskRunJob::~TaskRunJob() {
  work_.reset();
  workCtx_.reset();
  import_.reset();
  importCtx_.reset();
  if (phase_ != State::Ended) ctx_.mem.DoTask = stored(TaskMode::Interactive);
}

void TaskRunJob::note(const std::string& text) {
  notes_.push_back(text);
  if (onNote) onNote(text);
}

bool TaskRunJob::step() {
  if (phase_ == State::Ended) return true;
  if (cancelRequested() && !abandoned_ && phase_ != State::Start) {
    // Quitting: the import or housekeeping job under way stops at its next
    // step; nothing is recorded for it.
    ctx_.mem.DoTask = stored(TaskMode::Quitting);
    abandoned_ = true;
    note("Task processing was stopped.");
    if (import_) import_->requestCancel();
    if (work_) work_->requestCancel();
  }
  switch (phase_) {
    case State::Start: start(); break;
    case State::Next: next(); break;
    case State::Importing: importing(); break;
    case State::Finish: finish(); break;
    case State::Housekeeping: housekeeping(); break;
    case State::Close: close(); break;
    case State::Ended: break;
  }
  return phase_ == State::Ended;
}

void TaskRunJob::start() {
  ctx_.mem.DoTask = stored(TaskMode::Scheduled);
  runStarted_ = now();
  TAS task = state_.task;
  if (!NextTask(ctx_, state_, kTaskStart, &task, sizeof task)) {
    note("Task " + std::to_string(+task.ID) + " could not be started: its definitions cannot be reset.");
    abandoned_ = true;
    phase_ = State::Finish;
    return;
  }
  report(ctx_.ui, 0, 1, "Task " + task.DESCRIPTION.str());
  phase_ = State::Next;
}

void TaskRunJob::logFailed() {
  if (!logFailed_) note("The task log cannot be written; the run goes on.");
  logFailed_ = true;
}

void TaskRunJob::abandon(const std::string& why) {
  note(why);
  ctx_.mem.DoTask = stored(TaskMode::Quitting);
  abandoned_ = true;
}

bool TaskRunJob::addRunLog() {
  if (logAdded_) return true;
  TableUse use(ctx_, {TLO::FileNo});
  engine::File& tlo = ctx_.fileOf<TLO>();
  Transaction t(ctx_, {&tlo});
  if (!t.started()) return false;
  logStarted_ = now();
  ctx_.tlo = TLO{};
  ctx_.tlo.TASKLOGID = state_.logId;
  ctx_.tlo.TASKID = state_.task.ID;
  ctx_.tlo.DATESTARTED = logStarted_.date;
  ctx_.tlo.TIMESTARTED = logStarted_.time;
  if (UppDat(ctx_, tlo, kUppAdd, kRollback) != kUppDatDone || !t.commit()) return false;
  logAdded_ = true;
  return true;
}

bool TaskRunJob::openItem(std::uint32_t type, std::uint32_t batchId, Moment& started) {
  TableUse use(ctx_, {TLI::FileNo});
  engine::File& tli = ctx_.fileOf<TLI>();
  started = now();
  for (;;) {
    ctx_.tli = TLI{};
    ctx_.tli.TASKLOGID = state_.logId;
    ctx_.tli.TYPE = type;
    ctx_.tli.DATESTARTED = started.date;
    ctx_.tli.TIMESTARTED = started.time;
    if (tli.get(TLI::IDKEY) != Err::Ok) break;
    ++started.time;
    if (started.time > kDayHundredths) started = {started.date + 1, 1};
  }
  Transaction t(ctx_, {&tli});
  if (!t.started()) return false;
  ctx_.tli = TLI{};
  ctx_.tli.TASKLOGID = state_.logId;
  ctx_.tli.TYPE = type;
  ctx_.tli.BATCHID = batchId;
  ctx_.tli.DATESTARTED = started.date;
  ctx_.tli.TIMESTARTED = started.time;
  return UppDat(ctx_, tli, kUppAdd, kRollback) == kUppDatDone && t.commit();
}

bool TaskRunJob::holdItem(std::uint32_t type, Moment started) {
  ctx_.tli = TLI{};
  ctx_.tli.TASKLOGID = state_.logId;
  ctx_.tli.TYPE = type;
  ctx_.tli.DATESTARTED = started.date;
  ctx_.tli.TIMESTARTED = started.time;
  return HoldRec(ctx_, ctx_.fileOf<TLI>(), TLI::IDKEY, true, {}) == kHoldRecHeld;
}

bool TaskRunJob::closeItem(std::uint32_t type, Moment started, std::uint8_t result) {
  TableUse use(ctx_, {TLI::FileNo});
  engine::File& tli = ctx_.fileOf<TLI>();
  Transaction t(ctx_, {&tli});
  if (!t.started() || !holdItem(type, started)) return false;
  if (ctx_.tli.DATEFINISHED != 0) return true;  // already closed
  const Moment end = now();
  ctx_.tli.DATEFINISHED = end.date;
  ctx_.tli.TIMEFINISHED = end.time;
  ctx_.tli.RESULTCODE = result;
  return UppDat(ctx_, tli, kUppPut, kRollback) == kUppDatDone && t.commit();
}

bool TaskRunJob::removeItem(std::uint32_t type, Moment started) {
  TableUse use(ctx_, {TLI::FileNo});
  engine::File& tli = ctx_.fileOf<TLI>();
  Transaction t(ctx_, {&tli});
  if (!t.started() || !holdItem(type, started)) return false;
  return UppDat(ctx_, tli, kUppDelete, kRollback) == kUppDatDone && t.commit();
}

bool TaskRunJob::storeLink(std::uint8_t result, std::int32_t eventTime) {
  TableUse use(ctx_, {TIM::FileNo});
  engine::File& tim = ctx_.fileOf<TIM>();
  Transaction t(ctx_, {&tim});
  if (!t.started()) return false;
  ctx_.tim = TIM{};
  ctx_.tim.TASKID = state_.link.TASKID;
  ctx_.tim.BATCHID = state_.link.BATCHID;
  if (HoldRec(ctx_, tim, TIM::TASKKEY, true, {}) != kHoldRecHeld) return false;
  ctx_.tim.RESULTCODE = result;
  ctx_.tim.EVENTTIME = eventTime;
  return UppDat(ctx_, tim, kUppPut, kRollback) == kUppDatDone && t.commit();
}

bool TaskRunJob::databaseExists(std::uint32_t id, DatabaseType type, Forums* record) {
  if (id == 0) return false;
  TableUse use(ctx_, {Forums::FileNo});
  ctx_.for_ = Forums{};
  ctx_.for_.ID = id;
  if (ctx_.fileOf<Forums>().get(Forums::ForumKey) != Err::Ok) return false;
  if (databaseType(ctx_.for_.TYPE) != type) return false;
  std::error_code ec;
  if (!std::filesystem::is_directory(ctx_.mem.FileDir / ("F" + std::to_string(+ctx_.for_.DIRNUMBER)), ec)) return false;
  if (record != nullptr) *record = ctx_.for_;
  return true;
}

void TaskRunJob::next() {
  if (abandoned_) {
    phase_ = State::Finish;
    return;
  }
  // An import started elsewhere (a command, the desktop program) holds the
  // temporary files: the definition waits for it instead of failing.
  if (byteHeld(ctx_.mem.TempDir / kImportLockFileName, 0)) {
    if (!waitNoted_) note("Waiting for another import to end.");
    waitNoted_ = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return;
  }
  waitNoted_ = false;
  state_.nextRequested = false;
  const TIM* pending = nullptr;
  const std::vector<TIM> links = taskLinks(ctx_, state_.task.ID);
  for (const TIM& link : links) {
    // A link that already ran (or was attempted) is never started again in
    // this run, even when its result could not be stored.
    if (link.RESULTCODE != kTaskNotRun || attempted_.count(+link.BATCHID) != 0) continue;
    pending = &link;
    break;
  }
  if (pending == nullptr) {
    phase_ = State::Finish;
    return;
  }
  TIM link = *pending;
  attempted_.insert(+link.BATCHID);
  NextTask(ctx_, state_, kTaskSetLink, &link, sizeof link);
  const std::uint32_t batchId = link.BATCHID;

  if (!addRunLog() || !openItem(kLogItemImport, batchId, itemStarted_)) {
    abandon("The task log cannot be written.");
    phase_ = State::Finish;
    return;
  }
  const std::string which = "Import definition " + std::to_string(batchId);

  std::optional<ImportDefinition> def = loadDefinition(ctx_, batchId);
  if (!def) {
    if (!closeItem(kLogItemImport, itemStarted_, kTaskFailed)) logFailed();
    abandon(which + " no longer exists. The task run ends here.");
    phase_ = State::Finish;
    return;
  }
  {
    TableUse use(ctx_, {BAT::FileNo});
    ctx_.bat = BAT{};
    ctx_.bat.ID = batchId;
    if (ctx_.fileOf<BAT>().get(BAT::IDKEY) == Err::Ok) {
      BAT bat = ctx_.bat;
      NextTask(ctx_, state_, kTaskSetDefinition, &bat, sizeof bat);
    }
  }
  ImportSettings settings = def->settings;
  std::string missing;
  if (settings.format.empty())
    missing = which + ": format number " + std::to_string(settings.formatNumber) + " names no import format.";
  else if (settings.mail && !databaseExists(settings.mailDatabase, DatabaseType::Mail))
    missing = which + ": its mail database " + std::to_string(settings.mailDatabase) + " does not exist.";
  else if (settings.forum && filesNameNoForum(settings.formatNumber) &&
           !databaseExists(settings.forumDatabase, DatabaseType::Forum))
    missing = which + ": its forum database " + std::to_string(settings.forumDatabase) + " does not exist.";
  if (!missing.empty()) {
    if (!closeItem(kLogItemImport, itemStarted_, kTaskFailed)) logFailed();
    abandon(missing + " The task run ends here.");
    phase_ = State::Finish;
    return;
  }

  importCtx_ = std::make_unique<Context>(ctx_.lib);
  importCtx_->mem.DoTask = stored(TaskMode::Scheduled);
  prepareForStart(settings);
  if (!validateForStart(*importCtx_, settings, StartFrom::Definition)) {
    // A refusal that would have asked the user ends this import.
    note(which + ": " + importCtx_->lastReported.text);
    if (!storeLink(kTaskFailed, 0)) logFailed();
    if (!closeItem(kLogItemImport, itemStarted_, kTaskFailed)) logFailed();
    folded_ = kTaskFailed;
    importCtx_.reset();
    NextTask(ctx_, state_, kTaskRequestNext);
    return;
  }
  note("Importing: " + def->description);
  import_ = std::make_unique<ImportJob>(*importCtx_, settings);
  if (onImportStarted) onImportStarted(*import_);
  importClock_ = std::chrono::steady_clock::now();
  phase_ = State::Importing;
}

void TaskRunJob::importing() {
  if (!import_->step()) {
    const ProgressReport& p = import_->progress();
    report(ctx_.ui, p.position, p.range, p.text);
    return;
  }
  const ImportSummary summary = import_->summary();
  const auto elapsed = std::chrono::steady_clock::now() - importClock_;
  import_.reset();
  importCtx_.reset();
  if (!abandoned_ && refusedAsBusy(summary)) {
    // Another import took the lock between the check and this start: the
    // definition has not run; it waits and starts again.
    if (!removeItem(kLogItemImport, itemStarted_)) logFailed();
    attempted_.erase(+state_.link.BATCHID);
    phase_ = State::Next;
    return;
  }
  for (const std::uint32_t db : summary.databaseIds) CleanUp(state_, kCleanUpAdd, db);
  if (abandoned_) {
    // Quit: nothing is recorded for the interrupted definition.
    if (!closeItem(kLogItemImport, itemStarted_, kTaskNotRun)) logFailed();
    phase_ = State::Finish;
    return;
  }
  const std::uint8_t result = summary.completed ? kTaskSucceeded : kTaskFailed;
  const auto hundredths = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 10;
  if (!storeLink(result, summary.completed ? static_cast<std::int32_t>(hundredths) : 0)) logFailed();
  if (!closeItem(kLogItemImport, itemStarted_, result)) logFailed();
  if (folded_ == kTaskNotRun || result == kTaskFailed) folded_ = result;
  note("Import definition " + std::to_string(+state_.link.BATCHID) + ": " + summary.outcome);
  NextTask(ctx_, state_, kTaskClearDefinition);
  if (!NextTask(ctx_, state_, kTaskRequestNext)) {
    phase_ = State::Finish;
    return;
  }
  phase_ = State::Next;
}

void TaskRunJob::finish() {
  abandonedAtFinish_ = abandoned_;
  result_ = abandoned_ || folded_ == kTaskNotRun ? std::uint8_t{kTaskFailed} : folded_;
  const Moment end = now();
  std::optional<TAS> stored = loadTask(ctx_, state_.task.ID);
  if (stored) {
    TAS task = *stored;
    task.RESULTCODE = result_;
    finishSchedule(task, logAdded_ ? logStarted_ : runStarted_, end, reason_ == DueReason::RunNow);
    if (abandoned_) {
      task.ACTIVE = 0;
      task.RUNNOWDATE = 0;
      task.RUNNOWTIME = 0;
    }
    if (!changeTask(ctx_, task)) note("The task's next run could not be stored.");
    state_.task = task;
  }
  phase_ = abandoned_ || options_.housekeeping == nullptr ? State::Close : State::Housekeeping;
}

void TaskRunJob::housekeeping() {
  if (abandoned_) {
    if (work_) {
      if (!work_->step()) return;
      work_.reset();
      if (!closeItem(static_cast<std::uint32_t>(steps_[stepIndex_]), itemStarted_, kTaskNotRun)) logFailed();
    }
    workCtx_.reset();
    workLock_.release();
    phase_ = State::Close;
    return;
  }
  if (work_) {
    if (!work_->step()) {
      const ProgressReport& p = work_->progress();
      report(ctx_.ui, p.position, p.range, p.text);
      return;
    }
    const TaskStep s = steps_[stepIndex_];
    const std::uint8_t r = options_.housekeeping->result(*work_, s);
    work_.reset();
    workCtx_.reset();
    if (!closeItem(static_cast<std::uint32_t>(s), itemStarted_, r)) logFailed();
    ++stepIndex_;
    return;
  }
  if (database_ >= state_.affected.size()) {
    workLock_.release();
    phase_ = State::Close;
    return;
  }
  const std::uint32_t db = state_.affected[database_];
  Forums record{};
  bool exists = false;
  {
    TableUse use(ctx_, {Forums::FileNo});
    ctx_.for_ = Forums{};
    ctx_.for_.ID = db;
    exists = ctx_.fileOf<Forums>().get(Forums::ForumKey) == Err::Ok;
    record = ctx_.for_;
  }
  if (!stepsRead_) {
    steps_ = exists ? housekeepingSteps(state_.task, record.INDEXTYPE != 0) : std::vector<TaskStep>{};
    stepIndex_ = 0;
    stepsRead_ = true;
  }
  // A database gone meanwhile (a purge removed it) has nothing left to do.
  if (!exists || stepIndex_ >= steps_.size()) {
    workLock_.release();
    ++database_;
    stepsRead_ = false;
    waitNoted_ = false;
    return;
  }
  if (!workLock_.held()) {
    if (workLock_.acquire(workLockFile(ctx_.mem.Net), db) == LockState::Busy) {
      if (!waitNoted_) note("Waiting for other work on database " + std::to_string(db) + " to end.");
      waitNoted_ = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      return;
    }
  }
  const TaskStep s = steps_[stepIndex_];
  if (!openItem(static_cast<std::uint32_t>(s), db, itemStarted_)) {
    note("The task log cannot be written.");
    ++stepIndex_;
    return;
  }
  workCtx_ = std::make_unique<Context>(ctx_.lib);
  setDatabaseGlobals(workCtx_->mem, record);
  workCtx_->mem.DoTask = stored(TaskMode::Scheduled);
  work_ = options_.housekeeping->start(*workCtx_, s);
  if (!work_) {
    workCtx_.reset();
    if (!closeItem(static_cast<std::uint32_t>(s), itemStarted_, kTaskSucceeded)) logFailed();
    ++stepIndex_;
  }
}

void TaskRunJob::close() {
  // A quit that came during housekeeping, after the task's dates were
  // stored: the task is deactivated and its run-now request cleared all the
  // same.
  if (abandoned_ && !abandonedAtFinish_) {
    if (std::optional<TAS> stored = loadTask(ctx_, state_.task.ID)) {
      stored->ACTIVE = 0;
      stored->RUNNOWDATE = 0;
      stored->RUNNOWTIME = 0;
      if (!changeTask(ctx_, *stored)) note("The task could not be deactivated.");
    }
  }
  if (logAdded_) {
    TableUse use(ctx_, {TLO::FileNo});
    engine::File& tlo = ctx_.fileOf<TLO>();
    Transaction t(ctx_, {&tlo});
    if (t.started()) {
      ctx_.tlo = TLO{};
      ctx_.tlo.TASKLOGID = state_.logId;
      if (HoldRec(ctx_, tlo, TLO::IDKEY, true, {}) == kHoldRecHeld) {
        const Moment end = now();
        ctx_.tlo.DATEFINISHED = end.date;
        ctx_.tlo.TIMEFINISHED = end.time;
        ctx_.tlo.RESULTCODE = result_;
        if (UppDat(ctx_, tlo, kUppPut, kRollback) != kUppDatDone || !t.commit())
          note("The end of the run cannot be written to the task log.");
      }
    }
  }
  state_.running = false;
  ctx_.mem.DoTask = stored(TaskMode::Interactive);
  report(ctx_.ui, 1, 1, "Task processing has finished.");
  phase_ = State::Ended;
}

}  // namespace qv
