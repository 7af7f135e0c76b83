#pragma once
// "Previous Thread" / "Next Thread" of the thread view (threads in the
// order of their sort prefix, THR:AlphaKey) and "Previous Thread within
// Section" / "Next Thread within Section" of the section view (THR:SecKey,
// never past the section's first or last thread). At either end the step
// fails with a beep and the view keeps its thread.

#include <cstdint>
#include <optional>

#include "store/context.h"

namespace qv::browse {

enum class StepDirection { Next, Previous };

// The thread beside thread `threadNumber` of the active database, or
// nothing (after a beep) at the end, or when the thread does not exist.
std::optional<Threads> neighbourThread(Context& ctx, std::uint32_t threadNumber, StepDirection direction,
                                       bool withinSection);

}  // namespace qv::browse
