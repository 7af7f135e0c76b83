#pragma once
// A session: one thread of work's view of the engine. Each thread has its own
// session (its table handles, connections, transaction); sessions of one
// process and of different processes see each other's holds, locks and
// transactions through the files themselves.

#include <chrono>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "store/engine/errors.h"

namespace qv::engine {

class Engine;
class File;
namespace sql {
class HubManager;
}

class Session {
 public:
  explicit Session(Engine& engine);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Engine& engine() { return engine_; }

  // Starts a transaction over the given open tables (at most 11), waiting up
  // to `seconds` for locks held elsewhere (then UnableToLock). Until commit or
  // rollback, the writes of this session to those tables are all-or-nothing,
  // also across a crash; writes to other tables are not part of it.
  Err logout(int seconds, std::initializer_list<File*> files);
  Err logout(int seconds, const std::vector<File*>& files);
  // The same, waiting only `wait` for the locks; once they are taken the
  // transaction's statements (its commit included) wait as long as ordinary
  // operations do. For callers that must not sit on another lock while they
  // wait for these.
  Err logoutWithin(std::chrono::milliseconds wait, std::initializer_list<File*> files);
  Err commit();
  Err rollback();
  bool inTransaction() const;

  // The outcome of the session's last engine operation.
  Err error() const { return status_.err; }
  const std::string& errorText() const { return status_.text; }
  void note(const Status& s) { status_ = s; }

  sql::HubManager& hubs() { return *hubs_; }

 private:
  Err noteErr(Status s) {
    status_ = std::move(s);
    return status_.err;
  }
  Engine& engine_;
  std::unique_ptr<sql::HubManager> hubs_;
  Status status_;
};

}  // namespace qv::engine
