#include "store/database_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/persons.h"
#include "store/private_directories.h"
#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv {

using engine::Err;

namespace {

std::string dirName(std::uint32_t n) { return "F" + std::to_string(n); }

// Restores a global when the scope ends.
template <class T>
class Restore {
 public:
  explicit Restore(T& var) : var_(var), saved_(var) {}
  ~Restore() { var_ = saved_; }
  Restore(const Restore&) = delete;
  Restore& operator=(const Restore&) = delete;

 private:
  T& var_;
  T saved_;
};

REF refFrom(const Forums& f) {
  REF r{};
  r.TYPE = f.TYPE;
  r.DESCRIPTION = f.DESCRIPTION;
  r.TARGETNG = f.TARGETNG;
  if (databaseType(f.TYPE) == DatabaseType::Mail) {
    r.PERSONID = static_cast<std::int32_t>(f.PERSONID);
    r.MAILADDRESS = f.MAILADDRESS;
    for (std::size_t i = 0; i < 10 && !f.ALTADDRESS[i].blank(); ++i) r.ALTADDRESS[i] = f.ALTADDRESS[i];
  }
  return r;
}

bool sameRef(const REF& a, const REF& b) { return std::memcmp(&a, &b, sizeof(REF)) == 0; }

bool findForum(Context& ctx, std::uint32_t id) {
  ctx.for_ = Forums{};
  ctx.for_.ID = id;
  return ctx.fileOf<Forums>().get(Forums::ForumKey) == Err::Ok;
}

}  // namespace

void setDatabaseGlobals(MemGroup& mem, const Forums& record) {
  mem.Dirnamn = dirName(record.DIRNUMBER);
  mem.Description = record.DESCRIPTION;
  mem.ForumNumber = record.ID;
  mem.ForumCheck = record.DUMMY;
  mem.ForumType = record.TYPE;
  mem.TargetNG = record.TARGETNG;
  mem.PersonID = record.PERSONID;
  mem.WordListIndexNeedsUpdate = record.WORDLISTINDEXNEEDSUPDATE;
}

UppDatResult UpdREF(Context& ctx, int mode) {
  const REF wanted = refFrom(ctx.for_);
  OP_CLOSE(ctx, kOpOpen, {REF::FileNo});
  engine::File& f = ctx.fileOf<REF>();
  UppDatResult ok = kUppDatDone;
  f.set();
  if (f.next() == Err::Ok) {
    if (!sameRef(ctx.ref, wanted)) {
      ctx.ref = wanted;
      ok = UppDat(ctx, f, kUppPut, mode);
    }
  } else {
    ctx.ref = wanted;
    ok = UppDat(ctx, f, kUppAdd, mode);
  }
  OP_CLOSE(ctx, kOpRelease, {REF::FileNo});
  return ok;
}

std::uint32_t NextDirNumber(Context& ctx) {
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  engine::File& f = ctx.fileOf<Forums>();
  const Forums keep = ctx.for_;
  std::uint32_t next = 1;
  f.set(Forums::DirKey);
  if (f.previous() == Err::Ok) next = ctx.for_.DIRNUMBER + 1;
  ctx.for_ = keep;
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  return next;
}

std::uint32_t ReserveDirNumber(Context& ctx, std::uint32_t atLeast) {
  std::error_code ec;
  if (!createPrivateDirectories(ctx.mem.FileDir, ec)) {
    ExistPath(ctx, kPathCreate, ctx.mem.FileDir, {}, true);  // tells why, and stops
    return 0;
  }
  for (std::uint32_t n = std::max(atLeast, NextDirNumber(ctx));; ++n) {
    const std::filesystem::path dir = ctx.mem.FileDir / dirName(n);
    if (::mkdir(dir.c_str(), 0700) == 0) {
      std::filesystem::permissions(dir, kPrivateDirectoryMode, std::filesystem::perm_options::replace, ec);
      return n;
    }
    if (errno != EEXIST) {
      ExistPath(ctx, kPathCreate, dir, {}, true);  // tells why, and stops
      return 0;
    }
  }
}

void ReleaseDirNumber(Context& ctx, std::uint32_t dirNumber) {
  std::error_code ec;
  std::filesystem::remove(ctx.mem.FileDir / dirName(dirNumber), ec);  // only an empty directory goes
}

bool AddForumDatabase(Context& ctx, std::string_view name) {
  const std::uint32_t dir = ReserveDirNumber(ctx);
  if (dir == 0) return false;
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  ctx.for_ = Forums{};
  ctx.for_.DESCRIPTION = name;
  ctx.for_.ID = NextNr(ctx);
  bool ok = ctx.for_.ID != kNoIdentifier;
  if (ok) {
    ctx.for_.DIRNUMBER = dir;
    ctx.for_.TYPE = stored(DatabaseType::Forum);
    ctx.for_.CREATED = dates::today();
    ctx.for_.WORDLISTINDEXNEEDSUPDATE = 1;
    ctx.for_.INDEXTYPE = 1;
    ok = UppDat(ctx, ctx.fileOf<Forums>(), kUppAdd, kReport) == kUppDatDone;
  }
  if (!ok) ReleaseDirNumber(ctx, dir);
  if (ok) {
    // The description is written into the new directory; the globals go
    // back to the active database afterwards.
    Restore<std::string> keepDir(ctx.mem.Dirnamn);
    ctx.mem.Dirnamn = dirName(dir);
    UpdREF(ctx, kReport);
  }
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  return ok;
}

bool AddMailDatabase(Context& ctx, const MailDatabaseForm& form, std::uint32_t& dirNumber) {
  ctx.for_ = Forums{};
  ctx.for_.DESCRIPTION = form.name;
  ctx.for_.MAILADDRESS = form.address;
  for (std::size_t i = 0; i < 10; ++i) ctx.for_.ALTADDRESS[i] = form.alternatives[i];

  ExistPath(ctx, kPathCreate, ctx.mem.FileDir / dirName(dirNumber), {}, true);
  Restore<std::string> keepDir(ctx.mem.Dirnamn);
  ctx.mem.Dirnamn = dirName(dirNumber);
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo, Control::FileNo, Person::FileNo, PLINK::FileNo, REF::FileNo});
  auto closeAll = [&] {
    OP_CLOSE(ctx, kOpRelease, {Person::FileNo, PLINK::FileNo, REF::FileNo, Forums::FileNo, Control::FileNo});
  };

  // REF is rewritten inside UpdREF through its own open, which only counts.
  ctx.session.logout(5, {&ctx.fileOf<Forums>(), &ctx.fileOf<REF>(), &ctx.fileOf<Person>(),
                         &ctx.fileOf<PLINK>(), &ctx.fileOf<Control>()});
  if (TransactionCheck(ctx) != kTransactionStarted) {
    closeAll();
    return false;
  }
  bool ok = AddPers(ctx, form.address, form.name) == kPersonReady;
  if (ok) {
    ctx.for_.MSGCOUNT = 0;
    setStatus(ctx.for_, Status::Normal);
    ctx.for_.ID = NextNr(ctx);
    ok = ctx.for_.ID != kNoIdentifier;
  }
  if (ok) {
    ctx.for_.DIRNUMBER = dirNumber;
    ctx.for_.CREATED = dates::today();
    ctx.for_.TYPE = stored(DatabaseType::Mail);
    ctx.for_.PERSONID = ctx.per.PERSONID;
    ctx.for_.WORDLISTINDEXNEEDSUPDATE = 1;
    ctx.for_.INDEXTYPE = 1;
    ok = UppDat(ctx, ctx.fileOf<Forums>(), kUppAdd, kRollback) == kUppDatDone && UpdREF(ctx, kRollback) == kUppDatDone;
  }
  if (ok && ctx.session.commit() != Err::Ok) {
    inform(ctx, "Warning!", "Transaction Frame Error!\r\n" + ctx.session.errorText(), MessageKind::Warning);
    ok = false;
  }
  if (!ok && ctx.session.inTransaction()) ctx.session.rollback();
  if (ok) ++dirNumber;
  closeAll();
  return ok;
}

bool UpdateMailDatabase(Context& ctx, std::uint32_t id, const MailDatabaseForm& form) {
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  bool ok = findForum(ctx, id) && databaseType(ctx.for_.TYPE) == DatabaseType::Mail;
  if (!ok) {
    OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
    return false;
  }
  Restore<std::string> keepDir(ctx.mem.Dirnamn);
  ctx.mem.Dirnamn = dirName(ctx.for_.DIRNUMBER);
  OP_CLOSE(ctx, kOpOpen, {REF::FileNo});
  ctx.session.logout(5, {&ctx.fileOf<Forums>(), &ctx.fileOf<REF>()});
  ok = TransactionCheck(ctx) == kTransactionStarted;
  if (ok) {
    // Re-read inside the transaction, so a change made meanwhile is not lost.
    ok = findForum(ctx, id);
    if (ok) {
      ctx.for_.DESCRIPTION = form.name;
      for (std::size_t i = 0; i < 10; ++i) ctx.for_.ALTADDRESS[i] = form.alternatives[i];
      ok =
          UppDat(ctx, ctx.fileOf<Forums>(), kUppPut, kRollback) == kUppDatDone && UpdREF(ctx, kRollback) == kUppDatDone;
    }
    if (ok && ctx.session.commit() != Err::Ok) ok = false;
    if (!ok && ctx.session.inTransaction()) ctx.session.rollback();
  }
  OP_CLOSE(ctx, kOpRelease, {REF::FileNo, Forums::FileNo});
  return ok;
}

bool SetImportAllowed(Context& ctx, std::uint32_t id, bool allowed) {
  return changeDatabaseRecord(ctx, id, [allowed](Forums& f) { f.NOIMPORT = allowed ? 0 : 1; });
}

bool changeDatabaseRecord(Context& ctx, std::uint32_t id, const std::function<void(Forums&)>& change) {
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  ctx.for_ = Forums{};
  ctx.for_.ID = id;
  bool ok = HoldRec(ctx, ctx.fileOf<Forums>(), Forums::ForumKey, true, 0) == kHoldRecHeld;
  if (ok) {
    change(ctx.for_);
    ok = UppDat(ctx, ctx.fileOf<Forums>(), kUppPut, kReport) == kUppDatDone;
  }
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  return ok;
}

bool SetWordListNeedsUpdate(Context& ctx, bool needed) {
  const bool ok = changeDatabaseRecord(ctx, ctx.mem.ForumNumber,
                                       [needed](Forums& f) { f.WORDLISTINDEXNEEDSUPDATE = needed ? 1 : 0; });
  if (ok) ctx.mem.WordListIndexNeedsUpdate = needed ? 1 : 0;
  return ok;
}

namespace {

// Removes the files of one database directory and the directory itself.
bool removeDirectory(Context& ctx, const std::filesystem::path& dir, bool clearDefinitions) {
  std::error_code ec;
  if (!std::filesystem::exists(dir, ec)) return true;
  bool ok = DOSFunc(ctx, kDosRemoveMask, "*.TPS", dir) == kDosDone;
  if (ok && clearDefinitions) SemaFore(ctx, 209);
  for (const char* mask : {"*.DAT", "*.K*", "*.I*"})
    if (ok) ok = DOSFunc(ctx, kDosRemoveMask, mask, dir) == kDosDone;
  // What the record-file engine keeps beside its files: lock companions and
  // journals left by an interrupted process.
  for (const char* mask : {"*.lck", "*-journal", "*-mj*", "*.new"})
    if (ok) ok = DOSFunc(ctx, kDosRemoveMask, mask, dir) == kDosDone;
  if (ok) {
    std::filesystem::remove(dir, ec);
    if (ec) {
      inform(ctx, "File Deletion Error!",
             "One or more files have not been \r\nremoved in subdirectory " + dir.string(), MessageKind::Warning);
      ok = false;
    }
  }
  return ok;
}

}  // namespace

bool RemoveDatabaseFiles(Context& ctx) {
  OP_CLOSE(ctx, kOpForceClose, {9, 1, 17, 13, 7, 6, 5, 4, 3});
  OP_CLOSE(ctx, kOpForceClose, {22, 23, 33});
  // The word index's own tables are not the dispatcher's to close.
  for (int no : {32, 29, 28, 30}) {
    ctx.useCount[static_cast<std::size_t>(no)] = 0;
    ctx.file(no).close();
  }
  OP_CLOSE(ctx, kOpForceClose, {8, 2, 35, 26, 34});
  bool ok = removeDirectory(ctx, ctx.mem.FileDir / ctx.mem.Dirnamn, true);
  if (ok && !ctx.MasIdxPath.empty() && !samePath(ctx.MasIdxPath, ctx.mem.FileDir))
    ok = removeDirectory(ctx, ctx.MasIdxPath / ctx.mem.Dirnamn, false);
  ctx.mem.ForumNumber = 0;
  return ok;
}

bool RemoveDatabase(Context& ctx, std::uint32_t id) {
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  const bool found = findForum(ctx, id);
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  if (!found) return false;
  const Forums record = ctx.for_;
  const std::uint32_t active = ctx.mem.ForumNumber;
  bool filesGone = false;
  {
    Restore<std::string> keepDir(ctx.mem.Dirnamn);
    ctx.mem.Dirnamn = dirName(record.DIRNUMBER);
    ctx.mem.ForumNumber = record.ID;
    filesGone = RemoveDatabaseFiles(ctx);
  }
  // Another database stays active; the removed one does not.
  ctx.mem.ForumNumber = active == id ? 0 : active;
  if (!filesGone) return false;
  // The list forgets the database only when its files are gone.
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  bool ok = findForum(ctx, id) && UppDat(ctx, ctx.fileOf<Forums>(), kUppDelete, kReport) == kUppDatDone;
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  return ok;
}

}  // namespace qv
