#pragma once
// Thin ownership wrappers around SQLite (SQLCipher) connections and
// statements, and the translation of SQLite's result codes into the engine's
// error codes. Nothing outside store/engine/sqlite sees SQLite.

#include <sqlcipher/sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "store/engine/engine.h"
#include "store/engine/errors.h"

namespace qv::engine::sql {

class Stmt {
 public:
  Stmt() = default;
  ~Stmt() { sqlite3_finalize(st_); }
  Stmt(Stmt&& o) noexcept : st_(o.st_) { o.st_ = nullptr; }
  Stmt& operator=(Stmt&& o) noexcept {
    if (this != &o) {
      sqlite3_finalize(st_);
      st_ = o.st_;
      o.st_ = nullptr;
    }
    return *this;
  }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  sqlite3_stmt* get() const { return st_; }
  sqlite3_stmt** out() { return &st_; }
  explicit operator bool() const { return st_ != nullptr; }

 private:
  sqlite3_stmt* st_ = nullptr;
};

// Resets a statement when the scope ends, so that no statement keeps a read
// lock on its file between engine operations.
class ResetOnExit {
 public:
  explicit ResetOnExit(sqlite3_stmt* st) : st_(st) {}
  ~ResetOnExit() { sqlite3_reset(st_); }
  ResetOnExit(const ResetOnExit&) = delete;
  ResetOnExit& operator=(const ResetOnExit&) = delete;

 private:
  sqlite3_stmt* st_;
};

// One connection, with the state the engine keeps about its transactions.
class Conn {
 public:
  Conn() = default;
  ~Conn();
  Conn(const Conn&) = delete;
  Conn& operator=(const Conn&) = delete;

  // Opens an existing file (or, with `create`, makes a new one), keyed with
  // `ownerPassword` when it is not empty, and applies the engine's tuning.
  Status open(const std::filesystem::path& path, bool readOnly, bool create, const std::string& ownerPassword,
              const Tuning& tuning);
  void close();
  sqlite3* db() const { return db_; }
  bool isOpen() const { return db_ != nullptr; }

  Status exec(const std::string& sql, Err onBusy = Err::RecordNotAvailable);
  Status prepare(const std::string& sql, Stmt& st);
  // Applies the tuning pragmas to one schema of this connection.
  Status tune(const std::string& schema, const Tuning& tuning);
  void setBusyMs(int ms);

  // Transaction state: `txn` while a transaction started by Session::logout
  // runs on this connection; `streams` counts files streaming through it.
  bool txn = false;
  int streams = 0;
  // Opens the SQL transaction that streaming uses, unless one is running.
  Status beginStream();
  Status endStream();

 private:
  sqlite3* db_ = nullptr;
};

// Maps a SQLite result code to an engine status; `onBusy` is the code a lock
// held elsewhere turns into in the caller's situation.
Status fromSqlite(int rc, sqlite3* db, Err onBusy = Err::RecordNotAvailable);

// The key text SQLCipher takes for a table's owner password ("x'…'", a raw
// 256-bit key). The password is the same in every build, so a slow key
// derivation would protect nothing; the expansion below is fixed.
std::string rawKeyFor(const std::string& ownerPassword);

// Registers the collation that key text columns use ("QVCASE": Windows-1252
// letter case ignored, trailing blanks ignored).
void registerCollation(sqlite3* db);

}  // namespace qv::engine::sql
