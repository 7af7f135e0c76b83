#pragma once
// What the tasks commands share: their arguments and the editing of a task
// record from them (tasks_edit.cpp).

#include <cstdint>
#include <string>
#include <vector>

#include "app/cli/env.h"
#include "store/tables.h"

namespace qv::app::cli {

inline constexpr const char* kTasksTitle = "Scheduled Tasks";
// Weekdays as options and listings name them, Sunday first (TAS:DAYS order).
inline constexpr const char* kWeekdayNames[7] = {"sun", "mon", "tue", "wed", "thu", "fri", "sat"};

struct TaskArgs {
  std::uint32_t id = 0;
  std::uint32_t definition = 0;
  std::string description;
  std::string date, time, weekdays, monthdays;
  std::vector<std::uint32_t> definitions;
  bool dupes = false, purge = false, count = false, index = false, noHousekeeping = false;
  bool inactive = false;
};

// Adds the options of `tasks add` and `tasks edit` that set when a task
// runs, its definitions and its housekeeping.
void addScheduleOptions(CLI::App& c, TaskArgs& a);

// tasks add DESCRIPTION ...: the new task's identifier on stdout.
int addTask(Env& env, const TaskArgs& a);
// tasks edit ID ...: only what is given changes; --definition adds links.
int editTask(Env& env, const TaskArgs& a);
// Links definitions to a task; false after a message naming the first that
// does not exist.
bool linkAll(Env& env, std::uint32_t task, const std::vector<std::uint32_t>& defs);
// "There is no task N." (status 1).
int taskNotFound(Env& env, std::uint32_t id);

}  // namespace qv::app::cli
