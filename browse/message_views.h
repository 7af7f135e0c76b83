#pragma once
// The views of the forum and newsgroup message browse that walk the message
// table itself, a page at a time through the view's key, never loading the
// table: by date (newest first), thread, section, sender, receiver and
// message number (highest first); thread, section, sender and receiver
// limited to one value when one is chosen.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/context.h"

namespace qv::browse {

// The view modes as the context record keeps them (the tab numbers).
enum class MessageView : std::uint8_t {
  Date = 1,
  Thread = 2,
  Section = 3,
  Sender = 4,
  Receiver = 5,
  MsgNo = 6,
  KeyWord = 7,
  Topic = 8,
  SearchResult = 9,
};

// The tab's caption.
std::string_view viewCaption(MessageView view);

// What limits a thread, section, sender or receiver view; nothing chosen
// shows all messages in the view's order.
struct ViewLimit {
  std::string alpha;       // thread alpha key, or the person's name copy
  std::uint32_t id = 0;    // thread number, SECSYSID, or person identifier
};

class MessagePager {
 public:
  // `view` one of Date .. MsgNo.
  MessagePager(Context& ctx, MessageView view, std::optional<ViewLimit> limit = std::nullopt);

  // Up to `count` messages from the top of the view.
  std::vector<MsgNmbr> first(std::size_t count);
  // Up to `count` messages after (or before, nearest first) message `from`
  // of the view; nothing when `from` does not exist or lies outside the limit.
  std::vector<MsgNmbr> after(std::uint32_t from, std::size_t count);
  std::vector<MsgNmbr> before(std::uint32_t from, std::size_t count);
  // The date view's locator: the newest message of day `day`; without one,
  // the newest of the nearest older day; when every message is newer, the
  // oldest message. Nothing in an empty database.
  std::optional<MsgNmbr> atDate(std::int32_t day);

 private:
  bool inView(const MsgNmbr& m) const;
  std::vector<MsgNmbr> walk(bool forward, std::size_t count, bool skipFirst);
  std::vector<MsgNmbr> beside(std::uint32_t from, std::size_t count, bool forward);
  void setLimitStart();

  Context& ctx_;
  MessageView view_;
  std::optional<ViewLimit> limit_;
  engine::KeyRef key_;
};

}  // namespace qv::browse
