#include "store/engine/sqlite/hub.h"

#include <algorithm>

#include "store/engine/file.h"
#include "store/engine/session.h"
#include "store/engine/sqlite/sqlite_file.h"

namespace qv::engine::sql {

namespace {
constexpr std::size_t kMaxAttached = 10;
Status error(Err e, const std::string& why) { return {e, std::string(defaultText(e)) + ": " + why}; }
// A file attached to a transaction is keyed with the engine's page size.
bool attachable(const SqliteFile& f) {
  const Tuning t = f.tuning();
  return f.decl().ownerPassword.empty() || t.ownPageSize == 0 || t.ownPageSize == t.pageSize;
}
}  // namespace

HubManager::~HubManager() {
  if (hub_ != nullptr) rollback();
}

void HubManager::opened(SqliteFile*) {}

void HubManager::closing(SqliteFile* f) {
  if (hub_ != nullptr && (f == hub_ || f->inTxn)) rollback();
  detachAllFrom(f);
  detach(f);
}

Status HubManager::attach(SqliteFile* hub, SqliteFile* f) {
  f->endStream();
  Conn& c = hub->own();
  const std::string schema = "a" + std::to_string(++counter_);
  Stmt st;
  if (Status s = c.prepare("ATTACH DATABASE ?1 AS \"" + schema + "\" KEY ?2", st); !s.ok()) return s;
  const std::string path = f->path().string();
  const std::string key = f->decl().ownerPassword.empty() ? std::string() : rawKeyFor(f->decl().ownerPassword);
  sqlite3_bind_text(st.get(), 1, path.c_str(), static_cast<int>(path.size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(st.get(), 2, key.c_str(), static_cast<int>(key.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(st.get());
  if (rc != SQLITE_DONE) return fromSqlite(rc, c.db(), Err::AccessDenied);
  st = Stmt();
  if (Status s = c.tune(schema, f->tuning()); !s.ok()) {
    c.exec("DETACH DATABASE \"" + schema + "\"");
    return s;
  }
  f->hub = hub;
  f->hubSchema = schema;
  hub->attached.push_back(f);
  return {};
}

void HubManager::detach(SqliteFile* f) {
  SqliteFile* hub = f->hub;
  if (hub == nullptr) return;
  f->dropHubStatements();
  hub->own().exec("DETACH DATABASE \"" + f->hubSchema + "\"");
  hub->attached.erase(std::remove(hub->attached.begin(), hub->attached.end(), f), hub->attached.end());
  f->hub = nullptr;
  f->hubSchema.clear();
}

void HubManager::detachAllFrom(SqliteFile* hub) {
  while (!hub->attached.empty()) detach(hub->attached.back());
}

Status HubManager::logout(int lockMs, int runMs, const std::vector<File*>& files) {
  if (hub_ != nullptr) return error(Err::TransactionActive, "commit or roll back the running transaction first");
  std::vector<SqliteFile*> fs;
  for (File* file : files) {
    if (!file->isOpen()) return error(Err::FileNotOpen, file->name().string());
    auto* f = dynamic_cast<SqliteFile*>(&file->driver());
    if (f == nullptr || !attachable(*f))
      return error(Err::NotSupported, file->name().string() + " cannot take part in a transaction");
    if (std::find(fs.begin(), fs.end(), f) == fs.end()) fs.push_back(f);
  }
  if (fs.empty()) return error(Err::NotSupported, "a transaction needs at least one table");
  if (fs.size() > kMaxAttached + 1) return error(Err::UnableToLock, "a transaction spans at most 11 tables");

  auto servedBy = [&](SqliteFile* h) {
    return h->hub == nullptr &&
           std::all_of(fs.begin(), fs.end(), [h](SqliteFile* f) { return f == h || f->hub == h; });
  };
  SqliteFile* hub = nullptr;
  for (SqliteFile* cand : fs)
    if (servedBy(cand)) {
      hub = cand;
      break;
    }
  if (hub == nullptr) {
    hub = fs.front();
    detach(hub);
    for (SqliteFile* f : fs) {
      if (f == hub || f->hub == hub) continue;
      detach(f);
      detachAllFrom(f);
      if (hub->attached.size() >= kMaxAttached) {
        auto outsider = std::find_if(hub->attached.begin(), hub->attached.end(), [&](SqliteFile* a) {
          return std::find(fs.begin(), fs.end(), a) == fs.end();
        });
        if (outsider != hub->attached.end()) detach(*outsider);
      }
      if (Status s = attach(hub, f); !s.ok()) return s;
    }
  }
  // A stream running on another connection is ended, or its open SQL
  // transaction would block the writes that now go through the hub.
  for (SqliteFile* f : fs)
    if (f != hub) f->endStream();

  Conn& c = hub->own();
  if (c.streams > 0) {
    if (Status s = c.exec("COMMIT"); !s.ok()) return s;
  }
  c.setBusyMs(lockMs);
  Status s = c.exec("BEGIN", Err::UnableToLock);
  // Each named file is locked for writing now (a statement that writes
  // nothing still takes the write lock), so the wait happens here.
  for (SqliteFile* f : fs) {
    if (!s.ok()) break;
    const std::string schema = f == hub ? "main" : f->hubSchema;
    s = c.exec("DELETE FROM \"" + schema + "\".qv_meta WHERE 0", Err::UnableToLock);
  }
  if (!s.ok()) {
    c.exec("ROLLBACK");
    c.setBusyMs(session_.engine().tuning().busyMs);
    if (c.streams > 0) c.exec("BEGIN");
    return s;
  }
  c.setBusyMs(runMs);
  c.txn = true;
  hub_ = hub;
  members_ = fs;
  for (SqliteFile* f : fs) f->inTxn = true;
  return {};
}

void HubManager::finish() {
  Conn& c = hub_->own();
  c.txn = false;
  c.setBusyMs(session_.engine().tuning().busyMs);
  if (c.streams > 0) c.exec("BEGIN");
  for (SqliteFile* f : members_) {
    f->inTxn = false;
    f->release();
    f->noteChange();
  }
  hub_ = nullptr;
  members_.clear();
}

Status HubManager::commit() {
  if (hub_ == nullptr) return error(Err::NoTransaction, "nothing to commit");
  Status s = hub_->own().exec("COMMIT");
  if (!s.ok()) return s;  // still open: the caller may retry or roll back
  finish();
  return {};
}

Status HubManager::rollback() {
  if (hub_ == nullptr) return error(Err::NoTransaction, "nothing to roll back");
  Status s = hub_->own().exec("ROLLBACK");
  finish();
  return s;
}

}  // namespace qv::engine::sql
