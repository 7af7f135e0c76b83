#pragma once
// A word search as the user writes it: words that must all be in a message,
// words of which one must be ("OR" between two words puts both there), a
// word ending in "*" standing for every indexed word it begins, and field
// terms that narrow the search through the message headers:
//   from:NAME  to:NAME  subject:WORD  date:YYYY-MM-DD..YYYY-MM-DD
// (either end of the date range may be left open). In phrase mode the words
// must stand next to each other in the text, in the order given.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::wordindex {

struct SearchQuery {
  std::vector<std::string> andWords;  // upper case; a prefix ends in '*'
  std::vector<std::string> orWords;
  bool phrase = false;
  std::string from;     // upper case, found anywhere in the sender's name or address
  std::string to;       // the same for the receiver
  std::string subject;  // upper case, a word of the subject
  std::optional<std::int32_t> dateFrom;  // day numbers, inclusive
  std::optional<std::int32_t> dateTo;

  bool hasWords() const { return !andWords.empty() || !orWords.empty(); }
  bool hasFields() const { return !from.empty() || !to.empty() || !subject.empty() || dateFrom || dateTo; }
};

inline constexpr char kPrefixMark = '*';
inline constexpr std::string_view kOrWord = "OR";

// Parses the terms (Windows-1252). Empty when they make a query; otherwise
// why not.
std::string parseQuery(const std::vector<std::string>& terms, bool phrase, SearchQuery& query);

// "YYYY-MM-DD" as a day number; nothing when it is not a real date.
std::optional<std::int32_t> parseDay(std::string_view text);

// Whether an indexed word matches a query word (exactly, or by prefix).
bool matches(std::string_view queryWord, std::string_view word);

}  // namespace qv::wordindex
