#pragma once
// How library procedures speak to the user: through the UI port of the
// Context, minding the unattended rule, and "the program stops" as Halt.
// show, inform, ask and stop also keep the message in ctx.lastReported,
// whether it was shown or not.

#include <string_view>

#include "store/context.h"
#include "store/halt.h"

namespace qv {

inline constexpr std::string_view kCrLf = "\r\n";

// Shows a message whatever the mode.
void show(Context& ctx, std::string_view title, std::string_view text, MessageKind kind = MessageKind::Information);
// Shows a message unless the run is unattended.
void inform(Context& ctx, std::string_view title, std::string_view text,
            MessageKind kind = MessageKind::Information);
// Asks unless unattended; unattended runs take the safe answer.
Button ask(Context& ctx, std::string_view title, std::string_view text, unsigned buttons, Button safe);
// Beeps unless unattended.
void beep(Context& ctx);
// Shows a stop message and ends the program (throws Halt). `reason`, when
// given, is the line the program ends with; otherwise the title.
[[noreturn]] void stop(Context& ctx, std::string_view title, std::string_view text, std::string_view reason = {});

}  // namespace qv
