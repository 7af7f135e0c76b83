#pragma once
// Whether the active database's word index can be searched.

#include "store/context.h"

namespace qv::wordindex {

enum class IndexHealth {
  Ready,
  Missing,       // never built
  NeedsRebuild,  // damaged, of another layout, or a full index did not finish
};

// Probes the word list and the occurrence table. A table of another layout
// raises IndexingInProgress in the probe; having found out, this lowers it
// again: the answer is NeedsRebuild and only a full index, which replaces
// the table, may write it.
IndexHealth probeIndex(Context& ctx);

// What the user can do about an index that is not Ready.
const char* healthText(IndexHealth health);

}  // namespace qv::wordindex
