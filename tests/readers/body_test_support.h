#pragma once
// Builds line queues the way the store readers collect them: one entry per
// line, lines longer than 400 characters cut into marked pieces.

#include <string_view>

#include "text/line_queue.h"

namespace qv::test {

inline LineQueue queueOf(std::string_view text) {
  LineQueue queue;
  for (;;) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    do {
      QueueLine entry;
      entry.text = line.substr(0, kQueueLineMax);
      line.remove_prefix(entry.text.size());
      entry.split = !line.empty();
      queue.push_back(entry);
    } while (!line.empty());
    if (end == std::string_view::npos) return queue;
    text.remove_prefix(end + 1);
  }
}

}  // namespace qv::test
