// Reading a SQLite-kept table: gets by key and by position, and walks.
//
// A walk never keeps a statement open between calls (an open statement would
// hold a read lock and stall the writers of other sessions). Instead it
// remembers where it stands (the key values and position of the last record
// it returned) and reads ahead a small batch from there. The batch is dropped
// whenever any session of this process writes to the file, so records added,
// changed or deleted between calls are seen; writes of other processes are
// seen from the next batch on. The batch grows from 1 to Tuning::walkBatch
// while it is used up without interruption.
#include <climits>
#include <cstring>

#include "store/engine/sqlite/row_codec.h"
#include "store/engine/sqlite/sqlite_file.h"

namespace qv::engine::sql {

namespace {
Status notAvailable() { return {Err::RecordNotAvailable, defaultText(Err::RecordNotAvailable)}; }
Status notFound() { return {Err::RecordNotFound, defaultText(Err::RecordNotFound)}; }
}  // namespace

Status SqliteFile::prepareKeyQuery(Route& r, const KeyDecl* k, Direction dir, int branch, sqlite3_stmt*& st) {
  const int keyIndex = k != nullptr ? static_cast<int>(k - b_.decl.keys.data()) : -1;
  const int id = 1000 * (keyIndex + 2) + 100 * (dir == Direction::Forward ? 0 : 1) + (branch + 2);
  return prepared(r, id, [&] { return keyQuery(b_.decl, k, *r.schema, dir, branch); }, st);
}

Status SqliteFile::get(const KeyDecl& k) {
  Route r = route();
  sqlite3_stmt* st = nullptr;
  if (Status s = prepareKeyQuery(r, &k, Direction::Forward, -2, st); !s.ok()) return s;
  ResetOnExit reset(st);
  bindKey(st, b_.decl, k, b_.record);
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) {
    pendingHold_ = -1;
    return notFound();
  }
  if (rc != SQLITE_ROW) return fromSqlite(rc, r.conn->db());
  if (Status s = takeHold(sqlite3_column_int64(st, 0)); !s.ok()) return s;
  current_ = loadRow(st, b_.decl, b_.record, b_.memo);
  haveCurrent_ = true;
  return {};
}

Status SqliteFile::getPosition(Position pos) {
  Route r = route();
  sqlite3_stmt* st = nullptr;
  auto sql = [&] {
    return "SELECT " + selectColumns(b_.decl) + " FROM " + quoted(*r.schema) + ".rec WHERE " + positionIs(b_.decl, "?1");
  };
  if (Status s = prepared(r, 4, sql, st); !s.ok()) return s;
  ResetOnExit reset(st);
  sqlite3_bind_int64(st, 1, pos);
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_DONE) {
    pendingHold_ = -1;
    return notFound();
  }
  if (rc != SQLITE_ROW) return fromSqlite(rc, r.conn->db());
  if (Status s = takeHold(pos); !s.ok()) return s;
  current_ = loadRow(st, b_.decl, b_.record, b_.memo);
  haveCurrent_ = true;
  return {};
}

Status SqliteFile::set(const KeyDecl* k, bool fromBuffer) {
  walk_ = Walk{};
  walk_.active = true;
  walk_.key = k != nullptr ? static_cast<int>(k - b_.decl.keys.data()) : -1;
  if (fromBuffer && k != nullptr) {
    walk_.anchor = Anchor::Value;
    walk_.values.assign(b_.record, b_.record + b_.decl.recordSize);
  }
  return {};
}

Status SqliteFile::setPosition(const KeyDecl* k, Position pos) {
  // The walk starts at the record itself, so its key values are needed.
  std::vector<unsigned char> saved(b_.record, b_.record + b_.decl.recordSize);
  std::string savedMemo = b_.memo != nullptr ? *b_.memo : std::string();
  const int hold = pendingHold_;
  pendingHold_ = -1;
  Status s = getPosition(pos);
  pendingHold_ = hold;
  walk_ = Walk{};
  walk_.active = true;
  walk_.key = k != nullptr ? static_cast<int>(k - b_.decl.keys.data()) : -1;
  if (s.ok()) {
    walk_.anchor = Anchor::At;
    walk_.values.assign(b_.record, b_.record + b_.decl.recordSize);
    walk_.pos = pos;
  }
  std::memcpy(b_.record, saved.data(), saved.size());
  if (b_.memo != nullptr) *b_.memo = std::move(savedMemo);
  return s;
}

Status SqliteFile::fetch(Direction dir, std::size_t limit) {
  Route r = route();
  const KeyDecl* k = walk_.key >= 0 ? &b_.decl.keys[static_cast<std::size_t>(walk_.key)] : nullptr;
  const int n = k != nullptr ? static_cast<int>(k->components.size()) : 0;
  const bool fwd = dir == Direction::Forward;

  Position bound = 0;
  switch (walk_.anchor) {
    case Anchor::Start: break;
    case Anchor::Value: bound = fwd ? LLONG_MIN : LLONG_MAX; break;
    case Anchor::After: bound = walk_.pos; break;
    // In unsigned arithmetic: keyed positions use the whole 64 bits.
    case Anchor::At:
      bound = static_cast<Position>(static_cast<std::uint64_t>(walk_.pos) + (fwd ? ~std::uint64_t{0} : 1));
      break;
  }

  ReadAhead& ahead = walk_.ahead;
  const std::size_t size = b_.decl.recordSize;
  if (ahead.records.size() < limit * size) ahead.records.resize(limit * size);
  if (ahead.positions.size() < limit) ahead.positions.resize(limit);
  if (b_.memo != nullptr && ahead.memos.size() < limit) ahead.memos.resize(limit);
  ahead.next = 0;
  ahead.count = 0;

  auto run = [&](int branch) -> Status {
    sqlite3_stmt* st = nullptr;
    if (Status s = prepareKeyQuery(r, k, dir, branch, st); !s.ok()) return s;
    ResetOnExit reset(st);
    if (k != nullptr && branch >= 0) bindKey(st, b_.decl, *k, walk_.values.data());
    sqlite3_bind_int64(st, n + 1, bound);
    sqlite3_bind_int64(st, n + 2, static_cast<sqlite3_int64>(limit - ahead.count));
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      const std::size_t i = ahead.count++;
      ahead.positions[i] = loadRow(st, b_.decl, ahead.records.data() + i * size,
                                   b_.memo != nullptr ? &ahead.memos[i] : nullptr);
    }
    return rc == SQLITE_DONE ? Status{} : fromSqlite(rc, r.conn->db());
  };

  walk_.aheadDir = dir;
  walk_.aheadStamp = shared_ ? shared_->changes.load(std::memory_order_relaxed) : 0;
  if (walk_.anchor == Anchor::Start) return run(-1);
  // The queries of one batch share one read transaction: one lock and one
  // check for a journal to play back, instead of one per query.
  const bool own = sqlite3_get_autocommit(r.conn->db()) != 0;
  if (own) {
    if (Status s = r.conn->exec("BEGIN"); !s.ok()) return s;
  }
  Status s;
  for (int branch = n; branch >= 0 && ahead.count < limit && s.ok(); --branch) s = run(branch);
  if (own) r.conn->exec("COMMIT");
  return s;
}

Status SqliteFile::step(Direction dir) {
  if (!walk_.active) return notAvailable();
  const std::uint64_t stamp = shared_ ? shared_->changes.load(std::memory_order_relaxed) : 0;
  const bool usable = !walk_.ahead.empty() && walk_.aheadDir == dir && walk_.aheadStamp == stamp;
  if (!usable) {
    const std::size_t most = static_cast<std::size_t>(b_.engine.tuning().walkBatch) / (b_.decl.hasMemo() ? 16 : 1);
    // Grow the read-ahead only while batches are used up without a write between.
    const bool interrupted = !walk_.ahead.empty() || walk_.aheadStamp != stamp;
    walk_.batch = interrupted ? 1 : std::min(walk_.batch * 2, std::max<std::size_t>(most, 1));
    if (Status s = fetch(dir, walk_.batch); !s.ok()) return s;
    if (walk_.ahead.empty()) {
      pendingHold_ = -1;
      return notAvailable();
    }
  }
  ReadAhead& ahead = walk_.ahead;
  const std::size_t i = ahead.next;
  const Position pos = ahead.positions[i];
  if (Status s = takeHold(pos); !s.ok()) return s;
  const std::size_t size = b_.decl.recordSize;
  const unsigned char* rec = ahead.records.data() + i * size;
  std::memcpy(b_.record, rec, size);
  if (b_.memo != nullptr) b_.memo->swap(ahead.memos[i]);
  current_ = pos;
  haveCurrent_ = true;
  walk_.anchor = Anchor::After;
  walk_.values.assign(rec, rec + size);
  walk_.pos = pos;
  ++ahead.next;
  return {};
}

}  // namespace qv::engine::sql
