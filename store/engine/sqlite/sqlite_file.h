#pragma once
// The TOPSPEED and DAT drivers: a declared table kept in a SQLite (SQLCipher)
// file of its own. See schema.h for the file layout and README.md for the
// design (sessions, transactions over several files, walks).

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/engine/driver.h"
#include "store/engine/engine.h"
#include "store/engine/lock_file.h"
#include "store/engine/sqlite/conn.h"
#include "store/engine/sqlite/schema.h"

namespace qv::engine::sql {

class HubManager;

class SqliteFile final : public DriverFile {
 public:
  explicit SqliteFile(FileBinding& b);
  ~SqliteFile() override;

  Status open(OpenMode mode) override;
  void close() override;
  bool isOpen() const override { return own_.isOpen(); }
  Status create() override;
  Status remove() override;

  Status get(const KeyDecl& k) override;
  Status getPosition(Position pos) override;
  Status set(const KeyDecl* k, bool fromBuffer) override;
  Status setPosition(const KeyDecl* k, Position pos) override;
  Status next() override { return step(Direction::Forward); }
  Status previous() override { return step(Direction::Backward); }

  Status add(std::size_t length) override;
  Status append(std::size_t length) override;
  Status put() override;
  Status erase() override;

  void hold(int seconds) override { pendingHold_ = seconds; }
  void release() override;
  Status lock(int seconds) override;
  void unlock() override;
  Status stream() override;
  Status flush() override;
  Status beginReading() override;
  void endReading() override;

  Status records(std::int64_t& n) override;
  Status empty() override;
  Status build() override;
  Status buildKey(const KeyDecl& k) override;
  Status pack() override;
  Position position() const override { return current_; }
  bool inTransaction() const override { return inTxn; }
  bool isLocked() const override { return fileLocked_; }
  std::uint64_t storedDataBytes() override;

  // --- for the session's transaction manager ---
  Conn& own() { return own_; }
  const TableDecl& decl() const { return b_.decl; }
  const std::filesystem::path& path() const { return b_.name; }
  // Files attached to this one's connection, and the file whose connection
  // this one is attached to (with the schema name it has there).
  SqliteFile* hub = nullptr;
  std::string hubSchema;
  std::vector<SqliteFile*> attached;
  bool inTxn = false;  // a member of the running transaction
  // Drops the statements prepared on the hub's connection (before a detach).
  void dropHubStatements() { hubCache_.clear(); }
  // Ends a stream on whatever connection it runs (before re-routing).
  Status endStream();
  // Raises the shared change count: walks of every session re-read.
  void noteChange();
  // The engine's settings as they apply to this table.
  Tuning tuning() const;

 private:
  struct Route {
    Conn* conn;
    const std::string* schema;
    std::unordered_map<int, Stmt>* cache;
  };
  enum class Anchor { Start, Value, After, At };
  // Records read ahead by a walk, kept in buffers that are reused from batch
  // to batch so a long walk allocates nothing per record.
  struct ReadAhead {
    std::vector<unsigned char> records;  // count × record size
    std::vector<std::string> memos;
    std::vector<Position> positions;
    std::size_t next = 0;  // index of the first record not yet returned
    std::size_t count = 0;
    bool empty() const { return next >= count; }
  };
  struct Walk {
    bool active = false;
    int key = -1;  // -1: file order
    Anchor anchor = Anchor::Start;
    std::vector<unsigned char> values;  // record bytes holding the anchor's key values
    Position pos = 0;
    ReadAhead ahead;
    Direction aheadDir = Direction::Forward;
    std::uint64_t aheadStamp = 0;
    std::size_t batch = 1;
  };

  Route route();
  // The connection a read burst keeps its read transaction open on.
  Conn* reading_ = nullptr;
  // The statement `id` of the route, prepared from makeSql() the first time.
  template <class MakeSql>
  Status prepared(Route& r, int id, MakeSql&& makeSql, sqlite3_stmt*& st) {
    auto it = r.cache->find(id);
    if (it == r.cache->end()) {
      Stmt made;
      if (Status s = r.conn->prepare(makeSql(), made); !s.ok()) return s;
      it = r.cache->emplace(id, std::move(made)).first;
    }
    st = it->second.get();
    return {};
  }
  Status prepareKeyQuery(Route& r, const KeyDecl* k, Direction dir, int branch, sqlite3_stmt*& st);
  Status step(Direction dir);
  Status fetch(Direction dir, std::size_t limit);
  Status takeHold(Position pos);
  Status loadMeta();
  // Makes an empty table file of the declaration under the name `tmp`.
  Status buildEmpty(const std::filesystem::path& tmp);
  Status writeMeta(Route& r, const std::string& key, const std::string& value);
  Status rebuildKeys(const KeyDecl* only);
  Status dropKeysForAppend(Route& r);
  Status insert(bool keepKeys);
  std::string metaValue(const std::string& key) const;

  Conn own_;
  LockFile lockFile_;
  std::shared_ptr<SharedFileState> shared_;
  std::unordered_map<int, Stmt> ownCache_;
  std::unordered_map<int, Stmt> hubCache_;
  std::unordered_map<std::string, std::string> meta_;
  const std::string mainSchema_ = "main";
  OpenMode mode_ = OpenMode::ReadWriteShared;
  bool keysValid_ = true;
  bool streaming_ = false;
  Conn* streamConn_ = nullptr;
  Position current_ = 0;
  bool haveCurrent_ = false;
  int pendingHold_ = -1;
  Position held_ = -1;
  bool fileLocked_ = false;
  Walk walk_;
};

}  // namespace qv::engine::sql
