// The carbon-copy recipients of the mails just merged: from the run's
// temporary carbon-copy file (CCT, all mail databases of the run together)
// into the CCR table of the current mail database.
#include <vector>

#include "import/merge_work.h"

namespace qv {

using engine::Err;

// The driver builds the CCT key before this step (without it the walk would
// still sort, only slowly). Walks CCT in key order (mail identifier,
// address, name), one mail at a time. Recipients that are the owner (any own address) are dropped. When
// recipients are left and the mail is in this database (it may belong to
// another database of the run, or have been a duplicate that was not
// stored), MAI:CCR is set and one CCR record is added per recipient; a mail
// whose recipients were all the owner keeps MAI:CCR 0, since CCR holds
// nothing for it. Records are added with their key, so the CCR key is up to
// date afterwards.
bool DatabaseMerge::Impl::addCarbonCopies() {
  engine::File& temp = ctx.fileOf<CCT>();
  engine::File& mails = ctx.fileOf<Mail>();
  engine::File& copies = ctx.fileOf<CCR>();

  std::vector<CCR> recipients;  // of the mail being collected
  std::uint32_t mailId = 0;
  auto store = [&]() -> bool {
    if (recipients.empty()) return true;
    ctx.mai.MAILID = mailId;
    switch (find(mails, Mail::IdKey)) {
      case Lookup::Failed: return false;
      case Lookup::Missing: return true;
      case Lookup::Found: break;
    }
    ctx.mai.CCR = 1;
    if (!write(mails, kUppPut)) return false;
    for (const CCR& r : recipients) {
      ctx.ccr = r;
      if (!write(copies, kUppAdd)) return false;
    }
    return true;
  };

  Err e = temp.set(CCT::IDKEY);
  while (e == Err::Ok && (e = temp.next()) == Err::Ok) {
    if (ctx.cct.MAILID != mailId) {
      if (!store()) return false;
      recipients.clear();
      mailId = ctx.cct.MAILID;
    }
    if (own.contains(ctx.cct.R_CISADRESS.view())) continue;
    CCR r{};
    r.MAILID = mailId;
    r.R_NAME = ctx.cct.R_NAME;
    r.R_CISADRESS = ctx.cct.R_CISADRESS;
    r.RECIPTYPE = ctx.cct.RECIPTYPE;
    recipients.push_back(r);
  }
  if (e != Err::RecordNotAvailable) return readFailed(temp);
  return store();
}

}  // namespace qv
