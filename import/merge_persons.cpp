// Persons of the merge: found or added by name and address (AddPers), read
// by identifier, and the mailbox owner of a mail database.
#include "import/merge_work.h"
#include "store/names.h"
#include "store/persons.h"

namespace qv {

namespace {

PersonRef refOf(const Person& p) { return PersonRef{p.PERSONID, p.LASTNAME, p.FIRSTNAME, p.ADDRESS}; }

}  // namespace

// The cache is keyed by the identifying string, the same string AddPers
// looks up (upper case, without trailing blanks), so two spellings that
// AddPers takes for one person are one entry here too.
bool DatabaseMerge::Impl::person(std::string_view address, std::string_view name, PersonRef& out) {
  std::string key = personString(name, address);
  if (auto it = personsByString.find(key); it != personsByString.end()) {
    out = it->second;
    return true;
  }
  const std::uint32_t counterBefore = ctx.ctl.NEXTNUMBER;
  if (AddPers(ctx, address, name) != kPersonReady) return false;
  if (ctx.ctl.NEXTNUMBER != counterBefore) self.writes += 2;  // a new person and the counter
  out = refOf(ctx.per);
  personsByString.emplace(std::move(key), out);
  personsById.emplace(out.id, out);
  return true;
}

Lookup DatabaseMerge::Impl::personById(std::uint32_t id, PersonRef& out) {
  if (auto it = personsById.find(id); it != personsById.end()) {
    out = it->second;
    return Lookup::Found;
  }
  ctx.per.PERSONID = id;
  const Lookup l = find(ctx.fileOf<Person>(), Person::PersonKey);
  if (l == Lookup::Found) {
    out = refOf(ctx.per);
    personsById.emplace(id, out);
  }
  return l;
}

// The owner of a mail database is the person the database list names
// (Mem:PersonID, else FOR:PERSONID), with that person's last name, so the
// name copies of the owner's mails agree with the owner's record. Only when
// the list names no existing person is the owner found or added from the
// mail's own name and address. Either way once per database.
bool DatabaseMerge::Impl::ownerParty(std::string_view address, std::string_view name, PersonRef& out) {
  if (!ownerKnown) {
    const std::uint32_t id = ctx.mem.PersonID != 0 ? ctx.mem.PersonID : listOwnerId;
    PersonRef p;
    const Lookup l = id != 0 ? personById(id, p) : Lookup::Missing;
    if (l == Lookup::Failed) return false;
    if (l == Lookup::Missing && !person(address, name, p)) return false;
    owner = p;
    ownerKnown = true;
  }
  out = owner;
  return true;
}

}  // namespace qv
