#include "import/task_schedule.h"

#include <algorithm>
#include <vector>

#include "store/dates.h"

namespace qv {

Moment systemMoment() {
  // Read the date again after the time: a read that straddled midnight
  // takes the new day with its (small) time.
  std::int32_t date = dates::today();
  std::int32_t time = dates::clockNow();
  const std::int32_t again = dates::today();
  if (again != date) {
    date = again;
    time = dates::clockNow();
  }
  return {date, time};
}

Moment readClock(const TaskClock& clock) { return clock ? clock() : systemMoment(); }

bool hasWeekdays(const TAS& task) {
  for (int d = 0; d < 7; ++d)
    if (task.DAYS[d] != 0) return true;
  return false;
}

bool hasMonthDays(const TAS& task) {
  for (int d = 0; d < 5; ++d)
    if (task.MONTHDAYS[d] >= 1 && task.MONTHDAYS[d] <= 31) return true;
  return false;
}

DueReason dueReason(const TAS& task, Moment now) {
  const std::int32_t runNowDate = task.RUNNOWDATE;
  if (runNowDate != 0 && (now.date == runNowDate || now.date == runNowDate + 1))
    return task.RUNNOWTIME != 0 ? DueReason::RunNow : DueReason::NotDue;
  const Moment next{task.RUNNEXTDATE, task.RUNNEXTTIME};
  // No next run date: nothing is scheduled (a date of 0 would otherwise be
  // "in the past" on every check).
  if (next.date <= 0) return DueReason::NotDue;
  if (now.date < next.date || (now.date == next.date && now.time < next.time)) return DueReason::NotDue;
  const Moment last{task.LASTRUNDATE, task.LASTRUNTIME};
  if (last.date != 0 && !(last < next)) return DueReason::NotDue;
  return DueReason::Scheduled;
}

namespace {

// Day `day` of the month, or that month's last day when it has fewer.
std::int32_t clampedDay(int year, int month, int day) {
  for (int d = day; d >= 28; --d)
    if (std::int32_t n = dates::dayNumber(year, month, d); n != 0) return n;
  return dates::dayNumber(year, month, day);
}

}  // namespace

std::int32_t nextRunDate(const TAS& task, std::int32_t today) {
  if (hasWeekdays(task)) {
    const int wd = dates::weekday(today);
    std::int32_t best = 0;
    for (int d = 0; d < 7; ++d) {
      if (task.DAYS[d] == 0) continue;
      int ahead = (d - wd + 7) % 7;
      if (ahead == 0) ahead = 7;
      const std::int32_t date = today + ahead;
      if (best == 0 || date < best) best = date;
    }
    return best;
  }
  if (hasMonthDays(task)) {
    std::vector<int> days;
    for (int d = 0; d < 5; ++d)
      if (task.MONTHDAYS[d] >= 1 && task.MONTHDAYS[d] <= 31) days.push_back(task.MONTHDAYS[d]);
    std::sort(days.begin(), days.end());
    const dates::Ymd ymd = dates::fromDayNumber(today);
    if (ymd.year == 0) return 0;
    for (int day : days)
      if (day > ymd.day) {
        const std::int32_t date = clampedDay(ymd.year, ymd.month, day);
        if (date > today) return date;
      }
    const int year = ymd.month == 12 ? ymd.year + 1 : ymd.year;
    const int month = ymd.month == 12 ? 1 : ymd.month + 1;
    return clampedDay(year, month, days.front());
  }
  return 0;
}

namespace {

// A task without a next date has nothing left to run: it is deactivated.
void deactivateWhenUnscheduled(TAS& task) {
  if (task.RUNNEXTDATE != 0) return;
  task.RUNNEXTTIME = 0;
  task.ACTIVE = 0;
}

}  // namespace

void finishSchedule(TAS& task, Moment started, Moment now, bool runNow) {
  if (runNow || (!hasWeekdays(task) && !hasMonthDays(task))) {
    task.RUNNOWDATE = 0;
    task.RUNNOWTIME = 0;
    task.LASTRUNDATE = started.date;
    task.LASTRUNTIME = started.time;
    // A repeating task whose scheduled moment this run passed moves on to
    // its next date: that moment is answered by this run (it is not run
    // twice), and left in place it would never be due again.
    const bool repeats = hasWeekdays(task) || hasMonthDays(task);
    if (repeats && task.RUNNEXTDATE != 0 && !(started < Moment{task.RUNNEXTDATE, task.RUNNEXTTIME}))
      task.RUNNEXTDATE = nextRunDate(task, now.date);
    deactivateWhenUnscheduled(task);
    return;
  }
  task.RUNNEXTDATE = nextRunDate(task, now.date);
  deactivateWhenUnscheduled(task);
  task.RUNNOWDATE = 0;
  task.RUNNOWTIME = 0;
  task.LASTRUNDATE = now.date;
  task.LASTRUNTIME = now.time;
}

void skipRun(TAS& task, Moment now) {
  const bool runNow = task.RUNNOWDATE != 0 && (now.date == task.RUNNOWDATE || now.date == task.RUNNOWDATE + 1);
  if (runNow || (!hasWeekdays(task) && !hasMonthDays(task))) {
    task.RUNNOWDATE = 0;
    task.RUNNOWTIME = 0;
    task.RUNNEXTDATE = 0;
    task.RUNNEXTTIME = 0;
    return;
  }
  task.RUNNEXTDATE = nextRunDate(task, now.date);
  deactivateWhenUnscheduled(task);
}

Moment postponeUntil(Moment now, int hours) {
  std::int64_t time = static_cast<std::int64_t>(now.time) + static_cast<std::int64_t>(hours) * kHourHundredths;
  std::int32_t date = now.date;
  while (time > kDayHundredths) {
    time -= kDayHundredths;
    ++date;
  }
  return {date, static_cast<std::int32_t>(time)};
}

bool insideRestrictionPeriod(std::int32_t start, std::int32_t end, std::int32_t time) {
  if (start == 0 && end == 0) return true;
  if (end == 0) return time >= start;
  if (start == 0) return time <= end;
  if (start <= end) return time >= start && time <= end;
  return time >= start || time <= end;
}

}  // namespace qv
