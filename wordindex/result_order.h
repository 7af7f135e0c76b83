#pragma once
// The orders a search result set can be re-sorted into, the re-sort menu of
// the two browses, and how two messages (mails) compare in each order.
//
// Forum and newsgroup databases are shown by the message browse, which
// offers date, thread, section, sender and receiver; mail databases by the
// mail browse, which offers date, partner, sender, receiver and subject.
// Texts compare as the keys do: without regard to case (Windows-1252,
// accented letters included) and without trailing blanks. Every order ends
// with the date, newest first; messages then by ascending number, mails by
// time, latest first.

#include <cstdint>
#include <string>
#include <vector>

#include "store/domain.h"
#include "store/tables/database_tables.h"

namespace qv::wordindex {

enum class ResultOrder : std::uint8_t {
  Result,  // as the search delivered it; no menu entry carries it
  Date,
  Thread,   // message browse
  Section,  // message browse
  Sender,
  Receiver,
  Partner,  // mail browse
  Subject,  // mail browse
};

struct ResortMenuEntry {
  ResultOrder order;
  std::string text;  // "Sort by sender"; "+Sort by sender" for the current order
};

// The re-sort menu of the browse that shows databases of `type`, in menu
// order, the entry of `current` marked with a leading "+". Empty for a type
// no browse shows.
std::vector<ResortMenuEntry> resortMenu(DatabaseType type, ResultOrder current);

// Whether the browse of `type` offers `order` in its menu.
bool offers(DatabaseType type, ResultOrder order);

// <0 when `a` comes before `b` in `order`, >0 when after, 0 when the order
// does not tell them apart. Orders the message browse does not offer (and
// Result) compare by date and number only; the same for mails.
int compareInOrder(const MsgNmbr& a, const MsgNmbr& b, ResultOrder order);
int compareInOrder(const Mail& a, const Mail& b, ResultOrder order);

}  // namespace qv::wordindex
