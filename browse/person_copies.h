#pragma once
// The name copies of a person in the message tables of the active database:
// finding the messages that name a person along one of the name keys, and
// the name copy a last name gives.
//
// The keys begin with the name copy and the person's identifier, so one
// person's messages stand together under each key. The walks return record
// positions rather than rewriting while walking: a rewrite changes the very
// key being walked and would move the record ahead of (or behind) the walk.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "store/context.h"
#include "store/engine/driver.h"
#include "store/records.h"

namespace qv::browse {

// Which name copy of a message names the person.
enum class NameRole { Sender, Receiver, Partner };

// The positions of the forum or newsgroup messages (MsgNmbr, open) whose
// sender (MSG:FromKey) or receiver (MSG:ToKey) copy is `lastName`'s first 10
// characters and whose identifier is `personId`, in key order (newest first). Partner is
// not a role of these messages and gives none. Uses ctx.msg.
// At most `limit` of them.
std::vector<engine::Position> messagesNaming(Context& ctx, NameRole role, std::string_view lastName,
                                            std::uint32_t personId, std::size_t limit = SIZE_MAX);

// The same for mails (Mail, open), along MAI:FromKey, MAI:ToKey or
// MAI:PairKey (whose copy holds 25 characters). Uses ctx.mai.
std::vector<engine::Position> mailsNaming(Context& ctx, NameRole role, std::string_view lastName,
                                         std::uint32_t personId, std::size_t limit = SIZE_MAX);

// Reads each record at `positions` of `file`, lets `change` set its fields
// in the table's buffer and rewrites it (UppDat, mode 8). False at the first
// record that cannot be read or written; a failed write was reported and
// rolled the caller's transaction back.
template <class Change>
bool rewriteAt(Context& ctx, engine::File& file, const std::vector<engine::Position>& positions, Change change) {
  for (const engine::Position pos : positions) {
    if (file.getPosition(pos) != engine::Err::Ok) return false;
    change();
    if (UppDat(ctx, file, kUppPut, kRollback) != kUppDatDone) return false;
  }
  return true;
}

// Every name copy of person `id` taken from `oldLast` becomes `newLast`'s:
// MSG:FROMALPHA and MSG:TOALPHA, or in a mail database MAI:FROMALPHA,
// MAI:TOALPHA and MAI:PAIRALPHA where the person is the mail's partner.
// The message table (MsgNmbr or Mail) must be open, inside the caller's
// transaction; false as rewriteAt.
bool rewriteNameCopies(Context& ctx, std::string_view oldLast, std::string_view newLast, std::uint32_t id);

}  // namespace qv::browse
