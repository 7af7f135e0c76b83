#pragma once
// "MergePersons": several persons of the active database merged by hand
// into the one the user keeps.

#include <cstdint>
#include <vector>

#include "store/context.h"

namespace qv::browse {

struct MergeSummary {
  std::vector<std::uint32_t> merged;   // merged away and deleted, in list order
  std::vector<std::uint32_t> refused;  // the mail database's default person
  bool failed = false;                 // a merge stopped (reported); the persons after it were not tried
};

// Merges every person of `ids` (other than `keptId`; each once) into person
// `keptId`, one transaction per merged person:
// - a mail database's default person (Mem:PersonID) is never merged away:
//   "Warning!" / "You are not allowed to change the mail default address!"
//   (unless unattended) and it is skipped. It may be the kept person.
// - every message naming the merged person as sender, receiver or (mail)
//   partner names the kept person instead, with the kept person's name
//   copies. All three roles are walked, so a mail that names the merged
//   person only as sender or receiver (neither of them the database's own
//   address) is re-pointed too and no message is left naming a deleted person.
// - the merged person's aliases move to the kept person, and its identifying
//   string becomes an alias of the kept person unless that alias exists.
// - the merged person is deleted.
// A merged or kept person that cannot be read, or a failed write, rolls that
// merge back and stops (failed). Afterwards the kept person's sent and
// received counts are counted again from the messages and its LASTDATE is the
// latest of the merged persons' and its own; it is rewritten when that changed.
// Opens and releases its tables; uses ctx.per, ctx.pli, ctx.msg / ctx.mai.
MergeSummary mergePersons(Context& ctx, std::uint32_t keptId, const std::vector<std::uint32_t>& ids);

}  // namespace qv::browse
