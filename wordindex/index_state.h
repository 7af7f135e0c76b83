#pragma once
// What the index keeps about itself, in its PUR table (pairs without keys,
// beside the word list): which messages it has indexed, whether a full
// index is under way, and with which delimiter set and options it was
// built. A pair's WORDID says what the pair means; word identifiers proper
// start at 1.

#include <cstdint>

namespace qv::wordindex {

// (message identifier, 0): the message has been indexed, whether or not it
// gave any word. Partial indexing passes over these messages; purging a
// message removes its mark with its occurrence rows.
inline constexpr std::int32_t kIndexedMark = 0;
// (fingerprint, -1): a full index began and has not finished; any index
// run then starts the full index again.
inline constexpr std::int32_t kFullIndexRunning = -1;
// (fingerprint, -2): the delimiter set and options of the last finished
// full index; a partial index with other ones is refused.
inline constexpr std::int32_t kBuiltWith = -2;

}  // namespace qv::wordindex
