#pragma once
// What the index keeps about itself, in its PUR table (pairs without keys,
// beside the word list): which messages it has indexed, whether a full
// index is under way, and with which delimiter set and options it was
// built. A pair's WORDID says what the pair means; word identifiers proper
// start at 1.

#include <cstdint>
#include <optional>
#include <unordered_set>

#include "store/context.h"
#include "wordindex/delimiters.h"
#include "wordindex/word_cutter.h"

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
// (0, -3): a purge that may delete messages has not yet brought the index
// in step; a later purge that finds another purge's mark looks for the
// marks of messages that are gone and counts the word list again.
inline constexpr std::int32_t kPurgeUpkeepRunning = -3;

// What the marks of one database's index say.
struct IndexMarks {
  std::unordered_set<std::uint32_t> indexed;
  bool fullRunning = false;
  std::optional<std::uint32_t> builtWith;

  // The index is whole and was built with the set and options `print` stands for.
  bool builtBy(std::uint32_t print) const { return !fullRunning && builtWith == print; }
};

// Stands for a delimiter set and cutting options: equal when they cut every
// text alike.
std::uint32_t fingerprint(const DelimiterSet& set, const CutOptions& options);

// Reads the marks of the open PUR table. False on a read error (reported).
bool readMarks(Context& ctx, IndexMarks& out);
// Adds the mark (value, mark) to the open PUR table.
engine::Err addMark(Context& ctx, std::uint32_t value, std::int32_t mark);
// Removes every mark of one kind.
engine::Err eraseMarks(Context& ctx, std::int32_t mark);

}  // namespace qv::wordindex
