#include "browse/person_aliases.h"

#include "browse/person_texts.h"
#include "store/charset.h"
#include "store/dispatcher.h"
#include "store/domain.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::browse {

std::vector<PLINK> aliasesOf(Context& ctx, std::uint32_t personId) {
  std::vector<PLINK> aliases;
  TableUse use(ctx, {PLINK::FileNo});
  engine::File& f = ctx.fileOf<PLINK>();
  ctx.pli = PLINK{};
  ctx.pli.PERSONID = personId;
  f.setFrom(PLINK::PersonKey);
  while (f.next() == engine::Err::Ok && ctx.pli.PERSONID == personId) aliases.push_back(ctx.pli);
  return aliases;
}

std::string_view addressOf(std::string_view personString) {
  const std::string_view s = clip(personString);
  const std::size_t blank = s.rfind(' ');
  return blank == std::string_view::npos ? s : s.substr(blank + 1);
}

SwapOutcome swapAlias(Context& ctx, std::uint32_t personId, std::string_view aliasString) {
  TableUse use(ctx, {Person::FileNo, PLINK::FileNo});
  engine::File& persons = ctx.fileOf<Person>();
  engine::File& aliases = ctx.fileOf<PLINK>();
  ctx.per = Person{};
  ctx.per.PERSONID = personId;
  if (persons.get(Person::PersonKey) != engine::Err::Ok) {
    inform(ctx, texts::kWarning, texts::kSwapFailed, MessageKind::Warning);
    return SwapOutcome::Failed;
  }
  const FixedString<100> newString(aliasString);
  if (upper1252(ctx.per.PERSONSTRING.view()) == upper1252(newString.view())) return SwapOutcome::Unchanged;
  if (databaseType(ctx.mem.ForumType) == DatabaseType::Mail && personId == ctx.mem.PersonID) {
    inform(ctx, texts::kWarning, texts::kDefaultAddress, MessageKind::Warning);
    return SwapOutcome::Refused;
  }

  Transaction t(ctx, {&persons, &aliases});
  if (!t.started()) return SwapOutcome::Failed;
  ctx.per = Person{};
  ctx.per.PERSONID = personId;
  bool read = HoldRec(ctx, persons, Person::PersonKey, true, 0) == kHoldRecHeld;
  const FixedString<100> oldString = ctx.per.PERSONSTRING;
  if (read) {
    ctx.pli = PLINK{};
    ctx.pli.PERSONSTRING = newString;
    read = aliases.get(PLINK::StringKey) == engine::Err::Ok && ctx.pli.PERSONID == personId;
  }
  if (!read) {
    persons.release();
    inform(ctx, texts::kWarning, texts::kSwapFailed, MessageKind::Warning);
    return SwapOutcome::Failed;
  }
  ctx.per.PERSONSTRING = newString;
  ctx.per.ADDRESS = addressOf(newString.view());
  ctx.pli.PERSONSTRING = oldString;
  if (UppDat(ctx, aliases, kUppPut, kRollback) != kUppDatDone) return SwapOutcome::Failed;
  if (UppDat(ctx, persons, kUppPut, kRollback) != kUppDatDone) return SwapOutcome::Failed;
  return t.commit() ? SwapOutcome::Swapped : SwapOutcome::Failed;
}

}  // namespace qv::browse
