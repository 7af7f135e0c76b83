// Storing a forum or newsgroup message: its header record in MsgNmbr and its
// text in MsgText.
#include "import/merge_work.h"

namespace qv {

Lookup DatabaseMerge::Impl::findMessage(std::uint32_t number) {
  ctx.msg.MSGNUMBER = number;
  return find(ctx.fileOf<MsgNmbr>(), MsgNmbr::IdKey);
}

Lookup DatabaseMerge::Impl::storedMessage(std::uint32_t number, StoredMessage& out) {
  if (auto it = stored.find(number); it != stored.end()) {
    out = it->second;
    return Lookup::Found;
  }
  const Lookup l = findMessage(number);
  if (l == Lookup::Found) out = StoredMessage{ThreadRef{ctx.msg.THREADNUMBER, ctx.msg.THREADALPHA}, ctx.msg.FROMID};
  return l;
}

// A new message is added with its text. An existing one is rewritten in
// place, keeping the status the user gave it (keep or delete), and so is its
// text; an existing message without a text gets none. When the existing
// message has vanished since it was looked up, it is added again, and its
// text with it.
bool DatabaseMerge::Impl::storeMessage(std::uint32_t number, std::uint32_t secSysId, const ThreadRef& thread,
                                       const PersonRef& from, const PersonRef& to, bool isNew) {
  engine::File& messages = ctx.fileOf<MsgNmbr>();
  Status status = Status::Normal;
  bool added = isNew;
  if (!isNew) {
    switch (findMessage(number)) {
      case Lookup::Failed: return false;
      case Lookup::Found: status = statusOf(ctx.msg); break;
      case Lookup::Missing: added = true; break;
    }
  }
  ctx.msg = MsgNmbr{};
  ctx.msg.MSGNUMBER = number;
  ctx.msg.SECSYSID = secSysId;
  ctx.msg.REFNUMBER = ctx.nhr.REFNUMBER;
  ctx.msg.THREADNUMBER = thread.number;
  ctx.msg.THREADALPHA = thread.alpha;
  ctx.msg.FROMID = from.id;
  ctx.msg.FROMALPHA = from.last.view();
  ctx.msg.TOID = to.id;
  ctx.msg.TOALPHA = to.last.view();
  ctx.msg.DATE = ctx.nhr.DATE;
  setStatus(ctx.msg, status);
  if (!write(messages, added ? kUppAdd : kUppPut)) return false;
  stored[number] = StoredMessage{thread, from.id};

  engine::File& texts = ctx.fileOf<MsgText>();
  if (!isNew) {
    ctx.txt.MSGNUMBER = number;
    const Lookup l = find(texts, MsgText::IdKey);
    if (l == Lookup::Failed) return false;
    if (l == Lookup::Missing && !added) return true;
    added = l == Lookup::Missing;
  }
  ctx.txt = MsgText{number, runDate, runTime};
  ctx.txtMemo = ctx.nhrMemo;
  return write(texts, added ? kUppAdd : kUppPut);
}

}  // namespace qv
