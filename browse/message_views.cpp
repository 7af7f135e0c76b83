#include "browse/message_views.h"

#include <limits>

#include "store/charset.h"
#include "store/table_use.h"

namespace qv::browse {

using engine::Err;

std::string_view viewCaption(MessageView view) {
  switch (view) {
    case MessageView::Date: return " Find Date ";
    case MessageView::Thread: return " Filter Thread ";
    case MessageView::Section: return " Filter Section N02";
    case MessageView::Sender: return " Filter Sender ";
    case MessageView::Receiver: return " Filter Receiver ";
    case MessageView::MsgNo: return " Find MsgNo ";
    case MessageView::KeyWord: return " Filter Key Word ";
    case MessageView::Topic: return " Filter Topic ";
    case MessageView::SearchResult: return "";
  }
  return "";
}

namespace {

engine::KeyRef keyOf(MessageView view) {
  switch (view) {
    case MessageView::Thread: return MsgNmbr::Threadkey;
    case MessageView::Section: return MsgNmbr::SECkey;
    case MessageView::Sender: return MsgNmbr::FromKey;
    case MessageView::Receiver: return MsgNmbr::ToKey;
    case MessageView::MsgNo: return MsgNmbr::IdKey;
    default: return MsgNmbr::DateKey;
  }
}

bool sameText(std::string_view a, std::string_view b) { return compareKeyText(a, b) == 0; }

// Message numbers stand highest first in the person and date keys.
constexpr std::uint32_t kFirstOfDescending = std::numeric_limits<std::uint32_t>::max();

}  // namespace

MessagePager::MessagePager(Context& ctx, MessageView view, std::optional<ViewLimit> limit)
    : ctx_(ctx), view_(view), limit_(std::move(limit)), key_(keyOf(view)) {
  // Only the views of one thread, section or person are limited.
  if (view_ == MessageView::Date || view_ == MessageView::MsgNo) limit_.reset();
}

bool MessagePager::inView(const MsgNmbr& m) const {
  if (!limit_) return true;
  switch (view_) {
    case MessageView::Thread: return m.THREADNUMBER == limit_->id && sameText(m.THREADALPHA.view(), limit_->alpha);
    case MessageView::Section: return m.SECSYSID == limit_->id;
    case MessageView::Sender: return m.FROMID == limit_->id && sameText(m.FROMALPHA.view(), limit_->alpha);
    case MessageView::Receiver: return m.TOID == limit_->id && sameText(m.TOALPHA.view(), limit_->alpha);
    default: return true;
  }
}

// The lowest key values of the limit, for a walk from its first message.
void MessagePager::setLimitStart() {
  ctx_.msg = MsgNmbr{};
  switch (view_) {
    case MessageView::Thread:
      ctx_.msg.THREADALPHA = limit_->alpha;
      ctx_.msg.THREADNUMBER = limit_->id;
      break;
    case MessageView::Section: ctx_.msg.SECSYSID = limit_->id; break;
    case MessageView::Sender:
      ctx_.msg.FROMALPHA = limit_->alpha;
      ctx_.msg.FROMID = limit_->id;
      ctx_.msg.MSGNUMBER = kFirstOfDescending;
      break;
    case MessageView::Receiver:
      ctx_.msg.TOALPHA = limit_->alpha;
      ctx_.msg.TOID = limit_->id;
      ctx_.msg.MSGNUMBER = kFirstOfDescending;
      break;
    default: break;
  }
}

std::vector<MsgNmbr> MessagePager::walk(bool forward, std::size_t count, bool skipFirst) {
  std::vector<MsgNmbr> out;
  engine::File& messages = ctx_.fileOf<MsgNmbr>();
  bool skip = skipFirst;
  while (out.size() < count && (forward ? messages.next() : messages.previous()) == Err::Ok) {
    if (!inView(ctx_.msg)) break;
    if (skip) {
      skip = false;
      continue;
    }
    out.push_back(ctx_.msg);
  }
  return out;
}

std::vector<MsgNmbr> MessagePager::first(std::size_t count) {
  TableUse use(ctx_, {MsgNmbr::FileNo});
  engine::File& messages = ctx_.fileOf<MsgNmbr>();
  Err e;
  if (limit_) {
    setLimitStart();
    e = messages.setFrom(key_);
  } else {
    e = messages.set(key_);
  }
  return e == Err::Ok ? walk(true, count, false) : std::vector<MsgNmbr>{};
}

// A page from message `from` (not included) in one direction of the view's key.
std::vector<MsgNmbr> MessagePager::beside(std::uint32_t from, std::size_t count, bool forward) {
  TableUse use(ctx_, {MsgNmbr::FileNo});
  engine::File& messages = ctx_.fileOf<MsgNmbr>();
  ctx_.msg = MsgNmbr{};
  ctx_.msg.MSGNUMBER = from;
  if (messages.get(MsgNmbr::IdKey) != Err::Ok || !inView(ctx_.msg)) return {};
  if (messages.setPosition(key_, messages.position()) != Err::Ok) return {};
  return walk(forward, count, true);
}

std::vector<MsgNmbr> MessagePager::after(std::uint32_t from, std::size_t count) { return beside(from, count, true); }

std::vector<MsgNmbr> MessagePager::before(std::uint32_t from, std::size_t count) { return beside(from, count, false); }

std::optional<MsgNmbr> MessagePager::atDate(std::int32_t day) {
  TableUse use(ctx_, {MsgNmbr::FileNo});
  engine::File& messages = ctx_.fileOf<MsgNmbr>();
  ctx_.msg = MsgNmbr{};
  ctx_.msg.DATE = day;
  ctx_.msg.MSGNUMBER = kFirstOfDescending;
  if (messages.setFrom(MsgNmbr::DateKey) == Err::Ok && messages.next() == Err::Ok) return ctx_.msg;
  // Every message is newer: the oldest one.
  if (messages.set(MsgNmbr::DateKey) == Err::Ok && messages.previous() == Err::Ok) return ctx_.msg;
  return std::nullopt;
}

}  // namespace qv::browse
