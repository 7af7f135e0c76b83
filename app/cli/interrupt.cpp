#include "app/cli/interrupt.h"

#include <csignal>

namespace qv::app::cli {

namespace {

// Set by the SIGINT handler, read by the loop that steps the job. A signal
// handler can only reach state of this kind.
volatile std::sig_atomic_t interrupted = 0;

extern "C" void onInterrupt(int) { interrupted = 1; }

// Ctrl-C asks the job to stop instead of ending the process, for the life
// of the object; the previous handler comes back afterwards.
class InterruptAsStop {
 public:
  InterruptAsStop() {
    interrupted = 0;
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptAsStop() { sigaction(SIGINT, &previous_, nullptr); }
  InterruptAsStop(const InterruptAsStop&) = delete;
  InterruptAsStop& operator=(const InterruptAsStop&) = delete;

 private:
  struct sigaction previous_ {};
};

}  // namespace

void runStoppable(Job& job) {
  InterruptAsStop stopOnCtrlC;
  while (!job.step())
    if (interrupted != 0) job.requestCancel();
}

}  // namespace qv::app::cli
