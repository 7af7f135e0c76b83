// quorvel tasks list | show ID | add DESCRIPTION … | edit ID … | remove ID |
// activate ID | deactivate ID | run-now ID | link ID DEF | unlink ID DEF |
// log ID: the scheduled tasks, their definitions and their run log.
#include "import/tasks.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "app/cli/commands/tasks_common.h"
#include "import/task_run.h"
#include "store/dates.h"
#include "store/report.h"

namespace qv::app::cli {

namespace {

constexpr const char* kTitle = kTasksTitle;

std::string dateText(std::int32_t d) { return dates::formatDate(d, dates::kDateYyyyMmDd); }
std::string timeText(std::int32_t t) { return dates::formatTime(t, dates::kTimeHhMm); }

std::string weekdaysText(const TAS& t) {
  std::string s;
  for (int d = 0; d < 7; ++d)
    if (t.DAYS[d] != 0) s += (s.empty() ? "" : ",") + std::string(kWeekdayNames[d]);
  return s;
}

std::string monthdaysText(const TAS& t) {
  std::string s;
  for (int d = 0; d < 5; ++d)
    if (t.MONTHDAYS[d] != 0) s += (s.empty() ? "" : ",") + std::to_string(+t.MONTHDAYS[d]);
  return s;
}

std::string housekeepingText(const TAS& t) {
  std::string s;
  auto add = [&](bool on, const char* name) {
    if (on) s += (s.empty() ? "" : ",") + std::string(name);
  };
  add(t.DODUPELIM != 0, "dupes");
  add(t.DOPURGE != 0, "purge");
  add(t.DOCOUNT != 0, "count");
  add(t.DOINDEX != 0, "index");
  return s;
}

Record taskRecord(Context& ctx, const TAS& t) {
  Record r;
  r.add("id", static_cast<std::int64_t>(t.ID));
  r.add("description", text(t.DESCRIPTION.str()));
  r.add("active", t.ACTIVE == 1);
  r.add("next date", text(dateText(t.RUNNEXTDATE)));
  r.add("next time", text(timeText(t.RUNNEXTTIME)));
  r.add("weekdays", text(weekdaysText(t)));
  r.add("month days", text(monthdaysText(t)));
  r.add("run now", text(t.RUNNOWDATE != 0 ? dateText(t.RUNNOWDATE) + " " + timeText(t.RUNNOWTIME) : ""));
  r.add("last run", text(t.LASTRUNDATE != 0 ? dateText(t.LASTRUNDATE) + " " + timeText(t.LASTRUNTIME) : ""));
  r.add("last result", static_cast<std::int64_t>(t.RESULTCODE));
  r.add("housekeeping", text(housekeepingText(t)));
  std::string defs;
  for (const TIM& l : taskLinks(ctx, t.ID)) defs += (defs.empty() ? "" : ",") + std::to_string(+l.BATCHID);
  r.add("definitions", text(defs));
  return r;
}

int list(Env& env) {
  Context& ctx = env.app().ctx();
  Listing out({"id", "description", "active", "next", "repeat", "last run", "result", "definitions"});
  for (const TAS& t : listTasks(ctx)) {
    const std::string repeat = !weekdaysText(t).empty() ? weekdaysText(t) : monthdaysText(t);
    out.addRow({static_cast<std::int64_t>(t.ID), text(t.DESCRIPTION.str()), text(t.ACTIVE == 1 ? "Yes" : ""),
                text(t.RUNNEXTDATE != 0 ? dateText(t.RUNNEXTDATE) + " " + timeText(t.RUNNEXTTIME) : ""), text(repeat),
                text(t.LASTRUNDATE != 0 ? dateText(t.LASTRUNDATE) + " " + timeText(t.LASTRUNTIME) : ""),
                static_cast<std::int64_t>(t.RESULTCODE), static_cast<std::int64_t>(taskLinks(ctx, t.ID).size())});
  }
  print(env.out, out, env.format());
  return kSuccess;
}

int show(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  const std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return taskNotFound(env, a.id);
  print(env.out, taskRecord(ctx, *t), env.format());
  return kSuccess;
}

int remove(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  if (!loadTask(ctx, a.id)) return taskNotFound(env, a.id);
  if (ask(ctx, kTitle, "Remove the task " + std::to_string(a.id) + "?", kYes | kNo, kNo) != kYes) return kFailure;
  return removeTask(ctx, a.id) ? kSuccess : kFailure;
}

int setActive(Env& env, const TaskArgs& a, bool active) {
  Context& ctx = env.app().ctx();
  std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return taskNotFound(env, a.id);
  t->ACTIVE = active ? 1 : 0;
  return changeTask(ctx, *t) ? kSuccess : kFailure;
}

int runNow(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return taskNotFound(env, a.id);
  const Moment now = systemMoment();
  t->RUNNOWDATE = now.date;
  t->RUNNOWTIME = now.time;
  if (!changeTask(ctx, *t)) return kFailure;
  if (t->ACTIVE != 1)
    env.ui().message(
        kTitle,
        "The task is not active: it runs only once activated (quorvel tasks activate " + std::to_string(a.id) + ").",
        MessageKind::Warning);
  else if (taskLinks(ctx, a.id).empty())
    env.ui().message(kTitle, "The task has no import definition: link one (quorvel tasks link).", MessageKind::Warning);
  return kSuccess;
}

int link(Env& env, const TaskArgs& a, bool on) {
  Context& ctx = env.app().ctx();
  if (!loadTask(ctx, a.id)) return taskNotFound(env, a.id);
  if (on) return linkAll(env, a.id, {a.definition}) ? kSuccess : kFailure;
  return unlinkDefinition(ctx, a.id, a.definition) ? kSuccess : kFailure;
}

const char* itemTypeName(std::uint32_t type) {
  switch (type) {
    case kLogItemImport: return "import";
    case static_cast<std::uint32_t>(TaskStep::Duplicates): return "dupes";
    case static_cast<std::uint32_t>(TaskStep::Purge): return "purge";
    case static_cast<std::uint32_t>(TaskStep::Count): return "count";
    case static_cast<std::uint32_t>(TaskStep::Index): return "index";
    default: return "";
  }
}

int log(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  // One row per run (item "run"), followed by the run's items; the id of
  // an import item is its definition, of a housekeeping item its database.
  Listing out({"log", "item", "type", "id", "started", "finished", "result"});
  for (const TLO& run : taskRuns(ctx, a.id)) {
    out.addRow({static_cast<std::int64_t>(run.TASKLOGID), text("run"), static_cast<std::int64_t>(0),
                static_cast<std::int64_t>(run.TASKID),
                text(dateText(run.DATESTARTED) + " " + timeText(run.TIMESTARTED)),
                text(run.DATEFINISHED != 0 ? dateText(run.DATEFINISHED) + " " + timeText(run.TIMEFINISHED) : ""),
                static_cast<std::int64_t>(run.RESULTCODE)});
    std::vector<TLI> items = logItems(ctx, run.TASKLOGID);
    // In the order they ran (the key sorts by type first).
    std::stable_sort(items.begin(), items.end(), [](const TLI& x, const TLI& y) {
      return Moment{x.DATESTARTED, x.TIMESTARTED} < Moment{y.DATESTARTED, y.TIMESTARTED};
    });
    for (const TLI& i : items)
      out.addRow({static_cast<std::int64_t>(i.TASKLOGID), text(itemTypeName(i.TYPE)), static_cast<std::int64_t>(i.TYPE),
                  static_cast<std::int64_t>(i.BATCHID), text(dateText(i.DATESTARTED) + " " + timeText(i.TIMESTARTED)),
                  text(i.DATEFINISHED != 0 ? dateText(i.DATEFINISHED) + " " + timeText(i.TIMEFINISHED) : ""),
                  static_cast<std::int64_t>(i.RESULTCODE)});
  }
  print(env.out, out, env.format());
  return kSuccess;
}

}  // namespace

int taskNotFound(Env& env, std::uint32_t id) {
  env.ui().message(kTasksTitle, "There is no task " + std::to_string(id) + ".", MessageKind::Error);
  return kFailure;
}

void addTasksCommands(CLI::App& app, Env& env) {
  CLI::App* tasks =
      addCommand(app, "tasks", "Scheduled tasks: unattended imports and housekeeping", "quorvel tasks list");
  tasks->require_subcommand(1);
  addCommand(*tasks, "list", "List the tasks", "quorvel tasks list --json")->callback([&env] { env.action = list; });

  auto a = std::make_shared<TaskArgs>();
  auto byId = [&env, tasks, a](const char* name, const char* what, const char* example,
                               int (*fn)(Env&, const TaskArgs&)) {
    CLI::App* c = addCommand(*tasks, name, what, example);
    c->add_option("ID", a->id, "The task's identifier")->required();
    c->callback([&env, a, fn] { env.action = [a, fn](Env& e) { return fn(e, *a); }; });
    return c;
  };
  byId("show", "Show one task", "quorvel tasks show 250020", show);
  byId("remove", "Remove a task and its links (asks first); its log stays", "quorvel --yes tasks remove 250020",
       remove);
  byId("activate", "Activate a task", "quorvel tasks activate 250020",
       [](Env& e, const TaskArgs& x) { return setActive(e, x, true); });
  byId("deactivate", "Deactivate a task", "quorvel tasks deactivate 250020",
       [](Env& e, const TaskArgs& x) { return setActive(e, x, false); });
  byId("run-now", "Ask for a run now (honoured today and tomorrow)", "quorvel tasks run-now 250020", runNow);
  byId("log", "The task's runs and their items", "quorvel tasks log 250020 --json", log);

  CLI::App* ad = addCommand(*tasks, "add", "Add a task",
                            "quorvel tasks add \"Nightly mail\" --date 2026-12-08 --time 02:00 --weekdays mon,thu "
                            "--definition 250010 --dupes --purge --index");
  ad->add_option("DESCRIPTION", a->description, "What the task is for (shown in the list and the countdown)")
      ->required();
  addScheduleOptions(*ad, *a);
  ad->add_flag("--inactive", a->inactive, "Store it inactive");
  ad->callback([&env, a] { env.action = [a](Env& e) { return addTask(e, *a); }; });

  CLI::App* ed = addCommand(*tasks, "edit", "Change a task (only what is given)",
                            "quorvel tasks edit 250020 --monthdays 5,20 --time 03:00");
  ed->add_option("ID", a->id, "The task's identifier")->required();
  ed->add_option("--description", a->description, "A new description");
  addScheduleOptions(*ed, *a);
  ed->callback([&env, a] { env.action = [a](Env& e) { return editTask(e, *a); }; });

  for (const bool on : {true, false}) {
    CLI::App* l = addCommand(*tasks, on ? "link" : "unlink",
                             on ? "Add an import definition to a task" : "Take an import definition from a task",
                             on ? "quorvel tasks link 250020 250010" : "quorvel tasks unlink 250020 250010");
    l->add_option("ID", a->id, "The task's identifier")->required();
    l->add_option("DEFINITION", a->definition, "The definition's identifier")->required();
    l->callback([&env, a, on] { env.action = [a, on](Env& e) { return link(e, *a, on); }; });
  }
}

}  // namespace qv::app::cli
