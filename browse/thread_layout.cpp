#include "browse/thread_layout.h"

#include <algorithm>
#include <utility>

namespace qv::browse {

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// The index of message `number`, kNone when the thread does not hold it.
std::size_t indexOf(const std::vector<ThreadMessage>& messages, std::uint32_t number) {
  const auto it = std::lower_bound(messages.begin(), messages.end(), number,
                                   [](const ThreadMessage& m, std::uint32_t n) { return m.number < n; });
  if (it == messages.end() || it->number != number) return kNone;
  return static_cast<std::size_t>(it - messages.begin());
}

}  // namespace

ThreadLayout layOutThread(const std::vector<ThreadMessage>& messages) {
  const std::size_t count = messages.size();
  // The answered message inside the thread, or kNone.
  std::vector<std::size_t> answered(count, kNone);
  for (std::size_t i = 0; i < count; ++i)
    if (messages[i].replyTo != 0 && messages[i].replyTo != messages[i].number)
      answered[i] = indexOf(messages, messages[i].replyTo);

  ThreadLayout layout;
  std::vector<int> depth(count, 0);              // 0 while not placed
  std::vector<std::size_t> parent(count, kNone);  // the node a message hangs under
  std::size_t waiting = count;
  auto place = [&](std::size_t i, std::size_t under) {
    parent[i] = under;
    depth[i] = under == kNone ? 1 : depth[under] + 1;
    layout.deepest = std::max(layout.deepest, depth[i]);
    --waiting;
  };
  while (waiting > 0) {
    bool placed = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (depth[i] != 0) continue;
      if (answered[i] != kNone && depth[answered[i]] == 0) continue;  // its parent comes first
      place(i, answered[i]);
      placed = true;
    }
    if (!placed) {
      // Only messages of reply loops (and replies to them) are left.
      const auto first = static_cast<std::size_t>(std::find(depth.begin(), depth.end(), 0) - depth.begin());
      place(first, kNone);
    }
  }

  // Children in ascending number order, since i runs that way.
  std::vector<std::vector<std::size_t>> replies(count);
  for (std::size_t i = 0; i < count; ++i)
    if (parent[i] != kNone) replies[parent[i]].push_back(i);

  // Depth first, with a stack of nodes and the next reply of each to visit.
  layout.nodes.reserve(count);
  std::vector<std::pair<std::size_t, std::size_t>> path;
  for (std::size_t root = 0; root < count; ++root) {
    if (parent[root] != kNone) continue;
    layout.nodes.push_back({root, depth[root]});
    path.emplace_back(root, 0);
    while (!path.empty()) {
      auto& [node, next] = path.back();
      if (next == replies[node].size()) {
        path.pop_back();
        continue;
      }
      const std::size_t reply = replies[node][next++];
      layout.nodes.push_back({reply, depth[reply]});
      path.emplace_back(reply, 0);
    }
  }
  return layout;
}

}  // namespace qv::browse
