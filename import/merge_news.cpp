// One converted newsgroup message into a newsgroup database.
//
// Newsgroup messages are known by their Internet message identifiers. The
// readers give every message, and every identifier a message refers to, a
// run number and a TempID record; MsgString keeps, per database, the number
// under which each identifier is (or will be) stored. An identifier first
// met as a reference is registered under the reference's run number, so the
// message it names, arriving later in this run or in another, is stored
// under that very number and its replies point at it.
#include "import/merge_work.h"
#include "store/charset.h"

namespace qv {

namespace {

// MST:IDStringKey compares without regard to case or trailing blanks.
std::string identifierKey(std::string_view identifier) { return upper1252(clip(identifier)); }

// "First Last", or the last name alone when there is no first name.
std::string fullName(const PersonRef& p) {
  std::string name(p.first.view());
  if (!name.empty()) name += ' ';
  name += p.last.view();
  return name;
}

}  // namespace

Lookup DatabaseMerge::Impl::identifierOf(std::uint32_t runNumber, std::string& out) {
  ctx.tid.MSGNUMBER = runNumber;
  const Lookup l = find(ctx.fileOf<TempID>(), TempID::IDKEY);
  if (l != Lookup::Found) return l;
  out = ctx.tid.IDSTRING.str();
  return out.empty() ? Lookup::Missing : Lookup::Found;  // a blank identifier names nothing
}

Lookup DatabaseMerge::Impl::numberOfIdentifier(const std::string& identifier, std::uint32_t& out) {
  const std::string key = identifierKey(identifier);
  if (auto it = messageIds.find(key); it != messageIds.end()) {
    out = it->second;
    return Lookup::Found;
  }
  ctx.mst.IDSTRING = identifier;
  const Lookup l = find(ctx.fileOf<MsgString>(), MsgString::IDStringKey);
  if (l == Lookup::Found) {
    out = ctx.mst.MSGNUMBER;
    messageIds.emplace(key, out);
  }
  return l;
}

bool DatabaseMerge::Impl::registerIdentifier(const std::string& identifier, std::uint32_t number, int mode) {
  ctx.mst = MsgString{};
  ctx.mst.IDSTRING = identifier;
  ctx.mst.MSGNUMBER = number;
  if (UppDat(ctx, ctx.fileOf<MsgString>(), kUppAdd, mode) != kUppDatDone) return false;
  ++self.writes;
  messageIds.emplace(identifierKey(identifier), number);
  return true;
}

MergeResult DatabaseMerge::Impl::mergeNews() {
  NewHR& n = ctx.nhr;
  std::uint32_t section = 0;
  if (!resolveSection(section)) return MergeResult::Failed;

  // The message's own identifier decides its number and whether it is new.
  std::string identifier;
  switch (identifierOf(n.MSGNUMBER, identifier)) {
    case Lookup::Failed: return MergeResult::Failed;
    case Lookup::Missing: return MergeResult::Skipped;
    case Lookup::Found: break;
  }
  bool isNew = true;
  std::uint32_t number = 0;
  switch (numberOfIdentifier(identifier, number)) {
    case Lookup::Failed: return MergeResult::Failed;
    case Lookup::Found:
      n.MSGNUMBER = number;
      switch (findMessage(number)) {
        case Lookup::Failed: return MergeResult::Failed;
        case Lookup::Found:
          if (!settings.reimport) return MergeResult::Skipped;
          isNew = false;
          break;
        case Lookup::Missing: break;  // reserved by a reply that came first
      }
      break;
    case Lookup::Missing:
      number = n.MSGNUMBER;
      // Reported when it fails; the transaction stays unless the engine
      // gave it up, and then the run must end.
      if (!registerIdentifier(identifier, number, kReport))
        return ctx.session.inTransaction() ? MergeResult::Skipped : MergeResult::Failed;
      break;
  }

  if (n.REFNUMBER == number) n.REFNUMBER = 0;
  ThreadRef thread;
  bool threadKnown = false;
  PersonRef to;
  bool receiverKnown = false;
  if (n.REFNUMBER != 0) {
    std::string refIdentifier;
    const Lookup hasRef = identifierOf(n.REFNUMBER, refIdentifier);
    if (hasRef == Lookup::Failed) return MergeResult::Failed;
    if (hasRef == Lookup::Found) {
      std::uint32_t refNumber = 0;
      switch (numberOfIdentifier(refIdentifier, refNumber)) {
        case Lookup::Failed: return MergeResult::Failed;
        case Lookup::Missing:
          if (!registerIdentifier(refIdentifier, n.REFNUMBER, kRollback)) return MergeResult::Failed;
          break;
        case Lookup::Found: {
          // Known identifier: the reply points at its number, whether the
          // message is stored yet or only reserved.
          n.REFNUMBER = refNumber;
          StoredMessage parent;
          const Lookup l = storedMessage(refNumber, parent);
          if (l == Lookup::Failed) return MergeResult::Failed;
          if (l == Lookup::Missing) break;
          thread = parent.thread;
          threadKnown = true;
          // The reply goes to the author of the message it answers.
          const Lookup author = personById(parent.fromId, to);
          if (author == Lookup::Failed) return MergeResult::Failed;
          if (author == Lookup::Found) {
            n.R_NAME = fullName(to);
            n.R_CISADRESS = to.address.view();
            receiverKnown = true;
          }
          break;
        }
      }
    }
  }
  if (!threadKnown && !threadBySubject(section, thread)) return MergeResult::Failed;

  PersonRef from;
  if (!person(n.S_CISADRESS.view(), n.S_NAME.view(), from)) return MergeResult::Failed;
  if (!receiverKnown && !person(n.R_CISADRESS.view(), n.R_NAME.view(), to)) return MergeResult::Failed;
  if (!storeMessage(number, section, thread, from, to, isNew)) return MergeResult::Failed;

  if (isNew) {
    countPerson(from.id, true);
    countPerson(to.id, false);
    countThread(thread.number);
  }
  return MergeResult::Imported;
}

}  // namespace qv
