#include "wordindex/result_order.h"

#include <array>
#include <span>
#include <utility>

#include "store/charset.h"

namespace qv::wordindex {

namespace {

using MenuItem = std::pair<ResultOrder, const char*>;

constexpr std::array<MenuItem, 5> kMessageMenu = {{{ResultOrder::Date, "Sort by date"},
                                                   {ResultOrder::Thread, "Sort by thread"},
                                                   {ResultOrder::Section, "Sort by section"},
                                                   {ResultOrder::Sender, "Sort by sender"},
                                                   {ResultOrder::Receiver, "Sort by receiver"}}};
constexpr std::array<MenuItem, 5> kMailMenu = {{{ResultOrder::Date, "Sort by date"},
                                                {ResultOrder::Partner, "Sort by partner"},
                                                {ResultOrder::Sender, "Sort by sender"},
                                                {ResultOrder::Receiver, "Sort by receiver"},
                                                {ResultOrder::Subject, "Sort by subject"}}};

// The menu of the browse that shows `type`; empty for an unknown type.
std::span<const MenuItem> menuOf(DatabaseType type) {
  switch (type) {
    case DatabaseType::Forum:
    case DatabaseType::Newsgroup: return kMessageMenu;
    case DatabaseType::Mail: return kMailMenu;
  }
  return {};
}

template <class T>
int ascending(T a, T b) {
  return (a > b) - (a < b);
}
template <class T>
int descending(T a, T b) {
  return ascending(b, a);
}
template <std::size_t N>
int text(const FixedString<N>& a, const FixedString<N>& b) {
  return compareKeyText(a.view(), b.view());
}

// A thread's messages: by the thread's sort prefix, then the thread.
int thread(const MsgNmbr& a, const MsgNmbr& b) {
  if (int c = text(a.THREADALPHA, b.THREADALPHA)) return c;
  return ascending(a.THREADNUMBER, b.THREADNUMBER);
}

// Sender and receiver, in both browses: the name, then the person.
template <class Record>
int correspondent(const Record& a, const Record& b, ResultOrder order) {
  if (order == ResultOrder::Sender) {
    if (int c = text(a.FROMALPHA, b.FROMALPHA)) return c;
    return ascending(a.FROMID, b.FROMID);
  }
  if (order == ResultOrder::Receiver) {
    if (int c = text(a.TOALPHA, b.TOALPHA)) return c;
    return ascending(a.TOID, b.TOID);
  }
  return 0;
}

}  // namespace

std::vector<ResortMenuEntry> resortMenu(DatabaseType type, ResultOrder current) {
  std::vector<ResortMenuEntry> entries;
  for (const auto& [order, text] : menuOf(type))
    entries.push_back({order, (order == current ? "+" : "") + std::string(text)});
  return entries;
}

bool offers(DatabaseType type, ResultOrder order) {
  for (const auto& item : menuOf(type))
    if (item.first == order) return true;
  return false;
}

int compareInOrder(const MsgNmbr& a, const MsgNmbr& b, ResultOrder order) {
  int c = 0;
  switch (order) {
    case ResultOrder::Thread: c = thread(a, b); break;
    case ResultOrder::Section:
      c = ascending(a.SECSYSID, b.SECSYSID);
      if (c == 0) c = thread(a, b);
      break;
    default: c = correspondent(a, b, order); break;
  }
  if (c == 0) c = descending(a.DATE, b.DATE);
  return c != 0 ? c : ascending(a.MSGNUMBER, b.MSGNUMBER);
}

int compareInOrder(const Mail& a, const Mail& b, ResultOrder order) {
  int c = 0;
  switch (order) {
    case ResultOrder::Partner:
      c = text(a.PAIRALPHA, b.PAIRALPHA);
      if (c == 0) c = ascending(a.PAIRID, b.PAIRID);
      break;
    case ResultOrder::Subject: c = text(a.SUBJECT, b.SUBJECT); break;
    default: c = correspondent(a, b, order); break;
  }
  if (c == 0) c = descending(a.DATE, b.DATE);
  return c != 0 ? c : descending(a.TIME, b.TIME);
}

}  // namespace qv::wordindex
