// quorvel tasks list | show ID | add DESCRIPTION … | edit ID … | remove ID |
// activate ID | deactivate ID | run-now ID | link ID DEF | unlink ID DEF |
// log ID: the scheduled tasks, their definitions and their run log.
#include "import/tasks.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <sstream>

#include "app/cli/env.h"
#include "app/text_encoding.h"
#include "import/definitions.h"
#include "import/task_run.h"
#include "store/dates.h"
#include "store/report.h"

namespace qv::app::cli {

namespace {

constexpr const char* kTitle = "Scheduled Tasks";
constexpr const char* kWeekdayNames[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

struct TaskArgs {
  std::uint32_t id = 0;
  std::uint32_t definition = 0;
  std::string description;
  std::string date, time, weekdays, monthdays;
  std::vector<std::uint32_t> definitions;
  bool dupes = false, purge = false, count = false, index = false, noHousekeeping = false;
  bool inactive = false;
};

int refuse(Env& env, const std::string& text) {
  env.ui().message(kTitle, text, MessageKind::Error);
  return kUsage;
}

int notFound(Env& env, std::uint32_t id) {
  env.ui().message(kTitle, "There is no task " + std::to_string(id) + ".", MessageKind::Error);
  return kFailure;
}

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

std::vector<std::string> split(const std::string& s) {
  std::vector<std::string> parts;
  std::stringstream in(s);
  std::string part;
  while (std::getline(in, part, ','))
    if (!part.empty()) parts.push_back(part);
  return parts;
}

// Applies the options given to `t`; a message and false for a bad value.
bool applyOptions(Env& env, const TaskArgs& a, TAS& t, bool adding) {
  if (!a.description.empty()) {
    const std::string stored = cp1252FromUtf8(a.description);
    if (stored.size() > 50) {
      refuse(env, "The description is longer than 50 characters.");
      return false;
    }
    t.DESCRIPTION = stored;
  }
  if (!a.date.empty()) {
    int y = 0, m = 0, d = 0;
    char c1 = 0, c2 = 0;
    std::istringstream in(a.date);
    std::int32_t day = 0;
    if (a.date == "none")
      day = 0;
    else if (!(in >> y >> c1 >> m >> c2 >> d) || c1 != '-' || c2 != '-' || (day = dates::dayNumber(y, m, d)) == 0) {
      refuse(env, "The date must be given as YYYY-MM-DD (or none).");
      return false;
    }
    t.RUNNEXTDATE = day;
  }
  if (!a.time.empty()) {
    int h = 0, mi = 0;
    char c = 0;
    std::istringstream in(a.time);
    std::int32_t time = 0;
    if (!(in >> h >> c >> mi) || c != ':' || (time = dates::timeOf(h, mi, 0)) == 0) {
      refuse(env, "The time must be given as HH:MM.");
      return false;
    }
    t.RUNNEXTTIME = time;
  } else if (adding && t.RUNNEXTDATE != 0) {
    t.RUNNEXTTIME = 1;  // midnight
  }
  if (!a.weekdays.empty() && !a.monthdays.empty() && a.weekdays != "none" && a.monthdays != "none") {
    refuse(env, "A task repeats on weekdays or on days of the month, not both.");
    return false;
  }
  if (!a.weekdays.empty()) {
    std::uint8_t days[7] = {};
    if (a.weekdays != "none")
      for (const std::string& w : split(a.weekdays)) {
        int found = -1;
        for (int d = 0; d < 7; ++d)
          if (w.size() >= 3 && w.compare(0, 3, kWeekdayNames[d]) == 0) found = d;
        if (found < 0) {
          refuse(env, "Unknown weekday \"" + w + "\": use sun, mon, tue, wed, thu, fri, sat.");
          return false;
        }
        days[found] = 1;
      }
    for (int d = 0; d < 7; ++d) t.DAYS[d] = days[d];
    if (a.weekdays != "none")
      for (int d = 0; d < 5; ++d) t.MONTHDAYS[d] = 0;
  }
  if (!a.monthdays.empty()) {
    std::uint8_t days[5] = {};
    if (a.monthdays != "none") {
      const std::vector<std::string> parts = split(a.monthdays);
      if (parts.size() > 5) {
        refuse(env, "At most five days of the month.");
        return false;
      }
      for (std::size_t i = 0; i < parts.size(); ++i) {
        int v = 0;
        try {
          v = std::stoi(parts[i]);
        } catch (...) {
          v = 0;
        }
        if (v < 1 || v > 31) {
          refuse(env, "Days of the month are 1 to 31.");
          return false;
        }
        days[i] = static_cast<std::uint8_t>(v);
      }
    }
    for (int d = 0; d < 5; ++d) t.MONTHDAYS[d] = days[d];
    if (a.monthdays != "none")
      for (int d = 0; d < 7; ++d) t.DAYS[d] = 0;
  }
  if (a.dupes || a.purge || a.count || a.index || a.noHousekeeping) {
    t.DODUPELIM = a.dupes;
    t.DOPURGE = a.purge;
    t.DOCOUNT = a.count;
    t.DOINDEX = a.index;
  }
  return true;
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
  if (!t) return notFound(env, a.id);
  print(env.out, taskRecord(ctx, *t), env.format());
  return kSuccess;
}

bool linkAll(Env& env, std::uint32_t task, const std::vector<std::uint32_t>& defs) {
  for (const std::uint32_t d : defs)
    if (!linkDefinition(env.app().ctx(), task, d)) {
      env.ui().message(kTitle, "There is no import definition " + std::to_string(d) + ".", MessageKind::Error);
      return false;
    }
  return true;
}

int add(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  for (const std::uint32_t d : a.definitions)
    if (!loadDefinition(ctx, d)) return refuse(env, "There is no import definition " + std::to_string(d) + ".");
  TAS t{};
  t.ACTIVE = a.inactive ? 0 : 1;
  if (!applyOptions(env, a, t, true)) return kUsage;
  if (addTask(ctx, t) == kNoIdentifier) return kFailure;
  if (!linkAll(env, t.ID, a.definitions)) return kFailure;
  env.out << t.ID << "\n";
  return kSuccess;
}

int edit(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return notFound(env, a.id);
  if (!applyOptions(env, a, *t, false)) return kUsage;
  if (!changeTask(ctx, *t)) return kFailure;
  if (!linkAll(env, t->ID, a.definitions)) return kFailure;
  return kSuccess;
}

int remove(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  if (!loadTask(ctx, a.id)) return notFound(env, a.id);
  if (ask(ctx, kTitle, "Remove the task " + std::to_string(a.id) + "?", kYes | kNo, kNo) != kYes) return kFailure;
  return removeTask(ctx, a.id) ? kSuccess : kFailure;
}

int setActive(Env& env, const TaskArgs& a, bool active) {
  Context& ctx = env.app().ctx();
  std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return notFound(env, a.id);
  t->ACTIVE = active ? 1 : 0;
  return changeTask(ctx, *t) ? kSuccess : kFailure;
}

int runNow(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return notFound(env, a.id);
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
  if (!loadTask(ctx, a.id)) return notFound(env, a.id);
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

void addScheduleOptions(CLI::App& c, TaskArgs& a) {
  c.add_option("--date", a.date, "First (next) run date, YYYY-MM-DD, or none");
  c.add_option("--time", a.time, "Time of day of the runs, HH:MM");
  c.add_option("--weekdays", a.weekdays, "Repeat on these weekdays: mon,thu (or none)");
  c.add_option("--monthdays", a.monthdays, "Repeat on these days of the month, up to five: 5,20 (or none)");
  c.add_option("--definition", a.definitions, "An import definition to run (repeatable)");
  c.add_flag("--dupes", a.dupes, "Afterwards: duplicate elimination");
  c.add_flag("--purge", a.purge, "Afterwards: purging (includes counting)");
  c.add_flag("--count", a.count, "Afterwards: counting");
  c.add_flag("--index", a.index, "Afterwards: word indexing (databases with a word index)");
  c.add_flag("--no-housekeeping", a.noHousekeeping, "Afterwards: nothing");
}

}  // namespace

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
  ad->callback([&env, a] { env.action = [a](Env& e) { return add(e, *a); }; });

  CLI::App* ed = addCommand(*tasks, "edit", "Change a task (only what is given)",
                            "quorvel tasks edit 250020 --monthdays 5,20 --time 03:00");
  ed->add_option("ID", a->id, "The task's identifier")->required();
  ed->add_option("--description", a->description, "A new description");
  addScheduleOptions(*ed, *a);
  ed->callback([&env, a] { env.action = [a](Env& e) { return edit(e, *a); }; });

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
