// Scheduled tasks in the desktop program: a task made and changed through
// its form, and a due task's countdown, postponed and then started, with
// the frame locked while the task runs.
#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimeEdit>

#include "app/gui/browse_window.h"
#include "app/gui/import_menu.h"
#include "app/gui/task_poller.h"
#include "app/gui/tasks_window.h"
#include "app/windows/databases.h"
#include "import/definitions.h"
#include "import/formats.h"
#include "import/tasks.h"
#include "tests/gui/gui_fixture.h"

namespace qv::test {
namespace {

using gui::TaskDialog;
using gui::TasksWindow;
namespace wn = app::windows;

class TasksWindowTest : public GuiTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cli({"db", "add-forum", "Capture Club"}));
    ASSERT_TRUE(cli({"db", "add-mail", "Tom Owner", "70000,100"}));
    ASSERT_TRUE(cli({"db", "activate", std::to_string(kForum)}));
    startFrame();
    ImportDefinition d;
    d.description = "Eudora inbox";
    d.settings.formatNumber = formatNumber("Eudora");
    d.settings.format = "Eudora";
    d.settings.path = samples("internet/eudora");
    d.settings.files = {"In.mbx"};
    d.settings.mail = true;
    d.settings.mailDatabase = kMail;
    definition = saveDefinition(app->ctx(), d);
    ASSERT_NE(definition, 0u);
  }

  TasksWindow* openTasks() {
    for (QAction* a : frame->menuNamed("&Import")->actions())
      if (a->text() == "&Scheduled Tasks...") a->trigger();
    return static_cast<TasksWindow*>(frame->windowNamed(wn::kNotToolsGroup, wn::kBrowseTasks));
  }

  QString cell(TasksWindow& w, int column) const { return w.table()->item(0, column)->text(); }

  std::uint32_t definition = 0;
};

TEST_F(TasksWindowTest, ATaskIsScheduledAndChangedThroughItsForm) {
  TasksWindow* tasks = openTasks();
  ASSERT_NE(tasks, nullptr);
  EXPECT_EQ(tasks->windowTitle(), "Scheduled Tasks");
  TaskDialog* form = tasks->addTask();
  form->description()->setText("Nightly mail");
  ASSERT_TRUE(form->checkDefinition(definition));
  form->scheduled()->setChecked(true);
  form->date()->setDate(QDate(2030, 1, 7));
  form->time()->setTime(QTime(2, 0));
  form->repeat()->button(TaskDialog::kWeekly)->click();
  form->accept();  // weekly, but no weekday chosen
  EXPECT_EQ(ui.last().text, "Choose the weekdays the task repeats on.");
  EXPECT_EQ(tasks->table()->rowCount(), 0);
  form->weekday(1)->setChecked(true);
  form->weekday(4)->setChecked(true);
  form->purge()->setChecked(true);
  form->index()->setChecked(true);
  form->accept();
  ASSERT_EQ(tasks->table()->rowCount(), 1);
  EXPECT_EQ(cell(*tasks, TasksWindow::kDescription), "Nightly mail");
  EXPECT_EQ(cell(*tasks, TasksWindow::kActive), "Yes");
  EXPECT_EQ(cell(*tasks, TasksWindow::kNextRun), "2030-01-07 02:00");
  EXPECT_EQ(cell(*tasks, TasksWindow::kRepeat), "Mon,Thu");
  EXPECT_EQ(cell(*tasks, TasksWindow::kDefinitions), "1");
  const std::uint32_t id = *tasks->selectedId();
  std::optional<TAS> stored = loadTask(app->ctx(), id);
  ASSERT_TRUE(stored);
  EXPECT_EQ(+stored->DOPURGE, 1);
  EXPECT_EQ(+stored->DOINDEX, 1);
  EXPECT_EQ(+stored->DOCOUNT, 0);

  // Changed to the days of the month: the weekdays go.
  TaskDialog* change = tasks->editSelected();
  ASSERT_NE(change, nullptr);
  EXPECT_TRUE(change->weekday(4)->isChecked());
  EXPECT_EQ(change->time()->time(), QTime(2, 0));
  change->repeat()->button(TaskDialog::kMonthly)->click();
  change->monthDay(0)->setValue(5);
  change->monthDay(1)->setValue(20);
  change->checkDefinition(definition, false);
  change->accept();
  EXPECT_EQ(cell(*tasks, TasksWindow::kRepeat), "5,20");
  EXPECT_EQ(cell(*tasks, TasksWindow::kDefinitions), "0");
  stored = loadTask(app->ctx(), id);
  ASSERT_TRUE(stored);
  EXPECT_FALSE(hasWeekdays(*stored));
}

TEST_F(TasksWindowTest, ADueTaskCountsDownAndRunsWhileTheFrameIsLocked) {
  TAS task{};
  task.DESCRIPTION = "Mail now";
  task.ACTIVE = 1;
  ASSERT_NE(addTask(app->ctx(), task), 0u);
  ASSERT_TRUE(linkDefinition(app->ctx(), task.ID, definition));
  gui::TaskPoller& poller = *frame->importMenu()->poller();
  Moment now = systemMoment();
  poller.clock = [&now] { return now; };
  TasksWindow* tasks = openTasks();
  ASSERT_NE(tasks, nullptr);
  tasks->table()->setCurrentCell(0, 0);
  tasks->runSelectedNow();
  EXPECT_TRUE(cell(*tasks, TasksWindow::kNextRun).startsWith("now ("));
  QPointer<gui::BrowseWindow> browse = frame->openBrowse();
  ASSERT_FALSE(browse.isNull());

  // The countdown: postponed by two hours.
  QString title, taskLine;
  auto answer = QObject::connect(&poller, &gui::TaskPoller::countdownShown, [&](gui::TaskCountdownDialog* c) {
    title = c->windowTitle();
    taskLine = c->taskLine()->text();
    c->options()->button(static_cast<int>(CountdownOption::Postpone))->click();
    c->hours()->setValue(2);
    c->ok();
  });
  EXPECT_EQ(poller.poll().outcome, app::PollOutcome::NotStarted);
  EXPECT_EQ(title, " Task processing starts in 60 seconds");
  EXPECT_TRUE(taskLine.startsWith("Mail now")) << taskLine.toStdString();
  EXPECT_EQ(loadPostponement(home.path()), postponeUntil(now, 2));
  EXPECT_EQ(poller.poll().outcome, app::PollOutcome::NothingDue);  // postponed
  QObject::disconnect(answer);

  // Three hours on: started from the countdown; the work windows close and
  // the menus are off while it runs.
  now = postponeUntil(now, 3);
  bool menusOff = false, browseClosed = false;
  answer = QObject::connect(&poller, &gui::TaskPoller::countdownShown, [](gui::TaskCountdownDialog* c) { c->ok(); });
  QObject::connect(&poller, &gui::TaskPoller::taskStarted, [&] {
    menusOff = !frame->menuBar()->isEnabled();
    browseClosed = !browse || !browse->isVisible();
  });
  const app::PollResult ran = poller.poll();
  EXPECT_EQ(ran.outcome, app::PollOutcome::Ran);
  EXPECT_EQ(ran.taskResult, kTaskSucceeded);
  EXPECT_TRUE(menusOff);
  EXPECT_TRUE(browseClosed);
  EXPECT_TRUE(frame->menuBar()->isEnabled());
  EXPECT_EQ(+app->ctx().mem.DoTask, 0);
  std::optional<TAS> after = loadTask(app->ctx(), task.ID);
  ASSERT_TRUE(after);
  EXPECT_EQ(+after->RUNNOWDATE, 0);
  EXPECT_EQ(+after->RESULTCODE, kTaskSucceeded);
  for (const Forums& f : app::readDatabaseList(app->ctx())) {
    if (f.ID == kMail) {
      EXPECT_EQ(+f.MSGCOUNT, 3u);
    }
  }
}

}  // namespace
}  // namespace qv::test
