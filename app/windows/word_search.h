#pragma once
// The search window's work, apart from its widgets: the terms its fields
// make, the search over the active database's word index, the messages that
// say why nothing was searched, and the store of the found set for the
// browse's result view. The command line's `quorvel search` runs the same
// library calls.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "store/context.h"
#include "store/ui_port.h"
#include "wordindex/search_query.h"

namespace qv::app {

inline constexpr const char* kWordSearchTitle = "Word Search";
// The search window's name among the companions of a browse ("FindGroup").
inline constexpr std::string_view kWordSearch = "WordSearch";

// What the user filled in (Windows-1252). `words` holds words and field
// terms separated by blanks, as the command line takes them ("OR" between
// two words: one of them); anyWord puts "OR" between every two words. The
// other fields each make one field term when not blank.
struct WordSearchForm {
  std::string words;
  bool anyWord = false;
  bool phrase = false;
  std::string from;
  std::string to;
  std::string subject;
  std::string dateFrom;  // YYYY-MM-DD
  std::string dateTo;
};

// The terms the form makes, in the form parseQuery takes.
std::vector<std::string> searchTerms(const WordSearchForm& form);

enum class WordSearchResult {
  Found,    // ids holds the messages (perhaps none) and they are stored as the result set
  Refused,  // the query was not searched: no words, a bad term, only stop words, no usable index (said)
  Stopped,  // the user stopped it at the pause
  Failed,   // a table could not be read or the set not stored (reported)
};

struct WordSearchOutcome {
  WordSearchResult result = WordSearchResult::Refused;
  std::vector<std::uint32_t> ids;  // newest first
  wordindex::SearchQuery query;    // for the hits in the shown messages
};

// Searches the active database for the form's terms and, when it found,
// stores the set (storeResultSet). Tells the user through `ui` why a query
// was not searched, and which of its words were left out as stop words.
WordSearchOutcome runWordSearch(Context& ctx, UiPort& ui, const WordSearchForm& form);

}  // namespace qv::app
