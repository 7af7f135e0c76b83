#include "store/engine/integrity.h"

#include "store/engine/engine.h"
#include "store/engine/sqlite/conn.h"

namespace qv::engine {

namespace {

Status check(const std::filesystem::path& path, const std::string& ownerPassword, const Tuning& t) {
  sql::Conn c;
  // Opened for writing, as the program opens it: a journal left by a killed
  // writer is played back first, and the check sees what the program will.
  if (Status s = c.open(path, false, false, ownerPassword, t); !s.ok()) return s;
  sql::Stmt st;
  if (Status s = c.prepare("PRAGMA integrity_check", st); !s.ok()) return s;
  std::string findings;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    const char* line = reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 0));
    if (std::string(line) != "ok") findings += std::string(line) + "\n";
  }
  if (rc != SQLITE_DONE) return sql::fromSqlite(rc, c.db());
  if (!findings.empty()) return {Err::FileSystemError, findings};
  return {};
}

}  // namespace

Status checkIntegrity(const std::filesystem::path& path, const std::string& ownerPassword) {
  return check(path, ownerPassword, Tuning{});
}

Status checkIntegrity(const std::filesystem::path& path, const TableDecl& decl) {
  Tuning t;
  t.ownPageSize = decl.pageSize;
  return check(path, decl.ownerPassword, t);
}

}  // namespace qv::engine
