// The due check as every process of a data home runs it: postponement, the
// countdown, the locks that make a due task wait, and housekeeping that meets
// a database marked for deletion.
#include "app/scheduler/scheduler.h"

#include <gtest/gtest.h>

#include <fstream>

#include "app/application.h"
#include "import/definitions.h"
#include "import/formats.h"
#include "import/import_lock.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/dates.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace qv::test {
namespace {

using app::Application;
using app::PollOutcome;
using dates::dayNumber;
using dates::timeOf;

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() {
    app.start(home.path());
    Context& ctx = app.ctx();
    MailDatabaseForm form;
    form.name = "Jane Smith";
    form.address = "jane@example.org";
    std::uint32_t dir = NextDirNumber(ctx);
    EXPECT_TRUE(AddMailDatabase(ctx, form, dir));
    db = ctx.for_.ID;
    const std::filesystem::path src = home.path() / "src";
    std::filesystem::create_directories(src);
    std::ofstream(src / "box", std::ios::binary) << "From bob@example.org Mon Jan  1 10:00:00 2001\n"
                                                    "From: Bob Ray <bob@example.org>\n"
                                                    "To: Jane Smith <jane@example.org>\n"
                                                    "Subject: lunch\n"
                                                    "Date: Mon, 1 Jan 2001 10:00:00 +0000\n\ntext\n\n";
    ImportDefinition def;
    def.description = "box";
    def.settings.format = "Generic Mail Type 2";
    def.settings.formatNumber = formatNumber(def.settings.format);
    def.settings.method = kSelectFiles;
    def.settings.path = src;
    def.settings.files = {"box"};
    def.settings.mail = true;
    def.settings.mailDatabase = db;
    EXPECT_NE(saveDefinition(ctx, def), 0u);
    task.DESCRIPTION = "Mondays";
    task.DAYS[1] = 1;
    task.ACTIVE = 1;
    task.RUNNEXTDATE = monday;
    task.RUNNEXTTIME = timeOf(6, 0, 0);
    task.DOPURGE = 1;
    task.DOINDEX = 1;
    EXPECT_NE(addTask(ctx, task), 0u);
    EXPECT_TRUE(linkDefinition(ctx, task.ID, def.id));
  }

  app::PollResult poll(Moment at, app::Countdown countdown = {}) {
    app::PollOptions options;
    options.clock = [this] { return clock; };
    options.countdown = std::move(countdown);
    clock = at;
    return app::pollOnce(app, options);
  }
  bool asked() const {
    for (const auto& s : ui.shown)
      if (s.question) return true;
    return false;
  }

  TempDir home;
  RecordingUi ui;
  Application app{ui};
  std::uint32_t db = 0;
  TAS task{};
  const std::int32_t monday = dayNumber(2026, 12, 7);
  Moment clock;
};

TEST_F(SchedulerTest, PostponedCountedDownWaitingAndRunOnce) {
  // Postponed 3 hours at 22:30: nothing is offered before 01:30.
  app::PollResult r = poll({monday, timeOf(22, 30, 0)}, [](TaskCountdown& c) {
    return c.ok({c.shownRun().date, timeOf(22, 30, 0)}, CountdownOption::Postpone, false, 3);
  });
  EXPECT_EQ(r.outcome, PollOutcome::NotStarted);
  EXPECT_EQ(loadPostponement(home.path()), (Moment{monday + 1, timeOf(1, 30, 0)}));
  EXPECT_EQ(poll({monday + 1, timeOf(1, 29, 0)}).outcome, PollOutcome::NothingDue);

  // The countdown: a minute, its title every 5 seconds; start asked for
  // while work is open elsewhere is refused.
  const Moment opened{monday + 1, timeOf(1, 30, 0)};
  r = poll(opened, [&](TaskCountdown& c) {
    EXPECT_EQ(c.remaining(opened), 60);
    EXPECT_EQ(TaskCountdown::title(c.remaining(opened)), " Task processing starts in 60 seconds");
    EXPECT_EQ(TaskCountdown::title(5), " Task processing starts in 05 seconds");
    EXPECT_TRUE(TaskCountdown::refreshesTitle(55));
    EXPECT_FALSE(TaskCountdown::refreshesTitle(54));
    EXPECT_EQ(c.shownRun(), (Moment{monday, timeOf(6, 0, 0)}));
    EXPECT_EQ(c.tick({opened.date, opened.time + 3000}, CountdownOption::StartNow, false), CountdownEnd::Running);
    return c.ok(opened, CountdownOption::StartNow, true);
  });
  EXPECT_EQ(r.outcome, PollOutcome::Waiting);
  ASSERT_FALSE(ui.shown.empty());
  EXPECT_EQ(ui.last().title, " Task Start Error ");
  EXPECT_EQ(ui.last().text, "Another Task is already active!");
  EXPECT_FALSE(loadPostponement(home.path()));  // used up once a task was offered again

  // Work open anywhere in the data home makes the task wait.
  {
    DatabaseWork command(home.path(), db);
    ASSERT_TRUE(command.held());
    EXPECT_EQ(poll(opened).outcome, PollOutcome::Waiting);
    DatabaseWork second(home.path(), db);  // a second command on the same database is refused
    EXPECT_FALSE(second.held());
    EXPECT_EQ(second.refusal(), databaseBusyText(db));
  }
  {
    ByteLock otherTask;
    ASSERT_EQ(otherTask.acquire(taskLockFile(home.path()), 0, true), LockState::Held);
    r = poll(opened);
    EXPECT_EQ(r.outcome, PollOutcome::Waiting);
    EXPECT_EQ(r.why, "Another Task is already active!");
  }
  {
    ImportLock import;
    ASSERT_EQ(import.acquire(app.ctx().mem.TempDir).state, ImportLockState::Held);
    EXPECT_EQ(poll(opened).outcome, PollOutcome::Waiting);
  }

  // The database is marked for deletion: the scheduled purge meets the
  // deletion question, answered Cancel without asking; the task goes on to
  // index the database, which stays.
  ASSERT_TRUE(changeDatabaseRecord(app.ctx(), db, [](Forums& f) { f.DUMMY = stored(Status::Delete); }));
  ui.clear();
  r = poll(opened, [&](TaskCountdown& c) {
    return c.tick({opened.date, opened.time + 6000}, CountdownOption::StartNow, false);  // the deadline
  });
  ASSERT_EQ(r.outcome, PollOutcome::Ran) << r.why;
  EXPECT_EQ(r.taskResult, kTaskSucceeded);
  EXPECT_FALSE(asked());
  std::vector<std::pair<std::uint32_t, std::uint32_t>> items;  // type, result
  for (const TLI& i : logItems(app.ctx(), r.logId)) items.emplace_back(+i.TYPE, +i.RESULTCODE);
  EXPECT_EQ(items, (std::vector<std::pair<std::uint32_t, std::uint32_t>>{{1, 1}, {2, 2}, {8, 1}}));
  EXPECT_TRUE(app.activate(db));

  // Finished on Tuesday: next Monday; not offered again before then.
  const TAS after = *loadTask(app.ctx(), task.ID);
  EXPECT_EQ(+after.RUNNEXTDATE, monday + 7);
  EXPECT_EQ(+after.RESULTCODE, kTaskSucceeded);
  EXPECT_EQ(poll({monday + 2, timeOf(12, 0, 0)}).outcome, PollOutcome::NothingDue);

  // Deactivating all tasks from the countdown switches the scheduler off.
  r = poll({monday + 7, timeOf(7, 0, 0)},
           [](TaskCountdown& c) { return c.ok({}, CountdownOption::DeactivateAll, false); });
  EXPECT_EQ(r.outcome, PollOutcome::NotStarted);
  r = poll({monday + 7, timeOf(7, 0, 1)});
  EXPECT_EQ(r.outcome, PollOutcome::NothingDue);
  EXPECT_EQ(r.why, "Scheduled tasks are switched off.");
}

}  // namespace
}  // namespace qv::test
