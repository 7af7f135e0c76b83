#pragma once
// The nine views of the forum and newsgroup message browse, a page at a
// time, never loading the table: by date (newest first), thread, section,
// sender, receiver and message number (highest first) through the message
// table's keys — thread, section, sender and receiver limited to one value
// when one is chosen — and the messages of one word, of one topic and of the
// search result set through their rows.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "browse/record_pager.h"
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

// What limits a view. Thread, section, sender or receiver with nothing
// chosen show all messages in the view's order; the word, topic and result
// views show nothing without their limit.
struct ViewLimit {
  std::string alpha;              // thread alpha key, or the person's name copy
  std::uint32_t id = 0;           // thread number, SECSYSID, person, word or topic identifier
  std::vector<std::uint32_t> ids{};  // the search result set, in its order
};

class MessagePager {
 public:
  MessagePager(Context& ctx, MessageView view, std::optional<ViewLimit> limit = std::nullopt);

  // Up to `count` messages from the top of the view.
  std::vector<MsgNmbr> first(std::size_t count);
  // Up to `count` messages from the end of the view, in the view's order.
  std::vector<MsgNmbr> last(std::size_t count);
  // Up to `count` messages after (or before, nearest first) message `from`
  // of the view; nothing when `from` does not exist or lies outside the limit.
  std::vector<MsgNmbr> after(std::uint32_t from, std::size_t count);
  std::vector<MsgNmbr> before(std::uint32_t from, std::size_t count);
  // Message `number` when it is one of the view's.
  std::optional<MsgNmbr> at(std::uint32_t number);
  // The date view's locator: the newest message of day `day`; without one,
  // the newest of the nearest older day; when every message is newer, the
  // oldest message. Nothing in an empty database.
  std::optional<MsgNmbr> atDate(std::int32_t day);
  // The number view's locator: message `number`, or the nearest lower
  // number; when every message is higher, the lowest.
  std::optional<MsgNmbr> atNumber(std::uint32_t number);
  // The typed-ahead locator of the thread, sender and receiver views without
  // a limit: the first message whose thread alpha key (name copy) is at or
  // after `text`, letter case aside; the last message when none is.
  std::optional<MsgNmbr> atName(std::string_view text);

 private:
  std::optional<MsgNmbr> locateIn(MessageView view, const MsgNmbr& seed);

  Context& ctx_;
  MessageView view_;
  std::unique_ptr<RecordPager<MsgNmbr>> pager_;
};

}  // namespace qv::browse
