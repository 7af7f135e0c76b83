// The carbon-copy recipients of one mail: from the run's temporary
// carbon-copy file (CCT, all mail databases of the run together), keyed by
// the mail's run number.
#include <optional>
#include <vector>

#include "import/merge_work.h"

namespace qv {

using engine::Err;

Lookup DatabaseMerge::Impl::carbonCopies(std::uint32_t runNumber, std::vector<CCR>& out) {
  out.clear();
  engine::File& temp = ctx.fileOf<CCT>();
  // The mails of a database are merged in the order of their run numbers,
  // so one walk through the file serves them all, moving only forward; a
  // number not above the last one asked for starts it again.
  CopyWalk& w = copyWalk;
  if (!w.started || runNumber <= w.lastRun) {
    w = CopyWalk{};
    ctx.cct = CCT{};
    ctx.cct.MAILID = runNumber;
    if (temp.setFrom(CCT::IDKEY) != Err::Ok) {
      readFailed(temp);
      return Lookup::Failed;
    }
    w.started = true;
  }
  w.lastRun = runNumber;
  while (!w.ended) {
    if (!w.pending) {
      const Err e = temp.next();
      if (e == Err::RecordNotAvailable) {
        w.ended = true;
        break;
      }
      if (e != Err::Ok) {
        w = CopyWalk{};
        readFailed(temp);
        return Lookup::Failed;
      }
      w.pending = ctx.cct;
    }
    const std::uint32_t mailId = w.pending->MAILID;
    if (mailId > runNumber) break;
    const CCT copy = *w.pending;
    w.pending.reset();
    // Copies of mails that were not stored (duplicates) are passed over;
    // the owner does not copy himself.
    if (mailId < runNumber || own.contains(copy.R_CISADRESS.view())) continue;
    CCR r{};
    r.R_NAME = copy.R_NAME;
    r.R_CISADRESS = copy.R_CISADRESS;
    r.RECIPTYPE = copy.RECIPTYPE;
    out.push_back(r);
  }
  return out.empty() ? Lookup::Missing : Lookup::Found;
}

}  // namespace qv
