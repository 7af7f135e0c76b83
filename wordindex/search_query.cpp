#include "wordindex/search_query.h"

#include <charconv>

#include "store/charset.h"
#include "store/dates.h"

namespace qv::wordindex {

namespace {

std::string parseDates(std::string_view range, SearchQuery& q) {
  const std::size_t dots = range.find("..");
  const std::string_view first = dots == std::string_view::npos ? range : range.substr(0, dots);
  const std::string_view last = dots == std::string_view::npos ? range : range.substr(dots + 2);
  if (!first.empty() && !(q.dateFrom = parseDay(first))) return "\"" + std::string(first) + "\" is not a date (YYYY-MM-DD).";
  if (!last.empty() && !(q.dateTo = parseDay(last))) return "\"" + std::string(last) + "\" is not a date (YYYY-MM-DD).";
  if (!q.dateFrom && !q.dateTo) return "A date range needs at least one date: date:YYYY-MM-DD..YYYY-MM-DD.";
  if (q.dateFrom && q.dateTo && *q.dateFrom > *q.dateTo) return "The date range ends before it begins.";
  return {};
}

}  // namespace

std::optional<std::int32_t> parseDay(std::string_view text) {
  int y = 0, m = 0, d = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  auto num = [](std::string_view s, int& out) {
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
  };
  if (!num(text.substr(0, 4), y) || !num(text.substr(5, 2), m) || !num(text.substr(8, 2), d)) return std::nullopt;
  if (m < 1 || m > 12 || d < 1 || d > 31 || y < 1801) return std::nullopt;
  const std::int32_t day = dates::dayNumber(y, m, d);
  const dates::Ymd back = dates::fromDayNumber(day);
  if (back.month != m || back.day != d) return std::nullopt;
  return day;
}

bool matches(std::string_view queryWord, std::string_view word) {
  if (!queryWord.empty() && queryWord.back() == kPrefixMark) return word.starts_with(queryWord.substr(0, queryWord.size() - 1));
  return queryWord == word;
}

std::string parseQuery(const std::vector<std::string>& terms, bool phrase, SearchQuery& q) {
  q = SearchQuery{};
  q.phrase = phrase;
  std::vector<std::string> words;
  std::vector<bool> joined;  // joined[i]: an OR stands between words i-1 and i
  bool orPending = false;
  for (const std::string& term : terms) {
    const std::size_t colon = term.find(':');
    const std::string field = colon == std::string::npos ? std::string() : lower1252(term.substr(0, colon));
    const std::string value = colon == std::string::npos ? std::string() : term.substr(colon + 1);
    if (field == "from" || field == "to" || field == "subject" || field == "date") {
      if (value.empty()) return "The field term \"" + term + "\" has no value.";
      if (field == "from") q.from = upper1252(value);
      if (field == "to") q.to = upper1252(value);
      if (field == "subject") q.subject = upper1252(value);
      if (field == "date")
        if (std::string why = parseDates(value, q); !why.empty()) return why;
      continue;
    }
    if (term == kOrWord && !phrase) {
      if (words.empty()) return "\"OR\" must stand between two words.";
      orPending = true;
      continue;
    }
    const std::string word = upper1252(term);
    if (word.empty() || word == std::string(1, kPrefixMark)) continue;
    words.push_back(word);
    joined.push_back(orPending);
    orPending = false;
  }
  if (orPending) return "\"OR\" must stand between two words.";
  for (std::size_t i = 0; i < words.size(); ++i) {
    const bool inOr = joined[i] || (i + 1 < words.size() && joined[i + 1]);
    (inOr ? q.orWords : q.andWords).push_back(words[i]);
  }
  if (!q.hasWords() && !q.hasFields()) return "Give at least one word or field term to search for.";
  return {};
}

}  // namespace qv::wordindex
