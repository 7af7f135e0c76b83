#pragma once
// Searching the active database's word index: the messages that hold the
// query's words, newest first, and for a shown message the places of the
// hits in the text the browse shows.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/context.h"
#include "wordindex/index_settings.h"
#include "wordindex/message_texts.h"
#include "wordindex/search_query.h"

namespace qv::wordindex {

enum class SearchResult {
  Found,           // ids holds the messages (perhaps none)
  OnlyStopWords,   // every word of the query is a stop word; nothing was searched
  IndexNotReady,   // the index is missing or must be rebuilt; note says which
  Stopped,         // the user stopped it at the pause
  Failed,          // a table could not be read (reported)
};

// What the search read of a result to filter and order it; a listing of the
// results takes its lines from here instead of reading each message again.
struct FoundHeader {
  std::uint32_t id = 0;
  std::int32_t date = 0;
  std::int32_t time = 0;  // mail only: forum messages carry no time
  std::uint32_t fromId = 0;
  std::uint32_t toId = 0;
  std::uint32_t thread = 0;  // forum messages: the thread, whose heading is their subject
  std::string subject;       // mail: its own subject, trailing blanks removed
};

// The header of message or mail `id` of the active database, read from its
// record (Mail or MsgNmbr, which the caller keeps open); nullopt when it is
// not there. Buffers changed: ctx.mai or ctx.msg.
std::optional<FoundHeader> readFoundHeader(Context& ctx, std::uint32_t id, bool mail);

struct SearchOutcome {
  SearchResult result = SearchResult::Found;
  std::vector<std::uint32_t> ids;       // message numbers or mail identifiers, newest first
  std::vector<FoundHeader> headers;     // the same results' headers, in the same order
  std::vector<std::string> stopWords;   // words of the query left out as stop words
  std::string note;
  std::int64_t rowsRead = 0;            // occurrence rows read
};

// A hit in the shown text: [start, end).
struct HitRange {
  std::int64_t start = 0;
  std::int64_t end = 0;
  friend bool operator==(const HitRange&, const HitRange&) = default;
};

class Searcher {
 public:
  explicit Searcher(Context& ctx);

  SearchOutcome run(const SearchQuery& query);
  // The hits of the query in message `m`, in ascending start order; a
  // phrase is one range from its first word to its last.
  std::vector<HitRange> hits(const SearchQuery& query, const MessageText& m) const;

 private:
  // The cutting rules, loaded when first needed: a search of plain words
  // does not cut texts.
  const CuttingRules& rules() const;

  Context& ctx_;
  IndexSettings settings_;
  mutable std::optional<CuttingRules> rules_;
};

}  // namespace qv::wordindex
