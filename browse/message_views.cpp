#include "browse/message_views.h"

#include <limits>

#include "store/charset.h"

namespace qv::browse {

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

bool sameText(std::string_view a, std::string_view b) { return compareKeyText(a, b) == 0; }

// Message numbers stand highest first in the person and date keys.
constexpr std::uint32_t kFirstOfDescending = std::numeric_limits<std::uint32_t>::max();

bool sameThread(const MsgNmbr& m, const MsgNmbr& l) {
  return m.THREADNUMBER == l.THREADNUMBER && sameText(m.THREADALPHA.view(), l.THREADALPHA.view());
}
bool sameSection(const MsgNmbr& m, const MsgNmbr& l) { return m.SECSYSID == l.SECSYSID; }
bool sameSender(const MsgNmbr& m, const MsgNmbr& l) {
  return m.FROMID == l.FROMID && sameText(m.FROMALPHA.view(), l.FROMALPHA.view());
}
bool sameReceiver(const MsgNmbr& m, const MsgNmbr& l) {
  return m.TOID == l.TOID && sameText(m.TOALPHA.view(), l.TOALPHA.view());
}

// The keyed view of `view`, limited to `limit` where the view is limited.
KeyedView<MsgNmbr> keyedView(MessageView view, const std::optional<ViewLimit>& limit) {
  KeyedView<MsgNmbr> v{MsgNmbr::DateKey};
  MsgNmbr& l = v.limit;
  switch (view) {
    case MessageView::Thread:
      v.key = MsgNmbr::Threadkey;
      if (!limit) break;
      v.holds = sameThread;
      l.THREADALPHA = limit->alpha;
      l.THREADNUMBER = limit->id;
      break;
    case MessageView::Section:
      v.key = MsgNmbr::SECkey;
      if (!limit) break;
      v.holds = sameSection;
      l.SECSYSID = limit->id;
      break;
    case MessageView::Sender:
      v.key = MsgNmbr::FromKey;
      if (!limit) break;
      v.holds = sameSender;
      l.FROMALPHA = limit->alpha;
      l.FROMID = limit->id;
      l.MSGNUMBER = kFirstOfDescending;
      break;
    case MessageView::Receiver:
      v.key = MsgNmbr::ToKey;
      if (!limit) break;
      v.holds = sameReceiver;
      l.TOALPHA = limit->alpha;
      l.TOID = limit->id;
      l.MSGNUMBER = kFirstOfDescending;
      break;
    case MessageView::MsgNo: v.key = MsgNmbr::IdKey; break;
    default: break;
  }
  return v;
}

std::optional<RowList> rowListOf(MessageView view) {
  switch (view) {
    case MessageView::KeyWord: return RowList::Word;
    case MessageView::Topic: return RowList::Topic;
    case MessageView::SearchResult: return RowList::ResultSet;
    default: return std::nullopt;
  }
}

}  // namespace

MessagePager::MessagePager(Context& ctx, MessageView view, std::optional<ViewLimit> limit) : ctx_(ctx), view_(view) {
  if (const std::optional<RowList> list = rowListOf(view)) {
    // Without its word, topic or set the view is empty.
    ListedView listed{*list, limit ? limit->id : kNoIdentifier, limit ? limit->ids : std::vector<std::uint32_t>{}};
    pager_ = listedPager<MsgNmbr>(ctx, std::move(listed));
  } else {
    pager_ = keyedPager<MsgNmbr>(ctx, keyedView(view, limit));
  }
}

std::vector<MsgNmbr> MessagePager::first(std::size_t count) { return pager_->first(count); }

std::vector<MsgNmbr> MessagePager::last(std::size_t count) { return pager_->last(count); }

std::vector<MsgNmbr> MessagePager::after(std::uint32_t from, std::size_t count) { return pager_->after(from, count); }

std::vector<MsgNmbr> MessagePager::before(std::uint32_t from, std::size_t count) { return pager_->before(from, count); }

std::optional<MsgNmbr> MessagePager::at(std::uint32_t number) { return pager_->at(number); }

// Locators work in their own view's order over the whole table, whatever
// view the pager shows.
std::optional<MsgNmbr> MessagePager::locateIn(MessageView view, const MsgNmbr& seed) {
  return keyedPager<MsgNmbr>(ctx_, keyedView(view, std::nullopt))->locate(seed);
}

std::optional<MsgNmbr> MessagePager::atDate(std::int32_t day) {
  MsgNmbr seed{};
  seed.DATE = day;
  seed.MSGNUMBER = kFirstOfDescending;
  return locateIn(MessageView::Date, seed);
}

std::optional<MsgNmbr> MessagePager::atNumber(std::uint32_t number) {
  MsgNmbr seed{};
  seed.MSGNUMBER = number;
  return locateIn(MessageView::MsgNo, seed);
}

std::optional<MsgNmbr> MessagePager::atName(std::string_view text) {
  if (view_ != MessageView::Thread && view_ != MessageView::Sender && view_ != MessageView::Receiver)
    return std::nullopt;
  MsgNmbr seed{};
  seed.THREADALPHA = text;
  seed.FROMALPHA = text;
  seed.TOALPHA = text;
  seed.MSGNUMBER = view_ == MessageView::Thread ? 0 : kFirstOfDescending;
  return keyedPager<MsgNmbr>(ctx_, keyedView(view_, std::nullopt))->locate(seed);
}

}  // namespace qv::browse
