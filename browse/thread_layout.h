#pragma once
// The reply tree of one thread, worked out from its messages alone: which
// message hangs under which, how deep, and in what order the lines follow
// one another. Knows no table and no toolkit; ThreadTree feeds it.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qv::browse {

// Room for a sender's name in a tree line.
inline constexpr std::size_t kSenderNameSize = 35;

// One message of a thread as the tree needs it.
struct ThreadMessage {
  std::uint32_t number = 0;
  std::uint32_t replyTo = 0;  // the message it answers; 0 for none
  std::string senderName;     // Windows-1252, at most kSenderNameSize characters
  std::int32_t date = 0;      // day number
};

// One node of the tree in display order.
struct TreeNode {
  std::size_t message = 0;  // index into the messages given to layOutThread
  int depth = 1;            // 1 for a root
};

struct ThreadLayout {
  std::vector<TreeNode> nodes;  // depth first: each root followed by its whole subtree
  int deepest = 0;              // the greatest depth; 0 when there are no messages
};

// Lays out `messages`, which must be sorted by ascending, distinct number.
//
// A message hangs under the message it answers when that one is among
// `messages`; a message that answers none, answers itself, or answers one
// outside the list is a root. Roots come in ascending number order and so
// do the replies to one message, each followed directly by its own replies.
//
// Depths are given in passes: a message whose parent has no depth yet waits
// for a later pass. Answers that run in a circle (A answers B, B answers A,
// or a longer ring) never get a depth that way; when a pass gives none, the
// lowest-numbered message still waiting becomes a root and the passes go
// on. So every message appears exactly once and the layout always ends.
ThreadLayout layOutThread(const std::vector<ThreadMessage>& messages);

}  // namespace qv::browse
