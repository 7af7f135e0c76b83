#include "store/persons.h"

#include <cstdint>
#include <limits>
#include <string>

#include "store/charset.h"
#include "store/names.h"
#include "store/records.h"
#include "store/report.h"

namespace qv {

using engine::Err;

namespace {

std::string titleOf(const engine::File& f) { return std::string(clip(f.name().string())); }

// Fills ctx.per with a new person for `key` and adds it. False when no
// identifier could be had or the add failed; either way the caller's
// transaction is gone and the failure was reported as AddPers describes.
bool addPerson(Context& ctx, const std::string& key, std::string_view address, std::string_view name) {
  engine::File& persons = ctx.fileOf<Person>();
  ctx.per = Person{};
  const std::uint32_t id = NextNr(ctx);
  if (id == kNoIdentifier) {
    // Rolled back before the message is up, so that no lock waits on the user.
    if (ctx.session.inTransaction()) ctx.session.rollback();
    if (taskMode(ctx.mem.DoTask) != TaskMode::Scheduled)
      show(ctx, titleOf(persons), "A new person ID could not be generated \r\nThe last transaction is rolled back.",
           MessageKind::Error);
    return false;
  }
  ctx.per.PERSONID = id;
  ctx.per.PERSONSTRING = key;
  ctx.per.ADDRESS = address;
  std::string last, first;
  ParseName(name, last, decltype(Person::LASTNAME)::capacity, first, decltype(Person::FIRSTNAME)::capacity);
  ctx.per.LASTNAME = last;
  ctx.per.FIRSTNAME = first;
  return UppDat(ctx, persons, kUppAdd, kRollback) == kUppDatDone;
}

// Counts the person's records along its sender key and its receiver key.
// startAt(sender) puts the first key value of the person's run into the
// buffer; ofPerson(sender) tells whether the record read still belongs to
// the run. False when the table could not be read to the end of a run
// (shown unless unattended).
template <class StartAt, class OfPerson>
bool countRuns(Context& ctx, engine::File& f, engine::KeyRef fromKey, engine::KeyRef toKey, StartAt startAt,
               OfPerson ofPerson, std::uint32_t& from, std::uint32_t& to) {
  for (const bool sender : {true, false}) {
    std::uint32_t& count = sender ? from : to;
    count = 0;
    startAt(sender);
    Err e = f.setFrom(sender ? fromKey : toKey);
    while (e == Err::Ok && (e = f.next()) == Err::Ok && ofPerson(sender)) ++count;
    if (e != Err::Ok && e != Err::RecordNotAvailable) {  // RecordNotAvailable: the end of the key
      inform(ctx, titleOf(f), f.errorText(), MessageKind::Error);
      return false;
    }
  }
  return true;
}

// A name copy of the person: its key compares without regard to case, so
// the run of the person's records does too.
bool sameCopy(const FixedString<10>& copy, const FixedString<10>& alpha) {
  return compareKeyText(copy.view(), alpha.view()) == 0;
}

// Compares fresh counts with the person's stored ones (not both 0).
CountResult settleCounts(Context& ctx, std::uint32_t from, std::uint32_t to) {
  if (from == ctx.per.FROMCOUNT && to == ctx.per.TOCOUNT) return kCountsUnchanged;
  ctx.per.FROMCOUNT = from;
  ctx.per.TOCOUNT = to;
  return kCountsChanged;
}

// Reads the stored text of message `id` into ctx.txt / ctx.txtMemo. False
// when there is none, or when it cannot be read (then shown unless
// unattended).
bool readText(Context& ctx, std::uint32_t id) {
  engine::File& texts = ctx.fileOf<MsgText>();
  ctx.txt = MsgText{};
  ctx.txt.MSGNUMBER = id;
  const Err e = texts.get(MsgText::IdKey);
  if (e == Err::Ok) return true;
  if (e != Err::RecordNotFound) inform(ctx, titleOf(texts), texts.errorText(), MessageKind::Error);
  return false;
}

}  // namespace

AddPersResult AddPers(Context& ctx, std::string_view address, std::string_view name) {
  const std::string key = personString(name, address);
  engine::File& persons = ctx.fileOf<Person>();
  engine::File& aliases = ctx.fileOf<PLINK>();

  ctx.per.PERSONSTRING = key;
  if (persons.get(Person::StringKey) == Err::Ok) return kPersonReady;

  ctx.pli.PERSONSTRING = key;
  bool aliasOfNobody = false;
  if (aliases.get(PLINK::StringKey) == Err::Ok) {
    ctx.per.PERSONID = ctx.pli.PERSONID;
    if (persons.get(Person::PersonKey) == Err::Ok) return kPersonReady;
    aliasOfNobody = true;  // left behind by a person removed without its aliases
  }

  if (!addPerson(ctx, key, address, name)) return kPersonFailed;
  // The alias is still the record last read on PLINK. The new person carries
  // its string, so the alias would only point nowhere again.
  if (aliasOfNobody && UppDat(ctx, aliases, kUppDelete, kRollback) == kUppDatFailed) return kPersonFailed;
  return kPersonReady;
}

CountResult CFromToMail(Context& ctx, int mode) {
  engine::File& mails = ctx.fileOf<Mail>();
  const FixedString<10> alpha(ctx.per.LASTNAME.view());
  const std::uint32_t id = ctx.per.PERSONID;

  // The date, time and identifier after the name and person sort newest
  // first: the highest values start at the person's first mail.
  auto startAt = [&](bool sender) {
    ctx.mai = Mail{};
    if (sender) {
      ctx.mai.FROMALPHA = alpha.view();
      ctx.mai.FROMID = id;
    } else {
      ctx.mai.TOALPHA = alpha.view();
      ctx.mai.TOID = id;
    }
    ctx.mai.DATE = std::numeric_limits<std::int32_t>::max();
    ctx.mai.TIME = std::numeric_limits<std::int32_t>::max();
    ctx.mai.MAILID = std::numeric_limits<std::uint32_t>::max();
  };
  auto ofPerson = [&](bool sender) {
    return sender ? ctx.mai.FROMID == id && sameCopy(ctx.mai.FROMALPHA, alpha)
                  : ctx.mai.TOID == id && sameCopy(ctx.mai.TOALPHA, alpha);
  };
  std::uint32_t from = 0, to = 0;
  if (!countRuns(ctx, mails, Mail::FromKey, Mail::ToKey, startAt, ofPerson, from, to)) return kCountsUnchanged;

  if (from == 0 && to == 0) {
    if (mode == kCountOther) return kPersonUnused;
    if (mode == kCountOwner) {
      ctx.per.FROMCOUNT = 0;
      ctx.per.TOCOUNT = 0;
      return kCountsChanged;
    }
    return kCountsUnchanged;
  }
  return settleCounts(ctx, from, to);
}

CountResult ForumFromToCount(Context& ctx) {
  engine::File& messages = ctx.fileOf<MsgNmbr>();
  const FixedString<10> alpha(ctx.per.LASTNAME.view());
  const std::uint32_t id = ctx.per.PERSONID;

  auto startAt = [&](bool sender) {
    ctx.msg = MsgNmbr{};
    if (sender) {
      ctx.msg.FROMALPHA = alpha.view();
      ctx.msg.FROMID = id;
    } else {
      ctx.msg.TOALPHA = alpha.view();
      ctx.msg.TOID = id;
    }
    ctx.msg.MSGNUMBER = std::numeric_limits<std::uint32_t>::max();  // numbers sort highest first
  };
  auto ofPerson = [&](bool sender) {
    return sender ? ctx.msg.FROMID == id && sameCopy(ctx.msg.FROMALPHA, alpha)
                  : ctx.msg.TOID == id && sameCopy(ctx.msg.TOALPHA, alpha);
  };
  std::uint32_t from = 0, to = 0;
  if (!countRuns(ctx, messages, MsgNmbr::FromKey, MsgNmbr::ToKey, startAt, ofPerson, from, to)) return kCountsUnchanged;

  if (from == 0 && to == 0) return kPersonUnused;
  return settleCounts(ctx, from, to);
}

void registerPersonProcedures(Library& lib) {
  lib.registerProcedure(kSemaForumFromToCount, [](Context& ctx) { return ForumFromToCount(ctx); });
}

DupStringResult DupString(Context& ctx, int mode, std::uint32_t firstId, std::uint32_t secondId,
                          std::string_view importedText) {
  if (mode != kDupImported && mode != kDupStored) return kTextsDiffer;
  // Taken before any read: the text being imported may lie in ctx.txtMemo.
  std::string other(mode == kDupImported ? importedText : std::string_view());
  if (!readText(ctx, firstId)) return kTextsDiffer;
  if (mode == kDupStored) {
    other = ctx.txtMemo;
    if (!readText(ctx, secondId)) return kTextsDiffer;
  }
  return sameText(ctx.txtMemo, other) ? kTextsSame : kTextsDiffer;
}

}  // namespace qv
