// Opening, creating, removing and maintaining a SQLite-kept table.
#include "store/engine/sqlite/sqlite_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <system_error>

#include "store/engine/companions.h"
#include "store/engine/session.h"
#include "store/engine/sqlite/hub.h"

namespace qv::engine::sql {

namespace fs = std::filesystem;

SqliteFile::SqliteFile(FileBinding& b) : DriverFile(b) {}

SqliteFile::~SqliteFile() { close(); }

namespace {

Status err(Err e, const std::string& detail = {}) {
  std::string t = defaultText(e);
  if (!detail.empty()) t += ": " + detail;
  return {e, t};
}

// Tells apart the ways a name can fail to name an existing file.
Status checkName(const fs::path& p, bool forCreate) {
  const std::string s = p.string();
  if (s.empty() || s.find('\0') != std::string::npos || s.back() == '/') return err(Err::InvalidFileName, s);
  struct stat st {};
  const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  if (::stat(dir.c_str(), &st) != 0) {
    if (errno == ENAMETOOLONG) return err(Err::InvalidFileName, s);
    if (errno == EACCES) return err(Err::AccessDenied, s);
    return err(Err::PathNotFound, dir.string());
  }
  if (!S_ISDIR(st.st_mode)) return err(Err::PathNotFound, dir.string());
  if (forCreate) return {};
  if (::stat(p.c_str(), &st) != 0) {
    if (errno == ENAMETOOLONG) return err(Err::InvalidFileName, s);
    if (errno == EACCES) return err(Err::AccessDenied, s);
    return err(Err::FileNotFound, s);
  }
  if (S_ISDIR(st.st_mode)) return err(Err::AccessDenied, s + " is a directory");
  return {};
}

void removeQuietly(const fs::path& p) {
  std::error_code ec;
  fs::remove(p, ec);
}

}  // namespace

Status SqliteFile::open(OpenMode mode) {
  const fs::path& p = b_.name;
  if (Status s = checkName(p, false); !s.ok()) return s;
  const bool readOnly = mode == OpenMode::ReadOnlyShared;
  if (!readOnly) {
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    if (::access(p.c_str(), W_OK) != 0 || ::access(dir.c_str(), W_OK) != 0)
      return err(Err::AccessDenied, p.string() + " is not writable");
  }
  lockFile_.open(p, !readOnly);
  if (!lockFile_.lock(LockFile::kOpenByte, mode == OpenMode::Exclusive, 0)) {
    lockFile_.close();
    return err(Err::AccessDenied, mode == OpenMode::Exclusive ? p.string() + " is in use elsewhere"
                                                              : p.string() + " is opened exclusively elsewhere");
  }
  Status s = own_.open(p, readOnly, false, b_.decl.ownerPassword, tuning());
  if (s.ok()) s = loadMeta();
  if (s.ok() && metaValue("layout") != b_.decl.layoutSignature()) s = err(Err::LayoutDiffers, p.string());
  if (!s.ok()) {
    own_.close();
    lockFile_.close();
    meta_.clear();
    return s;
  }
  struct stat st {};
  ::stat(p.c_str(), &st);
  shared_ = b_.engine.shared(st.st_dev, st.st_ino);
  mode_ = mode;
  keysValid_ = metaValue("keys_valid") != "0";
  haveCurrent_ = false;
  walk_ = Walk{};
  b_.session.hubs().opened(this);
  // Damaged keys leave the file open so that build() can repair them.
  if (!keysValid_) return err(Err::BadKeys, p.string());
  return {};
}

Status SqliteFile::loadMeta() {
  meta_.clear();
  Stmt st;
  if (Status s = own_.prepare("SELECT k, v FROM main.qv_meta", st); !s.ok()) {
    // A SQLite file without our description table belongs to someone else.
    if (s.text.find("no such table") != std::string::npos)
      return {Err::FileSystemError, "Not a table file of this program: " + b_.name.string()};
    if (s.err == Err::RecordNotAvailable) s.err = Err::AccessDenied;
    return s;
  }
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    meta_[reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0))] =
        reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1));
  }
  if (rc != SQLITE_DONE) return fromSqlite(rc, own_.db(), Err::AccessDenied);
  return {};
}

std::string SqliteFile::metaValue(const std::string& key) const {
  auto it = meta_.find(key);
  return it == meta_.end() ? std::string() : it->second;
}

void SqliteFile::close() {
  if (!own_.isOpen()) return;
  if (streaming_) endStream();
  endReading();
  release();
  unlock();
  b_.session.hubs().closing(this);
  ownCache_.clear();
  hubCache_.clear();
  own_.close();
  lockFile_.close();
  shared_.reset();
  meta_.clear();
  walk_ = Walk{};
  haveCurrent_ = false;
}

namespace {

// A name for the file being built that no other creator, in this process or
// another, uses at the same time.
fs::path uniqueBuildName(const fs::path& p) {
  static std::atomic<unsigned> serial{0};
  fs::path tmp = p;
  tmp += "." + std::to_string(::getpid()) + "-" + std::to_string(serial.fetch_add(1)) + ".new";
  return tmp;
}

// Moves `from` to `to` unless `to` exists. EEXIST when it does.
int publishWithoutReplacing(const fs::path& from, const fs::path& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno == EEXIST) return EEXIST;
  // File systems without RENAME_NOREPLACE: a hard link refuses an existing
  // name just the same.
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

Status SqliteFile::buildEmpty(const fs::path& tmp) {
  Conn c;
  Status s = c.open(tmp, false, true, b_.decl.ownerPassword, tuning());
  // The archive is private to its owner whatever the umask; SQLite gives
  // the journals the mode of their table file.
  if (s.ok() && ::chmod(tmp.c_str(), S_IRUSR | S_IWUSR) != 0) s = err(Err::FileSystemError, std::strerror(errno));
  std::string sql = "BEGIN; " + createTableSql(b_.decl) + "; " + createMetaSql() + "; ";
  for (const KeyDecl& k : b_.decl.keys)
    if (!k.onDemand() && storedAsIndex(b_.decl, k)) sql += createIndexSql(b_.decl, k, "main") + "; ";
  sql += "INSERT INTO qv_meta VALUES ('layout', ?), ('keys_valid', '1'), ('record_size', '" +
         std::to_string(b_.decl.recordSize) + "'), ('label', '" + b_.decl.label + "');";
  if (s.ok()) s = c.exec("PRAGMA journal_mode = DELETE");
  // The layout signature may hold any character: bind it rather than quote it.
  if (s.ok()) {
    const std::size_t cut = sql.rfind("INSERT");
    s = c.exec(sql.substr(0, cut));
    Stmt ins;
    if (s.ok()) s = c.prepare(sql.substr(cut), ins);
    if (s.ok()) {
      const std::string sig = b_.decl.layoutSignature();
      sqlite3_bind_text(ins.get(), 1, sig.c_str(), static_cast<int>(sig.size()), SQLITE_TRANSIENT);
      const int rc = sqlite3_step(ins.get());
      if (rc != SQLITE_DONE) s = fromSqlite(rc, c.db());
    }
    ins = Stmt();
    if (s.ok()) s = c.exec("COMMIT");
  }
  return s;
}

// Creating never replaces a table file: sessions and processes that find
// the same table missing all get the one file the first of them made, and
// nobody's open handle ends up on a file that was renamed over.
Status SqliteFile::create() {
  const fs::path& p = b_.name;
  if (Status s = checkName(p, true); !s.ok()) return s;
  if (own_.isOpen()) close();
  // The creation lock orders creators, so the stale journal below is only
  // ever removed while no table of this name exists to own it.
  LockFile creating;
  if (!creating.open(p, true)) return err(Err::AccessDenied, LockFile::pathFor(p).string());
  if (!creating.lock(LockFile::kCreateByte, true, tuning().busyMs / 1000.0))
    return err(Err::AccessDenied, p.string() + " is being created elsewhere");
  std::error_code ec;
  if (fs::exists(p, ec)) return {};
  const fs::path tmp = uniqueBuildName(p);
  fs::path tmpJournal = tmp;
  tmpJournal += "-journal";
  Status s = buildEmpty(tmp);
  removeQuietly(tmpJournal);
  if (!s.ok()) {
    removeQuietly(tmp);
    return s;
  }
  // A journal left by an earlier file of this name must not be played back
  // into the new one.
  fs::path journal = p;
  journal += "-journal";
  removeQuietly(journal);
  const int rc = publishWithoutReplacing(tmp, p);
  if (rc == 0) return {};
  removeQuietly(tmp);
  if (rc == EEXIST) return {};
  return err(rc == EACCES || rc == EPERM ? Err::AccessDenied : Err::FileSystemError, std::strerror(rc));
}

Status SqliteFile::remove() {
  close();
  const fs::path& p = b_.name;
  if (p.empty()) return err(Err::InvalidFileName);
  std::error_code ec;
  if (!fs::remove(p, ec) && ec && ec != std::errc::no_such_file_or_directory)
    return err(ec == std::errc::permission_denied ? Err::AccessDenied : Err::FileSystemError, ec.message());
  // What SQLite and the lock companion keep beside the file.
  const std::string base = p.filename().string();
  const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  for (const fs::directory_entry& e : fs::directory_iterator(dir, ec)) {
    const std::string n = e.path().filename().string();
    if (isCompanionOf(base, n)) removeQuietly(e.path());
  }
  return {};
}

Status SqliteFile::records(std::int64_t& n) {
  Route r = route();
  sqlite3_stmt* st = nullptr;
  if (Status s = prepared(r, 5, [&] { return "SELECT count(*) FROM " + quoted(*r.schema) + ".rec"; }, st); !s.ok()) return s;
  ResetOnExit reset(st);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) return fromSqlite(rc, r.conn->db());
  n = sqlite3_column_int64(st, 0);
  return {};
}

Status SqliteFile::empty() {
  Route r = route();
  Status s = r.conn->exec("DELETE FROM " + quoted(*r.schema) + ".rec");
  noteChange();
  haveCurrent_ = false;
  return s;
}

Status SqliteFile::writeMeta(Route& r, const std::string& key, const std::string& value) {
  Status s = r.conn->exec("INSERT OR REPLACE INTO " + quoted(*r.schema) + ".qv_meta VALUES ('" + key + "', '" +
                          value + "')");
  if (s.ok()) meta_[key] = value;
  return s;
}

Status SqliteFile::rebuildKeys(const KeyDecl* only) {
  Route r = route();
  Status s = r.conn->exec("SAVEPOINT qv_build");
  if (!s.ok()) return s;
  for (const KeyDecl& k : b_.decl.keys) {
    if (only != nullptr && &k != only) continue;
    // Keys built on demand are rebuilt only when asked for by name.
    if (only == nullptr && k.onDemand()) continue;
    if (!storedAsIndex(b_.decl, k)) continue;  // the table's own order: always there
    s = r.conn->exec(dropIndexSql(k, *r.schema));
    if (s.ok()) s = r.conn->exec(createIndexSql(b_.decl, k, *r.schema));
    if (!s.ok()) break;
  }
  if (s.ok() && only == nullptr) s = writeMeta(r, "keys_valid", "1");
  if (!s.ok()) {
    r.conn->exec("ROLLBACK TO qv_build");
    r.conn->exec("RELEASE qv_build");
    if (only == nullptr) meta_["keys_valid"] = keysValid_ ? "1" : "0";
    return s;
  }
  s = r.conn->exec("RELEASE qv_build");
  if (s.ok() && only == nullptr) keysValid_ = true;
  noteChange();
  return s;
}

Status SqliteFile::build() { return rebuildKeys(nullptr); }
Status SqliteFile::buildKey(const KeyDecl& k) { return rebuildKeys(&k); }

Status SqliteFile::dropKeysForAppend(Route& r) {
  if (!keysValid_) return {};
  Status s = r.conn->exec("SAVEPOINT qv_append");
  for (const KeyDecl& k : b_.decl.keys)
    if (s.ok()) s = r.conn->exec(dropIndexSql(k, *r.schema));
  if (s.ok()) s = writeMeta(r, "keys_valid", "0");
  if (!s.ok()) {
    r.conn->exec("ROLLBACK TO qv_append");
    r.conn->exec("RELEASE qv_append");
    meta_["keys_valid"] = "1";
    return s;
  }
  keysValid_ = false;
  return r.conn->exec("RELEASE qv_append");
}

Status SqliteFile::pack() {
  if (own_.txn || hub != nullptr || !attached.empty())
    return err(Err::AccessDenied, "the file takes part in a transaction");
  if (streaming_) endStream();
  ownCache_.clear();
  Status s = own_.exec("VACUUM", Err::AccessDenied);
  noteChange();
  return s;
}

std::uint64_t SqliteFile::storedDataBytes() {
  auto fromMeta = [](const std::unordered_map<std::string, std::string>& meta) -> std::uint64_t {
    auto it = meta.find("record_size");
    return it == meta.end() ? 0 : std::stoull(it->second);
  };
  if (own_.isOpen()) {
    std::int64_t n = 0;
    if (!records(n).ok()) return 0;
    return static_cast<std::uint64_t>(n) * fromMeta(meta_);
  }
  // Closed (typically after LayoutDiffers): read what the file says of itself.
  Conn c;
  if (!c.open(b_.name, true, false, b_.decl.ownerPassword, tuning()).ok()) return 0;
  std::uint64_t size = 0, count = 0;
  Stmt st;
  if (c.prepare("SELECT v FROM qv_meta WHERE k = 'record_size'", st).ok() && sqlite3_step(st.get()) == SQLITE_ROW)
    size = std::strtoull(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0)), nullptr, 10);
  Stmt cnt;
  if (c.prepare("SELECT count(*) FROM rec", cnt).ok() && sqlite3_step(cnt.get()) == SQLITE_ROW)
    count = static_cast<std::uint64_t>(sqlite3_column_int64(cnt.get(), 0));
  return size * count;
}

Tuning SqliteFile::tuning() const {
  Tuning t = b_.engine.tuning();
  if (b_.decl.scratch) t.synchronous = 0;
  t.ownPageSize = b_.decl.pageSize;
  return t;
}

void SqliteFile::noteChange() {
  if (shared_) shared_->changes.fetch_add(1, std::memory_order_relaxed);
}

SqliteFile::Route SqliteFile::route() {
  if (hub != nullptr && (!hub->own_.txn || inTxn)) return Route{&hub->own_, &hubSchema, &hubCache_};
  return Route{&own_, &mainSchema_, &ownCache_};
}

}  // namespace qv::engine::sql
