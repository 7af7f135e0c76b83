#include "browse/person_merge.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

#include "browse/person_copies.h"
#include "browse/person_texts.h"
#include "store/dispatcher.h"
#include "store/domain.h"
#include "store/persons.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"

namespace qv::browse {

namespace {

bool readPerson(Context& ctx, std::uint32_t id, Person& into) {
  ctx.per = Person{};
  ctx.per.PERSONID = id;
  if (ctx.fileOf<Person>().get(Person::PersonKey) != engine::Err::Ok) return false;
  into = ctx.per;
  return true;
}

bool repointMails(Context& ctx, const Person& from, const Person& kept) {
  engine::File& f = ctx.fileOf<Mail>();
  const auto partner = mailsNaming(ctx, NameRole::Partner, from.LASTNAME.view(), from.PERSONID);
  const auto sender = mailsNaming(ctx, NameRole::Sender, from.LASTNAME.view(), from.PERSONID);
  const auto receiver = mailsNaming(ctx, NameRole::Receiver, from.LASTNAME.view(), from.PERSONID);
  return rewriteAt(ctx, f, partner,
                   [&] {
                     ctx.mai.PAIRID = kept.PERSONID;
                     ctx.mai.PAIRALPHA = kept.LASTNAME.view();
                   }) &&
         rewriteAt(ctx, f, sender,
                   [&] {
                     ctx.mai.FROMID = kept.PERSONID;
                     ctx.mai.FROMALPHA = kept.LASTNAME.view();
                   }) &&
         rewriteAt(ctx, f, receiver, [&] {
           ctx.mai.TOID = kept.PERSONID;
           ctx.mai.TOALPHA = kept.LASTNAME.view();
         });
}

bool repointMessages(Context& ctx, const Person& from, const Person& kept) {
  engine::File& f = ctx.fileOf<MsgNmbr>();
  const auto receiver = messagesNaming(ctx, NameRole::Receiver, from.LASTNAME.view(), from.PERSONID);
  const auto sender = messagesNaming(ctx, NameRole::Sender, from.LASTNAME.view(), from.PERSONID);
  return rewriteAt(ctx, f, receiver,
                   [&] {
                     ctx.msg.TOID = kept.PERSONID;
                     ctx.msg.TOALPHA = kept.LASTNAME.view();
                   }) &&
         rewriteAt(ctx, f, sender, [&] {
           ctx.msg.FROMID = kept.PERSONID;
           ctx.msg.FROMALPHA = kept.LASTNAME.view();
         });
}

bool moveAliases(Context& ctx, const Person& from, const Person& kept) {
  engine::File& f = ctx.fileOf<PLINK>();
  std::vector<engine::Position> own;
  ctx.pli = PLINK{};
  ctx.pli.PERSONID = from.PERSONID;
  f.setFrom(PLINK::PersonKey);
  while (f.next() == engine::Err::Ok && ctx.pli.PERSONID == from.PERSONID) own.push_back(f.position());
  if (!rewriteAt(ctx, f, own, [&] { ctx.pli.PERSONID = kept.PERSONID; })) return false;
  ctx.pli = PLINK{};
  ctx.pli.PERSONSTRING = from.PERSONSTRING;
  if (f.get(PLINK::StringKey) == engine::Err::Ok) return true;
  ctx.pli = PLINK{};
  ctx.pli.PERSONSTRING = from.PERSONSTRING;
  ctx.pli.PERSONID = kept.PERSONID;
  return UppDat(ctx, f, kUppAdd, kRollback) == kUppDatDone;
}

// One merged person into the kept one, in a transaction of its own.
bool mergeOne(Context& ctx, bool mail, std::uint32_t keptId, std::uint32_t id, std::int32_t& lastDate) {
  engine::File& persons = ctx.fileOf<Person>();
  engine::File& messages = mail ? ctx.fileOf<Mail>() : ctx.fileOf<MsgNmbr>();
  Transaction t(ctx, {&messages, &ctx.fileOf<PLINK>(), &persons});
  if (!t.started()) return false;
  Person kept{};
  Person from{};
  for (const auto& [wanted, into] : {std::pair{keptId, &kept}, std::pair{id, &from}}) {
    if (!readPerson(ctx, wanted, *into)) {
      inform(ctx, texts::kWarning, "Person " + std::to_string(wanted) + " does not exist.", MessageKind::Warning);
      return false;
    }
  }
  const bool ok = (mail ? repointMails(ctx, from, kept) : repointMessages(ctx, from, kept)) &&
                  moveAliases(ctx, from, kept) && readPerson(ctx, id, from) &&
                  UppDat(ctx, persons, kUppDelete, kRollback) == kUppDatDone;
  if (!ok || !t.commit()) return false;
  lastDate = std::max(lastDate, std::int32_t{from.LASTDATE});  // a packed field: by value
  return true;
}

// Counts the kept person's messages again and stores the latest date.
bool refreshKept(Context& ctx, bool mail, std::uint32_t keptId, std::int32_t lastDate) {
  engine::File& persons = ctx.fileOf<Person>();
  ctx.per = Person{};
  ctx.per.PERSONID = keptId;
  if (HoldRec(ctx, persons, Person::PersonKey, true, 0) != kHoldRecHeld) return false;
  const Person before = ctx.per;
  if (mail) {
    // The kept person stays even without mail: its counts then become 0.
    CFromToMail(ctx, kCountOwner);
  } else if (ForumFromToCount(ctx) == kPersonUnused) {
    ctx.per.FROMCOUNT = 0;
    ctx.per.TOCOUNT = 0;
  }
  ctx.per.LASTDATE = std::max(std::int32_t{ctx.per.LASTDATE}, lastDate);
  if (std::memcmp(&before, &ctx.per, sizeof(Person)) == 0) {
    persons.release();
    return true;
  }
  return UppDat(ctx, persons, kUppPut, kReport) == kUppDatDone;
}

}  // namespace

MergeSummary mergePersons(Context& ctx, std::uint32_t keptId, const std::vector<std::uint32_t>& ids) {
  MergeSummary summary;
  const bool mail = databaseType(ctx.mem.ForumType) == DatabaseType::Mail;
  TableUse use(ctx, {mail ? Mail::FileNo : MsgNmbr::FileNo, PLINK::FileNo, Person::FileNo});
  std::int32_t lastDate = 0;
  std::vector<std::uint32_t> done;
  for (const std::uint32_t id : ids) {
    if (id == keptId || std::find(done.begin(), done.end(), id) != done.end()) continue;
    done.push_back(id);
    if (mail && id == ctx.mem.PersonID) {
      inform(ctx, texts::kWarning, texts::kDefaultAddress, MessageKind::Warning);
      summary.refused.push_back(id);
      continue;
    }
    if (!mergeOne(ctx, mail, keptId, id, lastDate)) {
      summary.failed = true;
      break;
    }
    summary.merged.push_back(id);
  }
  if (!summary.merged.empty() && !refreshKept(ctx, mail, keptId, lastDate)) summary.failed = true;
  return summary;
}

}  // namespace qv::browse
