// The carbon-copy recipients of one mail: from the run's temporary
// carbon-copy file (CCT, all mail databases of the run together), keyed by
// the mail's run number.
#include <vector>

#include "import/merge_work.h"

namespace qv {

using engine::Err;

Lookup DatabaseMerge::Impl::carbonCopies(std::uint32_t runNumber, std::vector<CCR>& out) {
  out.clear();
  engine::File& temp = ctx.fileOf<CCT>();
  ctx.cct = CCT{};
  ctx.cct.MAILID = runNumber;
  Err e = temp.setFrom(CCT::IDKEY);
  while (e == Err::Ok && (e = temp.next()) == Err::Ok && ctx.cct.MAILID == runNumber) {
    // The owner does not copy himself.
    if (own.contains(ctx.cct.R_CISADRESS.view())) continue;
    CCR r{};
    r.R_NAME = ctx.cct.R_NAME;
    r.R_CISADRESS = ctx.cct.R_CISADRESS;
    r.RECIPTYPE = ctx.cct.RECIPTYPE;
    out.push_back(r);
  }
  if (e != Err::Ok && e != Err::RecordNotAvailable) {
    readFailed(temp);
    return Lookup::Failed;
  }
  return out.empty() ? Lookup::Missing : Lookup::Found;
}

}  // namespace qv
