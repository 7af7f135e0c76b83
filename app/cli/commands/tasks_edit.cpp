// quorvel tasks add | edit: a task's schedule, definitions and housekeeping
// from the command line's options.
#include <CLI/CLI.hpp>
#include <sstream>

#include "app/cli/commands/tasks_common.h"
#include "text/text_encoding.h"
#include "import/definitions.h"
#include "import/tasks.h"
#include "store/dates.h"

namespace qv::app::cli {

namespace {

int refuse(Env& env, const std::string& text) {
  env.ui().message(kTasksTitle, text, MessageKind::Error);
  return kUsage;
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

}  // namespace

bool linkAll(Env& env, std::uint32_t task, const std::vector<std::uint32_t>& defs) {
  for (const std::uint32_t d : defs)
    if (!linkDefinition(env.app().ctx(), task, d)) {
      env.ui().message(kTasksTitle, "There is no import definition " + std::to_string(d) + ".", MessageKind::Error);
      return false;
    }
  return true;
}

int addTask(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  for (const std::uint32_t d : a.definitions)
    if (!loadDefinition(ctx, d)) return refuse(env, "There is no import definition " + std::to_string(d) + ".");
  TAS t{};
  t.ACTIVE = a.inactive ? 0 : 1;
  if (!applyOptions(env, a, t, true)) return kUsage;
  if (qv::addTask(ctx, t) == kNoIdentifier) return kFailure;
  if (!linkAll(env, t.ID, a.definitions)) return kFailure;
  env.out << t.ID << "\n";
  return kSuccess;
}

int editTask(Env& env, const TaskArgs& a) {
  Context& ctx = env.app().ctx();
  std::optional<TAS> t = loadTask(ctx, a.id);
  if (!t) return taskNotFound(env, a.id);
  if (!applyOptions(env, a, *t, false)) return kUsage;
  if (!changeTask(ctx, *t)) return kFailure;
  if (!linkAll(env, t->ID, a.definitions)) return kFailure;
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

}  // namespace qv::app::cli
