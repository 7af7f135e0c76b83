#include "browse/record_pager.h"

#include <algorithm>
#include <deque>
#include <limits>

#include "store/table_use.h"
#include "wordindex/index_tables.h"

namespace qv::browse {

using engine::Err;

namespace {

template <class R>
class KeyedPager final : public RecordPager<R> {
 public:
  KeyedPager(Context& ctx, const KeyedView<R>& view) : ctx_(ctx), view_(view) {}

  std::vector<R> first(std::size_t count) override {
    TableUse use(ctx_, {R::FileNo});
    engine::File& records = ctx_.fileOf<R>();
    Err e;
    if (view_.holds) {
      T::buffer(ctx_) = view_.limit;
      e = records.setFrom(view_.key);
    } else {
      e = records.set(view_.key);
    }
    return e == Err::Ok ? walk(records, true, count, false) : std::vector<R>{};
  }

  std::vector<R> last(std::size_t count) override {
    TableUse use(ctx_, {R::FileNo});
    engine::File& records = ctx_.fileOf<R>();
    std::vector<R> out;
    if (!view_.holds) {
      // The whole key: walk back from its end.
      if (records.set(view_.key) != Err::Ok) return out;
      out = walk(records, false, count, false);
      std::reverse(out.begin(), out.end());
      return out;
    }
    // A limit's end has no key value of its own; a limited view holds one
    // thread's or person's messages, so walking it forward keeps the tail.
    T::buffer(ctx_) = view_.limit;
    if (records.setFrom(view_.key) != Err::Ok) return out;
    std::deque<R> tail;
    while (records.next() == Err::Ok && inView(T::buffer(ctx_))) {
      tail.push_back(T::buffer(ctx_));
      if (tail.size() > count) tail.pop_front();
    }
    return {tail.begin(), tail.end()};
  }

  std::vector<R> after(std::uint32_t from, std::size_t count) override { return beside(from, count, true); }
  std::vector<R> before(std::uint32_t from, std::size_t count) override { return beside(from, count, false); }

  std::optional<R> at(std::uint32_t id) override {
    TableUse use(ctx_, {R::FileNo});
    T::buffer(ctx_) = R{};
    T::setId(T::buffer(ctx_), id);
    if (ctx_.fileOf<R>().get(T::idKey) != Err::Ok || !inView(T::buffer(ctx_))) return std::nullopt;
    return T::buffer(ctx_);
  }

  std::optional<R> locate(const R& seed) override {
    TableUse use(ctx_, {R::FileNo});
    engine::File& records = ctx_.fileOf<R>();
    T::buffer(ctx_) = seed;
    if (records.setFrom(view_.key) == Err::Ok && records.next() == Err::Ok && inView(T::buffer(ctx_)))
      return T::buffer(ctx_);
    // Everything of the view lies before the seed: its last record.
    T::buffer(ctx_) = seed;
    if (records.setFrom(view_.key) == Err::Ok && records.previous() == Err::Ok && inView(T::buffer(ctx_)))
      return T::buffer(ctx_);
    return std::nullopt;
  }

 private:
  using T = BrowseRecord<R>;

  bool inView(const R& r) const { return !view_.holds || view_.holds(r, view_.limit); }

  std::vector<R> walk(engine::File& records, bool forward, std::size_t count, bool skipFirst) {
    std::vector<R> out;
    bool skip = skipFirst;
    while (out.size() < count && (forward ? records.next() : records.previous()) == Err::Ok) {
      if (!inView(T::buffer(ctx_))) break;
      if (skip) {
        skip = false;
        continue;
      }
      out.push_back(T::buffer(ctx_));
    }
    return out;
  }

  std::vector<R> beside(std::uint32_t from, std::size_t count, bool forward) {
    TableUse use(ctx_, {R::FileNo});
    engine::File& records = ctx_.fileOf<R>();
    T::buffer(ctx_) = R{};
    T::setId(T::buffer(ctx_), from);
    if (records.get(T::idKey) != Err::Ok || !inView(T::buffer(ctx_))) return {};
    if (records.setPosition(view_.key, records.position()) != Err::Ok) return {};
    return walk(records, forward, count, true);
  }

  Context& ctx_;
  KeyedView<R> view_;
};

// The rows of a listed view. After toRow, the next step in either direction
// gives that row itself.
class Rows {
 public:
  virtual ~Rows() = default;
  virtual bool open() { return true; }
  virtual bool toStart() = 0;
  // After toEnd, stepping backwards gives the last row.
  virtual bool toEnd() = 0;
  virtual bool toRow(std::uint32_t id) = 0;
  virtual std::optional<std::uint32_t> step(bool forward) = 0;
};

class WordRows final : public Rows {
 public:
  WordRows(Context& ctx, std::uint32_t word) : ctx_(ctx), word_(word) {}

  bool open() override {
    table_ = std::make_unique<wordindex::IndexTable>(ctx_, MasIdx::FileNo);
    return table_->status() == Err::Ok;
  }
  bool toStart() override {
    ctx_.mas = MasIdx{};
    ctx_.mas.WORDID = word_;
    return table_->file().setFrom(MasIdx::by_WordId) == Err::Ok;
  }
  // A walk back from a key value starts at the last row holding it.
  bool toEnd() override {
    ctx_.mas = MasIdx{};
    ctx_.mas.WORDID = word_;
    ctx_.mas.SYSID = std::numeric_limits<std::uint32_t>::max();  // after the word's last message
    return table_->file().setFrom(MasIdx::by_WordId) == Err::Ok;
  }
  bool toRow(std::uint32_t id) override {
    engine::File& rows = table_->file();
    ctx_.mas = MasIdx{};
    ctx_.mas.SYSID = id;
    ctx_.mas.WORDID = word_;
    return rows.get(MasIdx::by_WordId) == Err::Ok && rows.setPosition(MasIdx::by_WordId, rows.position()) == Err::Ok;
  }
  std::optional<std::uint32_t> step(bool forward) override {
    engine::File& rows = table_->file();
    if ((forward ? rows.next() : rows.previous()) != Err::Ok || ctx_.mas.WORDID != word_) return std::nullopt;
    return std::uint32_t{ctx_.mas.SYSID};
  }

 private:
  Context& ctx_;
  std::uint32_t word_;
  std::unique_ptr<wordindex::IndexTable> table_;
};

class TopicRows final : public Rows {
 public:
  TopicRows(Context& ctx, std::uint32_t topic) : ctx_(ctx), topic_(topic), use_(ctx, {SIndex::FileNo}) {}

  bool open() override { return ctx_.fileOf<SIndex>().isOpen(); }
  bool toStart() override {
    ctx_.sin = SIndex{};
    ctx_.sin.ID = topic_;
    ctx_.sin.MSGNUMBER = std::numeric_limits<std::uint32_t>::max();  // numbers stand highest first
    return ctx_.fileOf<SIndex>().setFrom(SIndex::IdKey) == Err::Ok;
  }
  bool toEnd() override {
    ctx_.sin = SIndex{};
    ctx_.sin.ID = topic_;
    ctx_.sin.MSGNUMBER = 0;  // the lowest number stands last
    return ctx_.fileOf<SIndex>().setFrom(SIndex::IdKey) == Err::Ok;
  }
  bool toRow(std::uint32_t id) override {
    engine::File& rows = ctx_.fileOf<SIndex>();
    ctx_.sin = SIndex{};
    ctx_.sin.ID = topic_;
    ctx_.sin.MSGNUMBER = id;
    return rows.get(SIndex::IdKey) == Err::Ok && rows.setPosition(SIndex::IdKey, rows.position()) == Err::Ok;
  }
  std::optional<std::uint32_t> step(bool forward) override {
    engine::File& rows = ctx_.fileOf<SIndex>();
    if ((forward ? rows.next() : rows.previous()) != Err::Ok || ctx_.sin.ID != topic_) return std::nullopt;
    return std::uint32_t{ctx_.sin.MSGNUMBER};
  }

 private:
  Context& ctx_;
  std::uint32_t topic_;
  TableUse use_;
};

class ResultRows final : public Rows {
 public:
  explicit ResultRows(const std::vector<std::uint32_t>& ids) : ids_(ids) {}

  bool toStart() override {
    at_ = -1;
    pending_ = false;
    return true;
  }
  bool toEnd() override {
    at_ = static_cast<std::ptrdiff_t>(ids_.size());
    pending_ = false;
    return true;
  }
  bool toRow(std::uint32_t id) override {
    for (std::size_t i = 0; i < ids_.size(); ++i)
      if (ids_[i] == id) {
        at_ = static_cast<std::ptrdiff_t>(i);
        pending_ = true;
        return true;
      }
    return false;
  }
  std::optional<std::uint32_t> step(bool forward) override {
    if (pending_) {
      pending_ = false;
    } else {
      at_ += forward ? 1 : -1;
    }
    if (at_ < 0 || at_ >= static_cast<std::ptrdiff_t>(ids_.size())) return std::nullopt;
    return ids_[static_cast<std::size_t>(at_)];
  }

 private:
  const std::vector<std::uint32_t>& ids_;
  std::ptrdiff_t at_ = -1;
  bool pending_ = false;
};

template <class R>
class ListedPager final : public RecordPager<R> {
 public:
  ListedPager(Context& ctx, ListedView view) : ctx_(ctx), view_(std::move(view)) {}

  std::vector<R> first(std::size_t count) override { return page(std::nullopt, count, true); }
  std::vector<R> last(std::size_t count) override {
    std::vector<R> out = page(std::nullopt, count, false);
    std::reverse(out.begin(), out.end());
    return out;
  }
  std::vector<R> after(std::uint32_t from, std::size_t count) override { return page(from, count, true); }
  std::vector<R> before(std::uint32_t from, std::size_t count) override { return page(from, count, false); }
  std::optional<R> at(std::uint32_t id) override {
    TableUse use(ctx_, {R::FileNo});
    const std::unique_ptr<Rows> list = rows();
    if (!list->open() || !list->toRow(id)) return std::nullopt;
    T::buffer(ctx_) = R{};
    T::setId(T::buffer(ctx_), id);
    if (ctx_.fileOf<R>().get(T::idKey) != Err::Ok) return std::nullopt;
    return T::buffer(ctx_);
  }
  std::optional<R> locate(const R&) override { return std::nullopt; }

 private:
  using T = BrowseRecord<R>;

  std::unique_ptr<Rows> rows() {
    switch (view_.list) {
      case RowList::Word: return std::make_unique<WordRows>(ctx_, view_.id);
      case RowList::Topic: return std::make_unique<TopicRows>(ctx_, view_.id);
      case RowList::ResultSet: return std::make_unique<ResultRows>(view_.ids);
    }
    return nullptr;
  }

  // Rows from the start, or beside the row of message `from` (excluded).
  std::vector<R> page(std::optional<std::uint32_t> from, std::size_t count, bool forward) {
    std::vector<R> out;
    TableUse use(ctx_, {R::FileNo});
    engine::File& records = ctx_.fileOf<R>();
    const std::unique_ptr<Rows> list = rows();
    if (!list->open()) return out;
    if (!(from ? list->toRow(*from) : forward ? list->toStart() : list->toEnd())) return out;
    if (from) list->step(forward);
    const engine::ReadBurst reading{&records};
    while (out.size() < count) {
      const std::optional<std::uint32_t> id = list->step(forward);
      if (!id) break;
      T::buffer(ctx_) = R{};
      T::setId(T::buffer(ctx_), *id);
      if (records.get(T::idKey) == Err::Ok) out.push_back(T::buffer(ctx_));
    }
    return out;
  }

  Context& ctx_;
  ListedView view_;
};

}  // namespace

template <class R>
std::unique_ptr<RecordPager<R>> keyedPager(Context& ctx, const KeyedView<R>& view) {
  return std::make_unique<KeyedPager<R>>(ctx, view);
}

template <class R>
std::unique_ptr<RecordPager<R>> listedPager(Context& ctx, ListedView view) {
  return std::make_unique<ListedPager<R>>(ctx, std::move(view));
}

template std::unique_ptr<RecordPager<MsgNmbr>> keyedPager(Context&, const KeyedView<MsgNmbr>&);
template std::unique_ptr<RecordPager<Mail>> keyedPager(Context&, const KeyedView<Mail>&);
template std::unique_ptr<RecordPager<MsgNmbr>> listedPager(Context&, ListedView);
template std::unique_ptr<RecordPager<Mail>> listedPager(Context&, ListedView);

}  // namespace qv::browse
