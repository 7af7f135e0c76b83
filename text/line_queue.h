#pragma once
// The lines of one message as a reader collects them before converting it.
//
// A physical line longer than 400 characters is kept as several entries of
// at most 400 characters; every entry but the last of such a line is marked
// `split`, so that the line can be rejoined when the text is assembled. An
// empty line is an entry with an empty text. Texts are Windows-1252 bytes,
// without their line ends.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

inline constexpr std::size_t kQueueLineMax = 400;

struct QueueLine {
  std::string text;    // TQ:LINE (TQ:LEN is its size)
  bool split = false;  // TQ:SPLITLINE: the physical line goes on in the next entry
};

using LineQueue = std::vector<QueueLine>;

// A line of the queue that is not to appear in the assembled text is
// overwritten with this marker; assembly skips every line equal to it.
inline constexpr std::string_view kDropMarker = "!!!Remove this!!!";

}  // namespace qv
