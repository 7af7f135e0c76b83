#include "import/targets.h"

#include <system_error>

#include "store/charset.h"
#include "store/database_list.h"
#include "store/dates.h"
#include "store/dispatcher.h"
#include "store/records.h"

namespace qv {

void TargetList::clear() {
  byName_.clear();
  nextDir_ = 1;
}

void TargetList::load(Context& ctx) {
  clear();
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  engine::File& f = ctx.fileOf<Forums>();
  std::map<std::uint32_t, std::uint32_t> redirects;  // database → FOR:REDIRNOW
  f.set(Forums::AlphaKey);
  while (f.next() == engine::Err::Ok) {
    const Forums& r = ctx.for_;
    TargetDatabase db;
    db.id = r.ID;
    db.name = r.DESCRIPTION.str();
    db.upperName = upper1252(db.name);
    db.dirNumber = r.DIRNUMBER;
    db.importAllowed = r.NOIMPORT == 0;
    db.type = r.TYPE;
    if (r.REDIRNOW != 0) redirects[+r.ID] = r.REDIRNOW;
    if (r.DIRNUMBER >= nextDir_) nextDir_ = r.DIRNUMBER + 1;
    byName_[db.upperName] = db;
  }
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  // A redirect target must exist and not be redirected itself.
  for (auto& [name, db] : byName_) {
    auto it = redirects.find(db.id);
    if (it == redirects.end()) continue;
    const TargetDatabase* to = findById(it->second);
    if (to == nullptr || redirects.count(to->id) != 0) continue;
    db.redirectId = to->id;
    db.redirectName = to->name;
  }
}

TargetDatabase* TargetList::find(std::string_view name) {
  auto it = byName_.find(upper1252(clip(name)));
  return it == byName_.end() ? nullptr : &it->second;
}

TargetDatabase* TargetList::findById(std::uint32_t id) {
  for (auto& [name, db] : byName_)
    if (db.id == id) return &db;
  return nullptr;
}

TargetDatabase* TargetList::findOrCreate(Context& ctx, std::string_view name, std::uint8_t wantedType,
                                         std::uint32_t* runCounter) {
  const std::string_view clipped = clip(name);
  if (TargetDatabase* db = find(clipped)) return db;
  TargetDatabase db;
  db.id = runCounter != nullptr ? (*runCounter)++ : NextNr(ctx);
  if (db.id == kNoIdentifier) return nullptr;
  db.name = std::string(clipped.substr(0, 100));
  db.upperName = upper1252(db.name);
  db.dirNumber = nextDir_++;
  db.isNew = true;
  db.importAllowed = true;
  db.type = databaseType(wantedType) == DatabaseType::Newsgroup ? stored(DatabaseType::Newsgroup)
                                                                : stored(DatabaseType::Forum);
  return &(byName_[db.upperName] = db);
}

std::vector<TargetDatabase*> TargetList::touched() {
  std::vector<TargetDatabase*> out;
  for (auto& [name, db] : byName_)
    if (db.touched) out.push_back(&db);
  return out;
}

std::vector<TargetDatabase*> TargetList::met() {
  std::vector<TargetDatabase*> out;
  for (auto& [name, db] : byName_)
    if (db.isNew) out.push_back(&db);
  return out;
}

bool TargetList::anyTouched() const {
  for (const auto& [name, db] : byName_)
    if (db.touched) return true;
  return false;
}

bool TargetList::createOnDisk(Context& ctx, TargetDatabase& db) {
  if (!db.isNew) return true;
  // Another process may have added a database since the list was read:
  // the directory number is taken only once its directory is ours.
  const std::uint32_t reserved = ReserveDirNumber(ctx, db.dirNumber);
  if (reserved == 0) return false;
  db.dirNumber = reserved;
  if (nextDir_ <= reserved) nextDir_ = reserved + 1;
  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  ctx.for_ = Forums{};
  ctx.for_.ID = db.id;
  ctx.for_.DESCRIPTION = db.name;
  ctx.for_.DIRNUMBER = db.dirNumber;
  ctx.for_.TYPE = db.type;
  ctx.for_.TARGETNG = databaseType(db.type) == DatabaseType::Newsgroup ? 1 : 0;
  ctx.for_.CREATED = dates::today();
  ctx.for_.INDEXTYPE = 1;
  ctx.for_.WORDLISTINDEXNEEDSUPDATE = 1;
  const bool ok = UppDat(ctx, ctx.fileOf<Forums>(), kUppAdd, kReport) == kUppDatDone;
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  if (!ok) {
    ReleaseDirNumber(ctx, db.dirNumber);
    return false;
  }
  const std::string dir = "F" + std::to_string(db.dirNumber);
  // The directory describes itself, as every database directory does.
  const std::string keep = ctx.mem.Dirnamn;
  ctx.mem.Dirnamn = dir;
  UpdREF(ctx, kReport);
  ctx.mem.Dirnamn = keep;
  db.isNew = false;
  return true;
}

}  // namespace qv
