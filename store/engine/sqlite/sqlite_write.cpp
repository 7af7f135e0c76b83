// Writing a SQLite-kept table, and its holds, locks and streams.
#include "store/engine/sqlite/row_codec.h"
#include "store/engine/sqlite/sqlite_file.h"

namespace qv::engine::sql {

namespace {
Status notAvailable(const char* why) {
  return {Err::RecordNotAvailable, std::string(defaultText(Err::RecordNotAvailable)) + ": " + why};
}
}  // namespace

Status SqliteFile::insert(bool keepKeys) {
  Route r = route();
  if (mode_ == OpenMode::ReadOnlyShared) return {Err::AccessDenied, "The file is open read-only"};
  if (!keepKeys) {
    if (Status s = dropKeysForAppend(r); !s.ok()) return s;
  }
  sqlite3_stmt* st = nullptr;
  if (Status s = prepared(r, 1, [&] { return insertSql(b_.decl, *r.schema); }, st); !s.ok()) return s;
  ResetOnExit reset(st);
  bindRecord(st, b_.decl, b_.record, b_.memo);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_DONE) return fromSqlite(rc, r.conn->db());
  current_ = b_.decl.keyedPositions ? keyedPosition(b_.decl, b_.record) : sqlite3_last_insert_rowid(r.conn->db());
  haveCurrent_ = true;
  noteChange();
  return {};
}

Status SqliteFile::add(std::size_t) { return insert(true); }
Status SqliteFile::append(std::size_t) { return insert(false); }

Status SqliteFile::put() {
  if (!haveCurrent_) return notAvailable("no record has been read");
  if (mode_ == OpenMode::ReadOnlyShared) return {Err::AccessDenied, "The file is open read-only"};
  Route r = route();
  sqlite3_stmt* st = nullptr;
  if (Status s = prepared(r, 2, [&] { return updateSql(b_.decl, *r.schema); }, st); !s.ok()) return s;
  ResetOnExit reset(st);
  bindRecord(st, b_.decl, b_.record, b_.memo);
  sqlite3_bind_int64(st, static_cast<int>(b_.decl.fields.size()) + (b_.decl.hasMemo() ? 2 : 1), current_);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_DONE) return fromSqlite(rc, r.conn->db());
  noteChange();
  if (sqlite3_changes(r.conn->db()) == 0) return {Err::RecordNotFound, "The record has been deleted"};
  if (held_ == current_) release();
  // A keyed position moves with the identifying fields.
  if (b_.decl.keyedPositions) current_ = keyedPosition(b_.decl, b_.record);
  return {};
}

Status SqliteFile::erase() {
  if (!haveCurrent_) return notAvailable("no record has been read");
  if (mode_ == OpenMode::ReadOnlyShared) return {Err::AccessDenied, "The file is open read-only"};
  Route r = route();
  sqlite3_stmt* st = nullptr;
  auto sql = [&] { return "DELETE FROM " + quoted(*r.schema) + ".rec WHERE " + positionIs(b_.decl, "?1"); };
  if (Status s = prepared(r, 3, sql, st); !s.ok()) return s;
  ResetOnExit reset(st);
  sqlite3_bind_int64(st, 1, current_);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_DONE) return fromSqlite(rc, r.conn->db());
  noteChange();
  if (sqlite3_changes(r.conn->db()) == 0) return {Err::RecordNotFound, "The record has been deleted"};
  if (held_ == current_) release();
  haveCurrent_ = false;
  return {};
}

Status SqliteFile::takeHold(Position pos) {
  const int seconds = pendingHold_;
  pendingHold_ = -1;
  if (seconds < 0 || held_ == pos) return {};
  // A keyed position may use all 64 bits: it has no lock byte of its own.
  if (b_.decl.keyedPositions) return {Err::NotSupported, "Records of this table cannot be held"};
  release();
  if (!lockFile_.lock(LockFile::kFileLockByte, false, seconds))
    return notAvailable("the file is locked by another user");
  if (!lockFile_.lock(LockFile::kFirstRecordByte + pos, true, seconds)) {
    if (!fileLocked_) lockFile_.unlock(LockFile::kFileLockByte);
    return notAvailable("the record is held by another user");
  }
  held_ = pos;
  return {};
}

void SqliteFile::release() {
  if (held_ < 0) return;
  lockFile_.unlock(LockFile::kFirstRecordByte + held_);
  // The shared mark on the file-lock byte goes with the last hold, unless
  // this handle locks the whole file itself.
  if (!fileLocked_) lockFile_.unlock(LockFile::kFileLockByte);
  held_ = -1;
}

Status SqliteFile::lock(int seconds) {
  if (fileLocked_) return {};
  if (!lockFile_.lock(LockFile::kFileLockByte, true, seconds))
    return {Err::FileLocked, std::string(defaultText(Err::FileLocked)) + ": " + b_.name.string()};
  fileLocked_ = true;
  return {};
}

void SqliteFile::unlock() {
  if (!fileLocked_) return;
  fileLocked_ = false;
  if (held_ >= 0)
    lockFile_.lock(LockFile::kFileLockByte, false, 0);  // back to the shared mark of the hold
  else
    lockFile_.unlock(LockFile::kFileLockByte);
}

Status SqliteFile::stream() {
  if (streaming_) return {};
  Conn* c = route().conn;
  if (Status s = c->beginStream(); !s.ok()) return s;
  streaming_ = true;
  streamConn_ = c;
  return {};
}

Status SqliteFile::endStream() {
  if (!streaming_) return {};
  streaming_ = false;
  Conn* c = streamConn_;
  streamConn_ = nullptr;
  return c->endStream();
}

Status SqliteFile::beginReading() {
  if (reading_ != nullptr) return {};
  Route r = route();
  // Inside a transaction or a stream the reads share one already.
  if (sqlite3_get_autocommit(r.conn->db()) == 0) return {};
  if (Status s = r.conn->exec("BEGIN"); !s.ok()) return s;
  reading_ = r.conn;
  return {};
}

void SqliteFile::endReading() {
  if (reading_ == nullptr) return;
  if (sqlite3_get_autocommit(reading_->db()) == 0) reading_->exec("COMMIT");
  reading_ = nullptr;
}

Status SqliteFile::flush() {
  Status s = endStream();
  noteChange();
  return s;
}

}  // namespace qv::engine::sql
