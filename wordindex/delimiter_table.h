#pragma once
// The delimiter sets of a database's word index, kept in its WD table: one
// row per set name and character with the character's start, inside and end
// marks. A character with none of the three is junk (never part of a word).

#include <optional>
#include <string_view>

#include "store/context.h"
#include "wordindex/delimiters.h"

namespace qv::wordindex {

// The set stored under `setName`; nothing when the table holds no row of it.
std::optional<DelimiterSet> loadDelimiters(Context& ctx, std::string_view setName);

// Stores `set` under `setName`, all 256 characters, in one transaction
// (rows of an earlier set of that name are rewritten). False when the
// transaction could not start or a write failed; both are reported.
bool storeDelimiters(Context& ctx, std::string_view setName, const DelimiterSet& set);

}  // namespace qv::wordindex
