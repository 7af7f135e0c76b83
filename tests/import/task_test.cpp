// Scheduled tasks: the calendar of a task (with a set clock) and a task run
// through the import driver with a recording housekeeper.
#include <gtest/gtest.h>

#include "import/definitions.h"
#include "import/formats.h"
#include "import/import_lock.h"
#include "import/task_run.h"
#include "import/task_schedule.h"
#include "import/tasks.h"
#include "store/dates.h"
#include "store/table_use.h"
#include "tests/import/import_fixture.h"

namespace qv::test {
namespace {

using dates::dayNumber;
using dates::timeOf;

TAS weekly(std::initializer_list<int> weekdays) {
  TAS t{};
  for (int d : weekdays) t.DAYS[d] = 1;
  return t;
}

TEST(TaskSchedule, NextRunAfterARunAndTheRunNowWindow) {
  // 2026-12-03 is a Thursday, 2026-12-07 a Monday.
  const std::int32_t thursday = dayNumber(2026, 12, 3), monday = dayNumber(2026, 12, 7);
  ASSERT_EQ(dates::weekday(thursday), 4);
  ASSERT_EQ(dates::weekday(monday), 1);
  TAS monThu = weekly({1, 4});
  EXPECT_EQ(nextRunDate(monThu, thursday), monday);
  EXPECT_EQ(nextRunDate(monThu, monday), dayNumber(2026, 12, 10));
  EXPECT_EQ(nextRunDate(weekly({4}), thursday), thursday + 7);  // the same weekday: a week on

  TAS monthly{};
  monthly.MONTHDAYS[0] = 20;
  monthly.MONTHDAYS[1] = 5;
  EXPECT_EQ(nextRunDate(monthly, dayNumber(2026, 11, 25)), dayNumber(2026, 12, 5));
  EXPECT_EQ(nextRunDate(monthly, dayNumber(2026, 12, 25)), dayNumber(2027, 1, 5));  // across the year
  EXPECT_EQ(nextRunDate(monthly, dayNumber(2026, 12, 5)), dayNumber(2026, 12, 20));
  TAS endOfMonth{};
  endOfMonth.MONTHDAYS[0] = 31;
  EXPECT_EQ(nextRunDate(endOfMonth, dayNumber(2027, 4, 10)), dayNumber(2027, 4, 30));  // April has 30 days
  EXPECT_EQ(nextRunDate(endOfMonth, dayNumber(2027, 4, 30)), dayNumber(2027, 5, 31));
  EXPECT_EQ(nextRunDate(TAS{}, thursday), 0);

  // A run-now request made late in the evening: due that night and the
  // next day, not two days later.
  TAS task{};
  task.ACTIVE = 1;
  task.RUNNOWDATE = thursday;
  task.RUNNOWTIME = timeOf(23, 50, 0);
  EXPECT_EQ(dueReason(task, {thursday, timeOf(23, 55, 0)}), DueReason::RunNow);
  EXPECT_EQ(dueReason(task, {thursday + 1, timeOf(9, 0, 0)}), DueReason::RunNow);
  EXPECT_EQ(dueReason(task, {thursday + 2, timeOf(9, 0, 0)}), DueReason::NotDue);
  task.RUNNOWTIME = 0;  // a request without a time is no request
  EXPECT_EQ(dueReason(task, {thursday, timeOf(23, 55, 0)}), DueReason::NotDue);

  // Scheduled: from the next date and time on; never without a date.
  TAS timed{};
  timed.RUNNEXTDATE = monday;
  timed.RUNNEXTTIME = timeOf(6, 0, 0);
  EXPECT_EQ(dueReason(timed, {monday, timeOf(5, 59, 59)}), DueReason::NotDue);
  EXPECT_EQ(dueReason(timed, {monday, timeOf(6, 0, 0)}), DueReason::Scheduled);
  EXPECT_EQ(dueReason(timed, {monday + 3, 1}), DueReason::Scheduled);
  EXPECT_EQ(dueReason(TAS{}, {monday, timeOf(6, 0, 0)}), DueReason::NotDue);

  // Without repeat: the next date stays after the run, yet the task is not
  // run again for it.
  finishSchedule(timed, {monday, timeOf(6, 0, 1)}, {monday, timeOf(6, 5, 0)}, false);
  EXPECT_EQ(+timed.RUNNEXTDATE, monday);
  EXPECT_EQ(+timed.LASTRUNDATE, monday);
  EXPECT_EQ(dueReason(timed, {monday + 5, timeOf(7, 0, 0)}), DueReason::NotDue);

  // Weekly: the next date moves on, the time stays, the last run is now.
  TAS repeat = weekly({1, 4});
  repeat.ACTIVE = 1;
  repeat.RUNNEXTDATE = thursday;
  repeat.RUNNEXTTIME = timeOf(6, 0, 0);
  finishSchedule(repeat, {thursday, timeOf(6, 0, 0)}, {thursday, timeOf(6, 30, 0)}, false);
  EXPECT_EQ(+repeat.RUNNEXTDATE, monday);
  EXPECT_EQ(+repeat.RUNNEXTTIME, timeOf(6, 0, 0));
  EXPECT_EQ(+repeat.LASTRUNTIME, timeOf(6, 30, 0));
  EXPECT_EQ(+repeat.ACTIVE, 1);

  // A run-now request answered after the scheduled moment of a repeating
  // task stands for that moment too: the task moves on, and is not due
  // again until then.
  TAS early = weekly({1, 4});
  early.RUNNEXTDATE = monday;
  early.RUNNEXTTIME = timeOf(2, 0, 0);
  early.RUNNOWDATE = monday;
  early.RUNNOWTIME = timeOf(8, 0, 0);
  finishSchedule(early, {monday, timeOf(8, 0, 0)}, {monday, timeOf(8, 1, 0)}, true);
  EXPECT_EQ(+early.RUNNEXTDATE, dayNumber(2026, 12, 10));
  EXPECT_EQ(+early.RUNNOWDATE, 0);
  EXPECT_EQ(dueReason(early, {monday, timeOf(9, 0, 0)}), DueReason::NotDue);
  EXPECT_EQ(dueReason(early, {dayNumber(2026, 12, 10), timeOf(2, 0, 0)}), DueReason::Scheduled);

  // Postponing 3 hours at 22:30 reaches 01:30 of the next day.
  EXPECT_EQ(postponeUntil({thursday, timeOf(22, 30, 0)}, 3), (Moment{thursday + 1, timeOf(1, 30, 0)}));
  EXPECT_EQ(postponeUntil({thursday, timeOf(10, 0, 0)}, 1), (Moment{thursday, timeOf(11, 0, 0)}));

  // The restriction period, also across midnight.
  EXPECT_TRUE(insideRestrictionPeriod(0, 0, timeOf(12, 0, 0)));
  EXPECT_TRUE(insideRestrictionPeriod(timeOf(22, 0, 0), timeOf(6, 0, 0), timeOf(23, 0, 0)));
  EXPECT_TRUE(insideRestrictionPeriod(timeOf(22, 0, 0), timeOf(6, 0, 0), timeOf(5, 0, 0)));
  EXPECT_FALSE(insideRestrictionPeriod(timeOf(22, 0, 0), timeOf(6, 0, 0), timeOf(12, 0, 0)));
  EXPECT_FALSE(insideRestrictionPeriod(timeOf(8, 0, 0), timeOf(17, 0, 0), timeOf(18, 0, 0)));

  // Purge and count chosen together: the count is part of the purge.
  TAS both{};
  both.DOPURGE = 1;
  both.DOCOUNT = 1;
  both.DODUPELIM = 1;
  both.DOINDEX = 1;
  EXPECT_EQ(housekeepingSteps(both, true),
            (std::vector<TaskStep>{TaskStep::Duplicates, TaskStep::Purge, TaskStep::Index}));
  both.DOPURGE = 0;
  EXPECT_EQ(housekeepingSteps(both, false), (std::vector<TaskStep>{TaskStep::Duplicates, TaskStep::Count}));
}

// Records the housekeeping asked for; each step is a job that ends at once.
class RecordingHousekeeping : public TaskHousekeeping {
 public:
  struct Done : Job {
    bool step() override { return true; }
  };
  std::unique_ptr<Job> start(Context& ctx, TaskStep step) override {
    calls.emplace_back(ctx.mem.ForumNumber, step);
    if (onStart) onStart();
    unattended = unattended && ctx.unattended();
    return std::make_unique<Done>();
  }
  std::uint8_t result(Job&, TaskStep) override { return 1; }
  std::vector<std::pair<std::uint32_t, TaskStep>> calls;
  bool unattended = true;
  std::function<void()> onStart;
};

class TaskRunTest : public ImportTest {
 protected:
  std::uint32_t definition(ImportSettings s) {
    s.formatNumber = formatNumber(s.format);
    ImportDefinition def;
    def.description = "def";
    def.settings = std::move(s);
    return saveDefinition(*ctx, def);
  }
  TAS run(TAS task, DueReason reason = DueReason::Scheduled) {
    TaskRunOptions options;
    options.clock = [this] { return clock; };
    options.housekeeping = &housekeeping;
    Context runCtx(lib);
    TaskRunJob job(runCtx, task, reason, options);
    runToEnd(job);
    result = job.result();
    logId = job.logId();
    notes = job.notes();
    return *loadTask(*ctx, task.ID);
  }
  Moment clock{dayNumber(2026, 12, 7), timeOf(6, 0, 0)};
  RecordingHousekeeping housekeeping;
  std::uint8_t result = 0;
  std::uint32_t logId = 0;
  std::vector<std::string> notes;
};

TEST_F(TaskRunTest, AFailingDefinitionGivesResultTwoAndTheNextStillRuns) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("in.txt", "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n");
  ImportSettings missing = settings("Generic Mail Type 2", {});
  missing.method = kSelectDirectory;
  missing.path = home.path() / "no such folder";
  missing.masks = {"*.txt"};
  missing.mail = true;
  missing.mailDatabase = mail;
  ImportSettings good = settings("Generic Mail Type 2", {"in.txt"});
  good.mail = true;
  good.mailDatabase = mail;
  const std::uint32_t bad = definition(missing);  // the lower identifier runs first
  const std::uint32_t fine = definition(good);
  ASSERT_LT(bad, fine);

  EXPECT_EQ(nextTaskLogId(*ctx), 1u);  // an empty log
  TAS task{};
  task.DESCRIPTION = "Nightly";
  task.ACTIVE = 1;
  task.DOPURGE = 1;
  task.DOCOUNT = 1;
  task.DODUPELIM = 1;
  task.DOINDEX = 1;  // the mail database has no word index kind: not indexed
  ASSERT_TRUE(changeDatabaseRecord(*ctx, mail, [](Forums& f) { f.INDEXTYPE = 0; }));
  ASSERT_NE(addTask(*ctx, task), 0u);
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, fine));
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, bad));
  EXPECT_FALSE(linkDefinition(*ctx, task.ID, 999999));  // no such definition

  // Neither a next date nor a repeat: run now, then deactivated.
  task.RUNNOWDATE = clock.date;
  task.RUNNOWTIME = clock.time;
  ASSERT_TRUE(changeTask(*ctx, task));
  const std::optional<DueTask> due = findDueTask(*ctx, clock);
  ASSERT_TRUE(due);
  EXPECT_EQ(due->reason, DueReason::RunNow);
  ui.clear();
  const TAS after = run(due->task, due->reason);

  EXPECT_EQ(result, kTaskFailed);
  EXPECT_EQ(logId, 1u);
  EXPECT_EQ(+after.RESULTCODE, kTaskFailed);
  EXPECT_EQ(+after.ACTIVE, 0);
  EXPECT_EQ(+after.RUNNOWDATE, 0);
  EXPECT_EQ(+after.LASTRUNDATE, clock.date);
  EXPECT_FALSE(findDueTask(*ctx, clock));
  for (const auto& s : ui.shown) ADD_FAILURE() << "shown: " << s.title << " / " << s.text;

  const std::vector<TIM> links = taskLinks(*ctx, task.ID);
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(+links[0].RESULTCODE, kTaskFailed);
  EXPECT_EQ(+links[0].EVENTTIME, 0);
  EXPECT_EQ(+links[1].RESULTCODE, kTaskSucceeded);

  const std::vector<TLO> runs = taskRuns(*ctx, task.ID);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(+runs[0].TASKLOGID, 1u);
  EXPECT_EQ(+runs[0].RESULTCODE, kTaskFailed);
  EXPECT_NE(+runs[0].DATEFINISHED, 0);
  const std::vector<TLI> items = logItems(*ctx, 1);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> imports;  // definition, result
  for (const TLI& i : items)
    if (i.TYPE == kLogItemImport) imports.emplace_back(+i.BATCHID, +i.RESULTCODE);
  // Started at the same (set) moment, both items are kept.
  EXPECT_EQ(imports, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{bad, 2}, {fine, 1}}));

  // Housekeeping once for the database that received mail: duplicates and
  // purge (which counts), no separate count, no index.
  EXPECT_EQ(housekeeping.calls,
            (std::vector<std::pair<std::uint32_t, TaskStep>>{{mail, TaskStep::Duplicates}, {mail, TaskStep::Purge}}));
  EXPECT_TRUE(housekeeping.unattended);
  EXPECT_EQ(items.size(), 4u);

  openDatabase(mail);
  EXPECT_EQ(ctx->fileOf<Mail>().records(), 1);
  EXPECT_EQ(nextTaskLogId(*ctx), 2u);
}

TEST_F(TaskRunTest, AMissingDatabaseEndsTheRunAndDeactivatesTheTask) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("in.txt", "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n");
  ImportSettings gone = settings("Generic Mail Type 2", {"in.txt"});
  gone.mail = true;
  gone.mailDatabase = 424242;
  ImportSettings good = settings("Generic Mail Type 2", {"in.txt"});
  good.mail = true;
  good.mailDatabase = mail;
  const std::uint32_t first = definition(gone);
  const std::uint32_t second = definition(good);

  TAS task = weekly({1, 4});
  task.ACTIVE = 1;
  task.RUNNEXTDATE = clock.date;
  task.RUNNEXTTIME = timeOf(5, 0, 0);
  ASSERT_NE(addTask(*ctx, task), 0u);
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, first));
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, second));
  const TAS after = run(task);

  EXPECT_EQ(result, kTaskFailed);
  EXPECT_EQ(+after.ACTIVE, 0);
  const std::vector<TIM> links = taskLinks(*ctx, task.ID);
  EXPECT_EQ(+links[1].RESULTCODE, kTaskNotRun);  // the second never ran
  EXPECT_TRUE(housekeeping.calls.empty());
  ASSERT_FALSE(notes.empty());
  EXPECT_NE(notes.front().find("mail database 424242 does not exist"), std::string::npos) << notes.front();
  const std::vector<TLI> items = logItems(*ctx, logId);
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(+items[0].RESULTCODE, kTaskFailed);

  // A definition removed from under its link ends the run the same way.
  TAS again = weekly({1});
  again.ACTIVE = 1;
  again.RUNNEXTDATE = clock.date;
  again.RUNNEXTTIME = 1;
  ASSERT_NE(addTask(*ctx, again), 0u);
  ASSERT_TRUE(linkDefinition(*ctx, again.ID, 777777777) == false);
  {
    TableUse use(*ctx, {TIM::FileNo});
    ctx->tim = TIM{};
    ctx->tim.TASKID = again.ID;
    ctx->tim.BATCHID = 777777777;
    ASSERT_EQ(ctx->fileOf<TIM>().add(), engine::Err::Ok);
  }
  const TAS ended = run(again);
  EXPECT_EQ(result, kTaskFailed);
  EXPECT_EQ(+ended.ACTIVE, 0);
  EXPECT_NE(notes.front().find("no longer exists"), std::string::npos);
}

TEST_F(TaskRunTest, QuittingRecordsNothingForTheInterruptedDefinitionAndDeactivates) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("in.txt", "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n");
  ImportSettings good = settings("Generic Mail Type 2", {"in.txt"});
  good.mail = true;
  good.mailDatabase = mail;
  const std::uint32_t first = definition(good);
  const std::uint32_t second = definition(good);
  TAS task = weekly({1});
  task.ACTIVE = 1;
  task.RUNNEXTDATE = clock.date;
  task.RUNNEXTTIME = 1;
  task.RUNNOWDATE = clock.date - 1;  // an old run-now request, cleared by the quit
  task.RUNNOWTIME = 1;
  task.DOPURGE = 1;
  ASSERT_NE(addTask(*ctx, task), 0u);
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, first));
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, second));

  TaskRunOptions options;
  options.clock = [this] { return clock; };
  options.housekeeping = &housekeeping;
  Context runCtx(lib);
  TaskRunJob job(runCtx, task, DueReason::RunNow, options);
  job.onImportStarted = [&job](ImportJob&) { job.requestCancel(); };  // quit during the first import
  runToEnd(job);
  EXPECT_TRUE(job.abandoned());
  EXPECT_EQ(job.result(), kTaskFailed);
  EXPECT_EQ(runCtx.mem.DoTask, stored(TaskMode::Interactive));
  const TAS after = *loadTask(*ctx, task.ID);
  EXPECT_EQ(+after.ACTIVE, 0);
  EXPECT_EQ(+after.RUNNOWDATE, 0);
  for (const TIM& l : taskLinks(*ctx, task.ID)) EXPECT_EQ(+l.RESULTCODE, kTaskNotRun);
  const std::vector<TLI> items = logItems(*ctx, job.logId());
  ASSERT_EQ(items.size(), 1u);  // the second definition never started
  EXPECT_EQ(+items[0].RESULTCODE, kTaskNotRun);
  EXPECT_NE(+items[0].DATEFINISHED, 0);
  EXPECT_TRUE(housekeeping.calls.empty());

  // Quit during housekeeping: the step under way and the rest are left, the
  // imports' result stands, and the task is deactivated all the same.
  task.ACTIVE = 1;
  task.RUNNOWDATE = clock.date;
  task.RUNNOWTIME = 1;
  ASSERT_TRUE(changeTask(*ctx, task));
  TaskRunJob rerun(runCtx, task, DueReason::RunNow, options);
  housekeeping.onStart = [&rerun] { rerun.requestCancel(); };
  runToEnd(rerun);
  EXPECT_EQ(rerun.result(), kTaskSucceeded);
  EXPECT_EQ(housekeeping.calls.size(), 1u);
  const TAS quit = *loadTask(*ctx, task.ID);
  EXPECT_EQ(+quit.ACTIVE, 0);
  EXPECT_EQ(+quit.RUNNOWDATE, 0);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> steps;  // type, result
  for (const TLI& i : logItems(*ctx, rerun.logId())) steps.emplace_back(+i.TYPE, +i.RESULTCODE);
  EXPECT_EQ(steps, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 1}, {1, 1}, {2, 0}}));
}

TEST_F(TaskRunTest, ADefinitionWaitsForAnImportRunningElsewhere) {
  const std::uint32_t mail = addMail("Jane Smith", "jane@example.org");
  writeSource("in.txt", "M|Lunch|Bob Ray|bob@example.org|Jane Smith|jane@example.org|1999-05-01|12:00|Noon?\n");
  ImportSettings good = settings("Generic Mail Type 2", {"in.txt"});
  good.mail = true;
  good.mailDatabase = mail;
  const std::uint32_t def = definition(good);
  TAS task{};
  task.ACTIVE = 1;
  ASSERT_NE(addTask(*ctx, task), 0u);
  ASSERT_TRUE(linkDefinition(*ctx, task.ID, def));

  auto other = std::make_unique<ImportLock>();
  ASSERT_EQ(other->acquire(ctx->mem.TempDir).state, ImportLockState::Held);
  TaskRunOptions options;
  options.clock = [this] { return clock; };
  Context runCtx(lib);
  TaskRunJob job(runCtx, task, DueReason::RunNow, options);
  for (int i = 0; i < 5; ++i) ASSERT_FALSE(job.step());
  EXPECT_EQ(job.notes(), (std::vector<std::string>{"Waiting for another import to end."}));
  EXPECT_EQ(+taskLinks(*ctx, task.ID)[0].RESULTCODE, kTaskNotRun);
  other.reset();
  runToEnd(job);
  EXPECT_EQ(job.result(), kTaskSucceeded);
  EXPECT_EQ(+taskLinks(*ctx, task.ID)[0].RESULTCODE, kTaskSucceeded);

  // Taken just before the import starts: the refused start leaves no trace
  // and the definition runs once the lock is free.
  Context againCtx(lib);
  TaskRunJob again(againCtx, task, DueReason::RunNow, options);
  bool taken = false;
  again.onImportStarted = [&other, &taken, this](ImportJob&) {
    if (taken) return;
    taken = true;
    other = std::make_unique<ImportLock>();
    EXPECT_EQ(other->acquire(ctx->mem.TempDir).state, ImportLockState::Held);
  };
  for (int i = 0; i < 20 && again.notes().size() < 2; ++i) ASSERT_FALSE(again.step());
  ASSERT_EQ(again.notes().size(), 2u);
  EXPECT_EQ(again.notes()[1], "Waiting for another import to end.");
  other.reset();
  runToEnd(again);
  EXPECT_EQ(again.result(), kTaskSucceeded);
  const std::vector<TLI> items = logItems(*ctx, again.logId());
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(+items[0].RESULTCODE, kTaskSucceeded);
}

TEST_F(TaskRunTest, NextTaskKeepsTheRunningStateAndCountsWorkWindows) {
  RunningTask state;
  EXPECT_FALSE(NextTask(*ctx, state, kTaskWindowsOpen));
  NextTask(*ctx, state, kTaskWindowOpened);
  EXPECT_TRUE(NextTask(*ctx, state, kTaskWindowsOpen));
  NextTask(*ctx, state, kTaskWindowClosed);
  NextTask(*ctx, state, kTaskWindowClosed);  // never below 0
  EXPECT_EQ(lib.workWindows.load(), 0);
  BAT bat{};
  bat.ID = 7;
  EXPECT_TRUE(NextTask(*ctx, state, kTaskSetDefinition, &bat, sizeof bat));
  BAT out{};
  EXPECT_TRUE(NextTask(*ctx, state, kTaskGetDefinition, &out, sizeof out));
  EXPECT_EQ(+out.ID, 7u);
  EXPECT_FALSE(NextTask(*ctx, state, kTaskGetDefinition, &out, 3));  // wrong size
  ctx->mem.DoTask = stored(TaskMode::Quitting);
  EXPECT_FALSE(NextTask(*ctx, state, kTaskRequestNext));  // a quitting run asks for nothing more
  EXPECT_FALSE(state.nextRequested);
  CleanUp(state, kCleanUpAdd, 5);
  CleanUp(state, kCleanUpAdd, 5);
  CleanUp(state, kCleanUpAdd, 6);
  EXPECT_EQ(state.affected, (std::vector<std::uint32_t>{5, 6}));
}

}  // namespace
}  // namespace qv::test
