#pragma once
// Ctrl-C during a long command asks its job to stop, as a window's stop
// button does, instead of ending the process: the job commits what it has
// done and ends at its next step.

#include "store/job.h"

namespace qv::app::cli {

// Steps `job` until it ends; a Ctrl-C meanwhile calls job.requestCancel().
// The previous SIGINT handler is back when this returns.
void runStoppable(Job& job);

}  // namespace qv::app::cli
