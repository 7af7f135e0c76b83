#pragma once
// The typed-ahead locator of the program's lists: the keys typed in quick
// succession make the text a list is positioned on. Its state is the
// context's `locator`.

#include <cstddef>
#include <cstdint>

#include "store/context.h"

namespace qv {

// Takes a key pressed in a list into the locator text. The key codes taken
// are the runtime's: 96-105 (keypad digits, taken as 48-57), 48-90, 304-346,
// 1328-1337, 32, 362, 367, 1386 and 1391; the character is the code's low
// byte. Any other key answers kKeyIgnored and changes nothing.
// A key that comes within the locator delay of the previous one is appended
// (the text keeps at most 10 characters); otherwise the text restarts with
// it and the delay is read again from general setting 3, the locator delay
// (tenths of a second; outside 1-35 counts as 15). The text is copied into
// target (cut to targetSize, blank-padded), and kKeyTaken is answered.
enum IncrementStepResult : std::uint8_t { kKeyIgnored = 0, kKeyTaken = 1 };
IncrementStepResult IncrementStep(Context& ctx, int keyCode, char* target, std::size_t targetSize);
// The same at a given steady-clock time in milliseconds.
IncrementStepResult IncrementStep(Context& ctx, int keyCode, char* target, std::size_t targetSize, std::int64_t nowMs);

}  // namespace qv
