#pragma once
// The stop words: words the index never keeps, one list for every database
// (STO, in the configuration directory). Words are kept in upper case and
// compare without regard to case.

#include <string>
#include <string_view>
#include <vector>

#include "store/context.h"

namespace qv::wordindex {

enum class StopWordChange {
  Done,
  Unchanged,  // already a stop word (add), or none (remove)
  NotAWord,   // empty, with blanks, or longer than a word can be
  Failed,     // the table could not be read or written (reported)
};

// In alphabetical order; empty when the list cannot be read (reported).
std::vector<std::string> listStopWords(Context& ctx);
StopWordChange addStopWord(Context& ctx, std::string_view word);
StopWordChange removeStopWord(Context& ctx, std::string_view word);

}  // namespace qv::wordindex
