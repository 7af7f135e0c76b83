// One converted forum message into a forum database.
#include "import/merge_work.h"

namespace qv {

// A reply joins the thread of the message it answers when that message is
// in the database; otherwise (and for a message that answers none) the
// thread is the one of its subject in its section. Once stored, a message
// stays in its thread: a referenced message imported later does not move it.
MergeResult DatabaseMerge::Impl::mergeForum() {
  NewHR& n = ctx.nhr;
  std::uint32_t section = 0;
  if (!resolveSection(section)) return MergeResult::Failed;

  const std::uint32_t number = n.MSGNUMBER;
  const Lookup existing = findMessage(number);
  if (existing == Lookup::Failed) return MergeResult::Failed;
  const bool isNew = existing == Lookup::Missing;

  if (n.REFNUMBER == number) n.REFNUMBER = 0;
  ThreadRef thread;
  bool threadKnown = false;
  if (n.REFNUMBER != 0) {
    StoredMessage parent;
    const Lookup l = storedMessage(n.REFNUMBER, parent);
    if (l == Lookup::Failed) return MergeResult::Failed;
    if (l == Lookup::Found) {
      thread = parent.thread;
      threadKnown = true;
    }
  }
  if (!threadKnown && !threadBySubject(section, thread)) return MergeResult::Failed;

  PersonRef from, to;
  if (!person(n.S_CISADRESS.view(), n.S_NAME.view(), from)) return MergeResult::Failed;
  if (!person(n.R_CISADRESS.view(), n.R_NAME.view(), to)) return MergeResult::Failed;
  if (!storeMessage(number, section, thread, from, to, isNew)) return MergeResult::Failed;
  if (!logImported(number)) return MergeResult::Failed;

  if (isNew) {
    countPerson(from.id, true);
    countPerson(to.id, false);
    countThread(thread.number);
    countSection(section);
  }
  return MergeResult::Imported;
}

// The register of imported forum messages keeps a deleted message from
// coming back with a later import. With re-import allowed the pair is added
// when missing; otherwise the readers have already left out every message
// it holds, so the pair is appended without key upkeep (the driver builds
// the key at the end of the run).
bool DatabaseMerge::Impl::logImported(std::uint32_t number) {
  engine::File& f = ctx.fileOf<SaveFile>();
  ctx.imp.FORUMNUMBER = db.id;
  ctx.imp.MSGNUMBER = number;
  if (!settings.reimport) return write(f, kUppAppend);
  switch (find(f, SaveFile::IDKEY)) {
    case Lookup::Found: return true;
    case Lookup::Failed: return false;
    case Lookup::Missing: break;
  }
  ctx.imp.FORUMNUMBER = db.id;
  ctx.imp.MSGNUMBER = number;
  return write(f, kUppAdd);
}

}  // namespace qv
