#include "import/task_countdown.h"

#include <cstdio>

#include "store/config.h"
#include "store/report.h"

namespace qv {

namespace {

std::int64_t hundredthsOf(Moment m) { return static_cast<std::int64_t>(m.date) * kDayHundredths + m.time; }

}  // namespace

TaskCountdown::TaskCountdown(Context& ctx, const TAS& task, DueReason reason, Moment opened) : ctx_(ctx), task_(task) {
  shown_ = reason == DueReason::RunNow ? opened : Moment{task.RUNNEXTDATE, task.RUNNEXTTIME};
  std::int64_t t = static_cast<std::int64_t>(opened.time) + kCountdownSeconds * 100;
  std::int32_t date = opened.date;
  if (t > kDayHundredths) {
    t -= kDayHundredths;
    ++date;
  }
  deadline_ = {date, static_cast<std::int32_t>(t)};
}

int TaskCountdown::remaining(Moment now) const {
  const std::int64_t left = hundredthsOf(deadline_) - hundredthsOf(now);
  return left <= 0 ? 0 : static_cast<int>((left + 99) / 100);
}

std::string TaskCountdown::title(int remaining) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%02d", remaining < 0 ? 0 : remaining % 100);
  return std::string(" Task processing starts in ") + digits + " seconds";
}

std::string TaskCountdown::postponedTitle(int hours) {
  return " Task processing postponed " + std::to_string(hours) + " hour(s)";
}

CountdownEnd TaskCountdown::tick(Moment now, CountdownOption selected, bool workOpen) {
  if (remaining(now) > 0) return CountdownEnd::Running;
  if (selected == CountdownOption::StartNow && !workOpen) {
    ctx_.mem.DoTask = stored(TaskMode::Scheduled);
    return CountdownEnd::Start;
  }
  ctx_.mem.DoTask = stored(TaskMode::Interactive);
  return CountdownEnd::Closed;
}

CountdownEnd TaskCountdown::ok(Moment now, CountdownOption option, bool workOpen, int hours) {
  switch (option) {
    case CountdownOption::StartNow:
      if (workOpen) {
        show(ctx_, kTaskStartErrorTitle, kTaskAlreadyActiveText, MessageKind::Error);
        ctx_.mem.DoTask = stored(TaskMode::Interactive);
        return CountdownEnd::AlreadyActive;
      }
      ctx_.mem.DoTask = stored(TaskMode::Scheduled);
      return CountdownEnd::Start;
    case CountdownOption::Postpone:
      if (!savePostponement(ctx_.mem.Net, postponeUntil(now, hours < 1 ? 1 : hours)))
        show(ctx_, kTaskStartErrorTitle,
             "The postponement cannot be stored in " + (ctx_.mem.Net / "CFG").string() + ".", MessageKind::Warning);
      break;
    case CountdownOption::Skip: {
      std::optional<TAS> stored = loadTask(ctx_, task_.ID);
      if (stored) {
        skipRun(*stored, now);
        changeTask(ctx_, *stored);
        task_ = *stored;
      }
      break;
    }
    case CountdownOption::Deactivate: {
      std::optional<TAS> stored = loadTask(ctx_, task_.ID);
      if (stored) {
        stored->ACTIVE = 0;
        changeTask(ctx_, *stored);
        task_ = *stored;
      }
      break;
    }
    case CountdownOption::DeactivateAll: {
      std::int32_t on = 1;
      std::string unused;
      Konfig(ctx_, kKonfigSetDisplay, kItemTasksOff, on, 0, unused);
      Konfig(ctx_, kKonfigSaveDisplay, 0, on, 0, unused);
      break;
    }
  }
  ctx_.mem.DoTask = stored(TaskMode::Interactive);
  return CountdownEnd::Closed;
}

}  // namespace qv
