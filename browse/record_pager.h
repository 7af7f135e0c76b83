#pragma once
// The paging under every browse view, for messages (MsgNmbr) and mails
// (Mail) alike: a view either walks the record table through one of its keys
// (kept to one limiting value or not), or walks a list of rows that name
// messages — the occurrences of a word, the links of a topic, a search
// result set — and shows each row as its message. Neither loads the table:
// every call reads one page.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/context.h"

namespace qv::browse {

// How the pagers reach a record type's buffer, identifier and key.
template <class R>
struct BrowseRecord;

template <>
struct BrowseRecord<MsgNmbr> {
  static MsgNmbr& buffer(Context& ctx) { return ctx.msg; }
  static std::uint32_t id(const MsgNmbr& m) { return m.MSGNUMBER; }
  static void setId(MsgNmbr& m, std::uint32_t id) { m.MSGNUMBER = id; }
  static constexpr engine::KeyRef idKey = MsgNmbr::IdKey;
};

template <>
struct BrowseRecord<Mail> {
  static Mail& buffer(Context& ctx) { return ctx.mai; }
  static std::uint32_t id(const Mail& m) { return m.MAILID; }
  static void setId(Mail& m, std::uint32_t id) { m.MAILID = id; }
  static constexpr engine::KeyRef idKey = Mail::IdKey;
};

template <class R>
class RecordPager {
 public:
  virtual ~RecordPager() = default;
  // Up to `count` records from the top of the view.
  virtual std::vector<R> first(std::size_t count) = 0;
  // Up to `count` records from the end of the view, in the view's order.
  virtual std::vector<R> last(std::size_t count) = 0;
  // Up to `count` records after (or before, nearest first) record `from`
  // of the view; nothing when `from` is not in the view.
  virtual std::vector<R> after(std::uint32_t from, std::size_t count) = 0;
  virtual std::vector<R> before(std::uint32_t from, std::size_t count) = 0;
  // Record `id` when it is one of the view's.
  virtual std::optional<R> at(std::uint32_t id) = 0;
  // The first record of the view at or after `seed` in the view's key; when
  // every record of the view lies before it, the last one. Nothing in an
  // empty view. Only keyed views locate.
  virtual std::optional<R> locate(const R& seed) = 0;
};

// A keyed view: the key, and for a limited view which records belong to the
// limit and the lowest key values the limit starts at.
template <class R>
struct KeyedView {
  engine::KeyRef key;
  bool (*holds)(const R& record, const R& limit) = nullptr;  // null: not limited
  R limit{};  // the limit's key values, the rest at their first-in-key value
};

template <class R>
std::unique_ptr<RecordPager<R>> keyedPager(Context& ctx, const KeyedView<R>& view);

// The rows a listed view walks.
enum class RowList : std::uint8_t {
  Word,       // MasIdx rows of one word (MAS:by_WordId)
  Topic,      // SIndex rows of one topic (SIN:IdKey)
  ResultSet,  // the browse's search result set, in its order
};

struct ListedView {
  RowList list = RowList::Word;
  std::uint32_t id = 0;              // the word's or topic's identifier
  std::vector<std::uint32_t> ids;    // ResultSet: the set
};

// A row whose message no longer exists is passed over.
template <class R>
std::unique_ptr<RecordPager<R>> listedPager(Context& ctx, ListedView view);

}  // namespace qv::browse
