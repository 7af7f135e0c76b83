#pragma once
// When a scheduled task runs: the due check, the next run after a run, the
// postponement and the restriction period — plain functions of a task
// record and a moment, so that every caller (the run job, the countdown,
// the command line, the tests) reads the calendar the same way.
//
// A moment is a day number and a time (store/dates.h): hundredths of a
// second since midnight plus 1, 0 meaning no time.

#include <cstdint>
#include <functional>

#include "store/tables.h"

namespace qv {

struct Moment {
  std::int32_t date = 0;
  std::int32_t time = 0;
  friend bool operator==(const Moment&, const Moment&) = default;
};
inline bool operator<(const Moment& a, const Moment& b) { return a.date != b.date ? a.date < b.date : a.time < b.time; }

// The clock a task run reads; tests set it. Empty: the machine's local time.
using TaskClock = std::function<Moment()>;
Moment systemMoment();
Moment readClock(const TaskClock& clock);

inline constexpr std::int32_t kHourHundredths = 360000;
inline constexpr std::int32_t kDayHundredths = 8640000;

// Why a task is due.
enum class DueReason {
  NotDue,
  RunNow,     // its run-now request is of today or yesterday
  Scheduled,  // its next run date and time have been reached
};

// The calendar part of the due check (that the task is active and has a
// definition is checked by the caller, who reads the links):
// - a run-now request (date and time set) is honoured on its day and the
//   day after, not later;
// - otherwise the task is due once today is after its next run date, or is
//   that date and the clock has reached the next run time;
// - a task is never run twice for one scheduled moment: when its last run
//   began at or after the next run date and time (a task without repeat
//   keeps its next date after its run), it is not due again for that date.
DueReason dueReason(const TAS& task, Moment now);

// The date of the next run after a run ending on `today`, from the weekly or
// the monthly repeat; 0 when the task has neither, or no date results.
// Weekly: for each chosen weekday the next such date strictly after today
// (today's weekday gives today + 7); the earliest of them. Monthly: the
// first chosen day greater than today's day of the month, in this month;
// otherwise the smallest chosen day in the next month (a day the month does
// not have, such as the 31st in April, moves to that month's last day).
std::int32_t nextRunDate(const TAS& task, std::int32_t today);

bool hasWeekdays(const TAS& task);
bool hasMonthDays(const TAS& task);

// Puts the task's dates right after a run that started at `started` (the
// run log's start) and ended at `now`; `runNow`: the run answered a run-now
// request. The result code is set by the caller.
// - a run-now request, or no repeat: the request is cleared and the last run
//   becomes `started`; a repeating task whose next run moment has passed
//   gets its next date computed (that moment is answered by this run); with
//   no next run date the next time is cleared and the task deactivated;
// - otherwise the next run date is computed (nextRunDate); when none
//   results the next time is cleared and the task deactivated; the request
//   is cleared and the last run becomes `now`. The next run time stays.
void finishSchedule(TAS& task, Moment started, Moment now, bool runNow);

// Skipping a due run from the countdown: a run-now request or a task
// without repeat loses its next run date and time (and the request);
// otherwise its next run is computed as after a run.
void skipRun(TAS& task, Moment now);

// Postponing by `hours` from `now`: the moment before which no task starts,
// carried into the next day(s) past midnight.
Moment postponeUntil(Moment now, int hours);

// The restriction period of tasks (the two settings, times; 0 = not set):
// tasks start only inside it. Both set: from start to end, across midnight
// when start is later than end; only start set: from start to midnight;
// only end set: from midnight to end; neither: always. A task that is
// running when the period ends runs to its end.
bool insideRestrictionPeriod(std::int32_t start, std::int32_t end, std::int32_t time);

}  // namespace qv
