#pragma once
// The topic tree beside a browse: every topic of the active database with
// whether the current message is linked to it. It follows the browse's
// current message through the context record, and confirming a line
// links or unlinks the message — the link and the topic's count in one
// transaction.

#include <cstdint>
#include <vector>

#include "store/context.h"
#include "store/topic_links.h"

namespace qv::topics {

class TopicTree {
 public:
  struct Line {
    Codes topic{};
    bool tagged = false;  // icon 1 when tagged, icon 2 when not
  };

  explicit TopicTree(Context& ctx) : ctx_(ctx) {}

  // The lines for message (mail) `message`: every topic in key order.
  const std::vector<Line>& show(std::uint32_t message);
  // Reloads for the current message of the browses' context record when it
  // changed since the last call: true when it did.
  bool follow();
  // Toggles the link of line `line`; the line follows what was stored.
  LinkChange toggle(std::size_t line);

  const std::vector<Line>& lines() const { return lines_; }
  std::uint32_t message() const { return message_; }

 private:
  Context& ctx_;
  std::vector<Line> lines_;
  std::uint32_t message_ = 0;
  std::uint64_t seen_ = 0;
};

}  // namespace qv::topics
