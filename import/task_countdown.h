#pragma once
// The countdown before a due task starts, without its window: the minute
// the user has to start, postpone, skip or deactivate it. The desktop
// program shows it; the command line shows it on a terminal
// (`quorvel scheduler run-due` without one starts at once).
//
// The deadline is the moment the countdown opened plus 60 seconds; the
// title shows the remaining seconds and changes whenever they are a
// multiple of 5. At the deadline the task starts when "start now" is
// chosen and no work is open anywhere in the data home; otherwise the
// countdown closes without starting.

#include <cstdint>
#include <filesystem>
#include <string>

#include "import/tasks.h"

namespace qv {

inline constexpr const char* kCountdownText =
    "It is time to start task processing! \r\n"
    "You cannot do other work in Quorvel during task processing. If you do not want to run the task now, select an "
    "appropriate option and click on the OK button. \r\n\r\n"
    "Otherwise task processing will commence within a minute with the task below and all open windows will close.";
inline constexpr const char* kTaskStartErrorTitle = " Task Start Error ";
inline constexpr const char* kTaskAlreadyActiveText = "Another Task is already active!";
inline constexpr const char* kTaskStartingTitle = " Task processing starting up!";
inline constexpr std::int32_t kCountdownSeconds = 60;

enum class CountdownOption : int {
  StartNow = 0,
  Postpone = 1,       // by a number of hours (1 by default)
  Skip = 2,           // this run
  Deactivate = 3,     // the task
  DeactivateAll = 4,  // every task (the tasks-off setting)
};

enum class CountdownEnd {
  Running,        // still counting
  Start,          // the task is to start now (Mem:DoTask becomes 2)
  Closed,         // closed without starting (an option applied, or nothing chosen in time)
  AlreadyActive,  // start asked for while work is open: " Task Start Error " was shown
};

class TaskCountdown {
 public:
  TaskCountdown(Context& ctx, const TAS& task, DueReason reason, Moment opened);

  const TAS& task() const { return task_; }
  // The date and time shown with the task: its next run, or for a run-now
  // request the moment the countdown opened.
  Moment shownRun() const { return shown_; }
  // Whole seconds left at `now` (0 at and after the deadline).
  int remaining(Moment now) const;
  // " Task processing starts in " + two digits + " seconds".
  static std::string title(int remaining);
  // Whether the title is redrawn at this count (every 5 seconds).
  static bool refreshesTitle(int remaining) { return remaining % 5 == 0; }
  static std::string postponedTitle(int hours);

  // A tick: at the deadline, starts (option StartNow, no work open) or
  // closes; Running before.
  CountdownEnd tick(Moment now, CountdownOption selected, bool workOpen);
  // OK pressed with an option. StartNow: Start, or AlreadyActive when work
  // is open (shown through the UI port). Other options are applied and
  // close the countdown; Postpone stores the postponement for every process
  // of the data home.
  CountdownEnd ok(Moment now, CountdownOption option, bool workOpen, int hours = 1);

 private:
  Context& ctx_;
  TAS task_;
  Moment shown_;
  Moment deadline_;
};

}  // namespace qv
