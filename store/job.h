#pragma once
// Long work — import, purge, count, duplicate elimination, indexing, export —
// is a job: an object whose step() does one bounded slice (sized by the speed
// settings) and says whether the job has ended. The command line drives a
// job in a loop, the GUI from a timer, tests directly; a job reaches the user
// only through the UI port of its Context.

#include <atomic>
#include <cstdint>
#include <string>

#include "store/ui_port.h"

namespace qv {

class Job {
 public:
  virtual ~Job() = default;
  Job() = default;
  Job(const Job&) = delete;
  Job& operator=(const Job&) = delete;

  // Does one slice of the work. True once the job has ended (finished,
  // failed or cancelled); further calls then do nothing and answer true.
  virtual bool step() = 0;

  // Asks the job to stop; it does so at its next step, asking the user
  // first where stopping has consequences. May be called from any thread.
  void requestCancel() { cancel_ = true; }
  bool cancelRequested() const { return cancel_; }

  // Where the job stands: position within range, and the step text.
  const ProgressReport& progress() const { return progress_; }

 protected:
  // Sets the progress and reports it through `ui` when it changed by at least
  // a hundredth of the range, or the text changed.
  void report(UiPort& ui, std::int64_t position, std::int64_t range, const std::string& text);
  void clearCancel() { cancel_ = false; }

 private:
  std::atomic<bool> cancel_{false};
  ProgressReport progress_;
  std::int64_t reportedAt_ = -1;
};

// Steps a job until it ends.
void runToEnd(Job& job);

}  // namespace qv
