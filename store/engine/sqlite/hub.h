#pragma once
// Transactions over several table files of one session.
//
// Every table handle has a SQLite connection of its own. A transaction over
// several tables runs on one of them, the hub: the other files are attached
// to the hub's connection, so SQLite's multi-file commit (a super-journal
// naming each file's rollback journal) makes the commit all-or-nothing, also
// across a crash. SQLite attaches at most 10 files to a connection, so a
// transaction spans at most 11 tables; the system's transactions (the tables
// of one database plus Control and Forums) fit.
//
// Attachments outlive the transaction: the next transaction over the same
// tables finds them in place and starts at once. While a transaction runs,
// files attached to the hub but not named by it go through their own
// connections, so their writes stay outside it.

#include <vector>

#include "store/engine/errors.h"

namespace qv::engine {
class File;
class Session;
}  // namespace qv::engine

namespace qv::engine::sql {

class SqliteFile;

class HubManager {
 public:
  explicit HubManager(Session& session) : session_(session) {}
  ~HubManager();
  HubManager(const HubManager&) = delete;
  HubManager& operator=(const HubManager&) = delete;

  void opened(SqliteFile* f);
  // A member closed during a transaction rolls the transaction back.
  void closing(SqliteFile* f);

  // Waits up to lockMs for the write locks; the transaction's further
  // statements wait up to runMs.
  Status logout(int lockMs, int runMs, const std::vector<File*>& files);
  Status commit();
  Status rollback();
  bool active() const { return hub_ != nullptr; }

 private:
  Status attach(SqliteFile* hub, SqliteFile* f);
  void detach(SqliteFile* f);
  void detachAllFrom(SqliteFile* hub);
  void finish();

  Session& session_;
  SqliteFile* hub_ = nullptr;
  std::vector<SqliteFile*> members_;
  unsigned counter_ = 0;
};

}  // namespace qv::engine::sql
