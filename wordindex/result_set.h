#pragma once
// The search result set: the messages a word search found, kept in memory
// by a browse as an ordered list of identifiers and stored in the Search
// table, where the browse's result view, the command line and a later run
// read it back.
//
// Search lies in the temporary directory and is one file for every
// database: SEA:SORT is the position (1, 2, 3 … without gaps) and SEA:ID the
// message number (forum and newsgroup databases) or the mail identifier
// (mail databases). Since numbers repeat across databases, the file
// SEARCH.SET beside it names the database the stored set belongs to (a row
// of Search cannot: SEA:IdKey is unique, and a forum's message numbers come
// from its source, so one may equal any database identifier).
//
// Stores and reads take turns across threads and processes through a lock on
// SEARCH.SET's companion (SEARCH.SET.lck): a store (remove, re-create, fill,
// key build) holds it alone and a read shares it, so two stores at once
// leave exactly one of the two sets (the later one) and a read sees a set
// either whole or not at all. Each call waits up to kResultSetWaitSeconds
// for its turn.
//
// Every call closes the context's Search handle when it is done.

#include <cstdint>
#include <optional>
#include <vector>

#include "store/context.h"
#include "wordindex/result_order.h"

namespace qv::wordindex {

inline constexpr const char* kResultSetOwnerFileName = "SEARCH.SET";
inline constexpr double kResultSetWaitSeconds = 10;

// A browse's result list. A search delivers it in its own order
// (ResultOrder::Result); a re-sort puts it into one of the menu's orders.
struct ResultSet {
  std::vector<std::uint32_t> ids;
  ResultOrder order = ResultOrder::Result;
};

enum class StoreResult {
  Stored,
  // The transaction on Search could not start: "Transaction Frame Error!"
  // was reported and Search is left empty.
  TransactionFailed,
  // Other stores or reads held the set past the wait, or Search could not
  // be made, filled (rolled back: Search is left empty) or keyed. Reported.
  Failed,
};

// Stores `ids` in their order as the result set of the active database
// (ctx.mem.ForumNumber): Search is removed and created again, filled in one
// transaction (appending without key upkeep) and then keyed. An identifier
// listed twice keeps its first place only, so the unique keys always build.
StoreResult storeResultSet(Context& ctx, const std::vector<std::uint32_t>& ids);

enum class ResultSetState {
  Read,           // ids holds the stored set of the active database (maybe empty)
  NoSet,          // nothing stored yet (or a store ended before Search was made again)
  OtherDatabase,  // the stored set belongs to `database`, not to the active one; ids empty
  Failed,         // the set could not be read or its turn did not come (reported); ids empty
};

struct StoredResultSet {
  ResultSetState state = ResultSetState::NoSet;
  std::uint32_t database = kNoIdentifier;  // Read and OtherDatabase: the set's database
  std::vector<std::uint32_t> ids;          // in SEA:SortKey order
};

StoredResultSet readResultSet(Context& ctx);

enum class ResortResult {
  Sorted,       // the list is in the new order and stored
  Unchanged,    // the list is in that order already: nothing was read or stored
  NotOffered,   // the active database's browse does not offer the order; nothing changed
  ReadFailed,   // a message could not be read (reported); nothing changed
  StoreFailed,  // the list is in the new order, but storing it failed (see StoreResult)
};

struct ResortOutcome {
  ResortResult result = ResortResult::Unchanged;
  // Sorted and StoreFailed, when a message was remembered and the list is
  // not empty: the index in list.ids of the remembered message, or 0 when
  // it is no longer there.
  std::optional<std::size_t> row;
};

// Re-sorts `list` into `order` and stores it (as storeResultSet). Each
// listed message (mail) is read from the active database (MsgNmbr or Mail,
// opened through the dispatcher); one whose record no longer exists is
// dropped, and one listed twice keeps its first place. Messages the order does not tell apart keep their current
// sequence. `remembered` is the highlighted message before the re-sort.
// Uses the record buffers ctx.msg or ctx.mai, and ctx.sea.
ResortOutcome resort(Context& ctx, ResultSet& list, ResultOrder order, std::optional<std::uint32_t> remembered);

}  // namespace qv::wordindex
