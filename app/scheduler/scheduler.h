#pragma once
// The program's side of scheduled tasks: the housekeeping jobs a task run
// asks for (duplicate elimination, purging, counting, word indexing), and
// one poll — the check for a due task and its run — as `quorvel scheduler
// run-due` does once and `quorvel scheduler daemon` every 15 seconds.

#include <functional>
#include <optional>
#include <string>

#include "app/application.h"
#include "import/task_countdown.h"
#include "import/task_run.h"

namespace qv::app {

class ProgramHousekeeping final : public TaskHousekeeping {
 public:
  std::unique_ptr<Job> start(Context& ctx, TaskStep step) override;
  std::uint8_t result(Job& job, TaskStep step) override;
};

enum class PollOutcome {
  NothingDue,  // no task due (or tasks are off, postponed, outside the period)
  Waiting,     // one is due but another task or work runs: it waits for the next poll
  NotStarted,  // the countdown closed without starting it (postponed, skipped, deactivated)
  Ran,         // a task ran; see the result
};

struct PollResult {
  PollOutcome outcome = PollOutcome::NothingDue;
  std::uint8_t taskResult = 0;  // Ran: 1 or 2
  std::uint32_t taskId = 0;
  std::uint32_t logId = 0;
  std::string why;  // NothingDue / Waiting: the reason
};

// Shows the countdown and answers how it ended; empty: start at once.
using Countdown = std::function<CountdownEnd(TaskCountdown&)>;

struct PollOptions {
  TaskClock clock;
  Countdown countdown;
  std::function<void(const std::string&)> onNote;  // what a window would show
  std::function<void(Job&)> drive;                 // steps the task run (runToEnd when empty)
};

// Whether work is open anywhere in the data home that a starting task must
// not meet: an import, a command on a database, or a task already running.
// The reason, or nothing.
std::optional<std::string> openWork(Context& ctx);

PollResult pollOnce(Application& app, const PollOptions& options);

}  // namespace qv::app
