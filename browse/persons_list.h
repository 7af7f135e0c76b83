#pragma once
// The person browse of the active database: pages of persons in name or
// address order, and the first message of a sender for "Show messages for
// this sender".

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/context.h"

namespace qv::browse {

// "Sort by lastname" (PER:NameKey) and "Sort by CIS adress" (PER:AddressKey).
enum class PersonOrder { Name, Address };

// The window title: " Mail Partners [", " Forum Members [" or " Newsgroup
// Participants [" by the active database's type, its name and "]".
std::string personsTitle(const MemGroup& mem);

// Up to `count` persons in `order`, read through the key (never the whole
// table). With `after` 0 the page starts at the first person; otherwise
// right after person `after` in that order, persons of equal key standing in
// the key's own order. A person `after` that no longer exists gives an empty
// page (the caller starts again from the top). Opens and releases Person;
// uses ctx.per.
std::vector<Person> personPage(Context& ctx, PersonOrder order, std::size_t count, std::uint32_t after = 0);

// One person by identifier, or nothing when it does not exist. Opens and
// releases Person; uses ctx.per.
std::optional<Person> findPerson(Context& ctx, std::uint32_t id);

// What the current-message context takes from a sender's first message.
struct SenderMessage {
  std::uint32_t number = 0;  // MSG:MSGNUMBER or MAI:MAILID
  std::uint32_t threadNumber = 0;
  FixedString<10> threadAlpha;
  std::uint32_t section = 0;  // MSG:SECSYSID
  std::uint32_t fromId = 0;
  FixedString<10> fromAlpha;
  std::uint32_t toId = 0;
  FixedString<10> toAlpha;
};

// "Show messages for this sender": the first message along MSG:FromKey (a
// mail database: MAI:FromKey) from the person's name copy and identifier.
// A message whose copy and identifier are the person's gives its values and
// becomes the current message of the browses' context record, in the
// sender view.
// Otherwise nothing, after "Warning!" / "No messages from address " and the
// clipped address (unless unattended); so too for a person that does not
// exist. Opens and releases the message table and Person.
std::optional<SenderMessage> firstMessageFrom(Context& ctx, std::uint32_t personId);

}  // namespace qv::browse
