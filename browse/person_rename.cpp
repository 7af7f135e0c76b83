#include "browse/person_rename.h"

#include <cstring>
#include <optional>
#include <string>

#include "browse/person_copies.h"
#include "browse/person_texts.h"
#include "store/database_list.h"
#include "store/dispatcher.h"
#include "store/domain.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::browse {

std::string_view renameTitle(DatabaseType type) {
  switch (type) {
    case DatabaseType::Mail: return texts::kRenameMail;
    case DatabaseType::Newsgroup: return texts::kRenameNewsgroup;
    case DatabaseType::Forum: break;
  }
  return texts::kRenameForum;
}

namespace {

// Renames the active database in the list and in its REF.
bool renameDatabase(Context& ctx, const std::string& name) {
  engine::File& forums = ctx.fileOf<Forums>();
  ctx.for_ = Forums{};
  ctx.for_.ID = ctx.mem.ForumNumber;
  if (HoldRec(ctx, forums, Forums::ForumKey, true, 0) != kHoldRecHeld) return false;
  ctx.for_.DESCRIPTION = name;
  return UppDat(ctx, forums, kUppPut, kRollback) == kUppDatDone && UpdREF(ctx, kRollback) == kUppDatDone;
}

}  // namespace

RenameResult renamePerson(Context& ctx, const Person& opened, std::string_view lastName, std::string_view firstName) {
  RenameResult result;
  result.stored = opened;
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  const bool owner = mail && opened.PERSONID == ctx.mem.PersonID;
  TableUse use(ctx, mail ? std::initializer_list<int>{Mail::FileNo, Person::FileNo, Forums::FileNo, REF::FileNo}
                         : std::initializer_list<int>{MsgNmbr::FileNo, Person::FileNo});
  engine::File& persons = ctx.fileOf<Person>();
  std::optional<Transaction> t;
  if (mail)
    t.emplace(ctx, std::initializer_list<engine::File*>{&ctx.fileOf<Mail>(), &persons, &ctx.fileOf<Forums>(),
                                                        &ctx.fileOf<REF>()});
  else
    t.emplace(ctx, std::initializer_list<engine::File*>{&ctx.fileOf<MsgNmbr>(), &persons});
  if (!t->started()) return result;

  ctx.per = Person{};
  ctx.per.PERSONID = opened.PERSONID;
  if (HoldRec(ctx, persons, Person::PersonKey, true, 0) != kHoldRecHeld) return result;
  result.stored = ctx.per;
  if (std::memcmp(&ctx.per, &opened, sizeof(Person)) != 0) {
    persons.release();
    inform(ctx, texts::kWarning, texts::kChangedMeanwhile, MessageKind::Warning);
    result.outcome = RenameOutcome::ChangedMeanwhile;
    return result;
  }
  const FixedString<25> newLast(lastName);
  ctx.per.LASTNAME = newLast;
  ctx.per.FIRSTNAME = firstName;
  const Person renamed = ctx.per;
  if (UppDat(ctx, persons, kUppPut, kRollback) != kUppDatDone) return result;

  std::string databaseName = renamed.FIRSTNAME.str();
  if (!databaseName.empty()) databaseName += ' ';
  databaseName += renamed.LASTNAME.str();
  if (owner && !renameDatabase(ctx, databaseName)) return result;

  if (!(opened.LASTNAME == newLast)) {
    if (!rewriteNameCopies(ctx, opened.LASTNAME.view(), newLast.view(), opened.PERSONID)) return result;
  }
  if (!t->commit()) return result;

  if (owner) {
    ctx.mem.Description = databaseName;
    std::filesystem::path masIdxPath;
    if (ctx.lib.published(&masIdxPath).ForumNumber == ctx.mem.ForumNumber) ctx.lib.publish(ctx.mem, masIdxPath);
  }
  result.outcome = RenameOutcome::Renamed;
  result.stored = renamed;
  return result;
}

}  // namespace qv::browse
