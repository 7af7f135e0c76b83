#include "store/engine/sqlite/conn.h"

#include <cerrno>
#include <cstdio>

#include <openssl/crypto.h>

#include "store/charset.h"

namespace qv::engine::sql {

Conn::~Conn() { close(); }

void Conn::close() {
  if (db_ != nullptr) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
  txn = false;
  streams = 0;
}

namespace {

// The engine's file system: SQLite's own, except that a rollback journal
// that already exists is opened as it is rather than created. Kept journals
// (journal mode TRUNCATE) stay beside their tables between transactions;
// opening one "for creation" would make SQLite sync the directory again at
// the journal's first sync, once per file per transaction, although the
// directory entry was made durable when the journal was first created.
sqlite3_vfs* systemVfs = nullptr;
sqlite3_vfs engineVfs;

int openKeepingJournals(sqlite3_vfs*, const char* name, sqlite3_file* file, int flags, int* outFlags) {
  if (name != nullptr && (flags & SQLITE_OPEN_MAIN_JOURNAL) != 0 && (flags & SQLITE_OPEN_CREATE) != 0) {
    const int existing = flags & ~(SQLITE_OPEN_CREATE | SQLITE_OPEN_EXCLUSIVE);
    if (systemVfs->xOpen(systemVfs, name, file, existing, outFlags) == SQLITE_OK) return SQLITE_OK;
  }
  return systemVfs->xOpen(systemVfs, name, file, flags, outFlags);
}

const char* engineVfsName() {
  static const char* const name = [] {
    // No page slots made ahead: a short command reads a few pages of each
    // of a dozen tables, and every slot made ahead is memory to map.
    sqlite3_config(SQLITE_CONFIG_PAGECACHE, nullptr, 0, 0);
    // The page cipher needs OpenSSL's built-in algorithms only; reading
    // and applying the system's OpenSSL configuration, which cannot change
    // the stored format, took about a millisecond of every command.
    OPENSSL_init_crypto(OPENSSL_INIT_NO_LOAD_CONFIG, nullptr);
    systemVfs = sqlite3_vfs_find(nullptr);
    if (systemVfs == nullptr) return static_cast<const char*>(nullptr);
    // Every other method is the system's own, with the same app data.
    engineVfs = *systemVfs;
    engineVfs.zName = "qv-engine";
    engineVfs.pNext = nullptr;
    engineVfs.xOpen = openKeepingJournals;
    return sqlite3_vfs_register(&engineVfs, 0) == SQLITE_OK ? engineVfs.zName : nullptr;
  }();
  return name;
}

int collate(void*, int n1, const void* p1, int n2, const void* p2) {
  return compareKeyText(std::string_view(static_cast<const char*>(p1), static_cast<std::size_t>(n1)),
                        std::string_view(static_cast<const char*>(p2), static_cast<std::size_t>(n2)));
}
}  // namespace

void registerCollation(sqlite3* db) { sqlite3_create_collation_v2(db, "QVCASE", SQLITE_UTF8, nullptr, collate, nullptr); }

std::string rawKeyFor(const std::string& ownerPassword) {
  // splitmix64 over an FNV-1a hash of the password: four 64-bit words.
  std::uint64_t h = 1469598103934665603ULL;
  for (unsigned char c : "Quorvel owner key/" + ownerPassword) {
    h ^= c;
    h *= 1099511628211ULL;
  }
  std::string key = "x'";
  for (int i = 0; i < 4; ++i) {
    h += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = h;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    char buf[17];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(z));
    key += buf;
  }
  key += "'";
  return key;
}

Status fromSqlite(int rc, sqlite3* db, Err onBusy) {
  const std::string detail = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  auto with = [&](Err e, const char* what = nullptr) {
    std::string t = what != nullptr ? what : defaultText(e);
    if (!detail.empty() && detail != "not an error") t += " (" + detail + ")";
    return Status{e, t};
  };
  switch (rc & 0xFF) {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
      return {};
    case SQLITE_CONSTRAINT:
      return with(Err::DuplicateKey);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return with(onBusy);
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return with(Err::AccessDenied);
    case SQLITE_NOMEM:
      return with(Err::NoMemory);
    case SQLITE_NOTADB:
      return with(Err::FileSystemError, "Not a table file of this program, or stored under another owner password");
    case SQLITE_CORRUPT:
      return with(Err::FileSystemError, "The table file is damaged");
    case SQLITE_FULL:
      return with(Err::FileSystemError, "The disk is full");
    case SQLITE_CANTOPEN:
      return with(Err::FileNotFound);
    default:
      return with(Err::FileSystemError);
  }
}

Status Conn::open(const std::filesystem::path& path, bool readOnly, bool create, const std::string& ownerPassword,
                  const Tuning& tuning) {
  close();
  int flags = SQLITE_OPEN_NOMUTEX | (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE);
  if (create) flags |= SQLITE_OPEN_CREATE;
  const int rc = sqlite3_open_v2(path.c_str(), &db_, flags, engineVfsName());
  if (rc != SQLITE_OK) {
    Status s = fromSqlite(rc, db_, Err::AccessDenied);
    close();
    return s;
  }
  sqlite3_extended_result_codes(db_, 1);
  registerCollation(db_);
  setBusyMs(tuning.busyMs);
  // Encrypted files use the same page size as plain ones; this must be set
  // before the key, and it applies to files attached later too. The default
  // is process-wide, so it is always the engine's; a table of its own page
  // size sets it on its own connection after the key.
  const int pageSize = tuning.ownPageSize != 0 ? tuning.ownPageSize : tuning.pageSize;
  Status s = exec("PRAGMA cipher_default_page_size = " + std::to_string(tuning.pageSize));
  if (s.ok() && !ownerPassword.empty()) s = exec("PRAGMA key = \"" + rawKeyFor(ownerPassword) + "\"");
  if (s.ok() && !ownerPassword.empty() && pageSize != tuning.pageSize)
    s = exec("PRAGMA cipher_page_size = " + std::to_string(pageSize));
  if (s.ok() && create) s = exec("PRAGMA page_size = " + std::to_string(pageSize));
  if (s.ok()) s = tune("main", tuning);
  if (!s.ok()) close();
  return s;
}

Status Conn::tune(const std::string& schema, const Tuning& tuning) {
  const std::string q = "PRAGMA \"" + schema + "\".";
  // cache_size in negative numbers is KiB.
  return exec(q + "cache_size = -" + std::to_string(tuning.cacheKiB) + "; " + q +
              "synchronous = " + std::to_string(tuning.synchronous) + "; " + q + "secure_delete = OFF; " + q +
              "journal_mode = " + tuning.journalMode + ";");
}

void Conn::setBusyMs(int ms) { sqlite3_busy_timeout(db_, ms); }

Status Conn::exec(const std::string& sql, Err onBusy) {
  char* msg = nullptr;
  const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &msg);
  sqlite3_free(msg);
  return rc == SQLITE_OK ? Status{} : fromSqlite(rc, db_, onBusy);
}

Status Conn::prepare(const std::string& sql, Stmt& st) {
  const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), st.out(), nullptr);
  return rc == SQLITE_OK ? Status{} : fromSqlite(rc, db_);
}

Status Conn::beginStream() {
  if (txn || streams++ > 0) return {};
  Status s = exec("BEGIN");
  if (!s.ok()) streams = 0;
  return s;
}

Status Conn::endStream() {
  if (streams == 0) return {};
  if (--streams > 0 || txn) return {};
  return exec("COMMIT");
}

}  // namespace qv::engine::sql
