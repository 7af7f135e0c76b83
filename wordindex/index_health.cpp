#include "wordindex/index_health.h"

#include <filesystem>

#include "store/dispatcher.h"
#include "store/table_use.h"
#include "wordindex/index_state.h"
#include "wordindex/index_tables.h"

namespace qv::wordindex {

IndexHealth probeIndex(Context& ctx) {
  std::error_code ec;
  if (!std::filesystem::exists(BuildFileName(ctx, MasIdx::FileNo), ec) ||
      !std::filesystem::exists(BuildFileName(ctx, WordList::FileNo), ec))
    return IndexHealth::Missing;
  ctx.probeRaised = 0;
  OP_CLOSE(ctx, kOpProbe, {WordList::FileNo, MasIdx::FileNo});
  if (ctx.probeRaised > 0) {
    ctx.lib.IndexingInProgress -= ctx.probeRaised;
    ctx.probeRaised = 0;
    return IndexHealth::NeedsRebuild;
  }
  IndexTable words(ctx, WordList::FileNo);
  IndexTable occurrences(ctx, MasIdx::FileNo);
  if (words.needsRebuild() || occurrences.needsRebuild()) return IndexHealth::NeedsRebuild;
  TableUse use(ctx, {PUR::FileNo});
  IndexMarks marks;
  if (!readMarks(ctx, marks)) return IndexHealth::NeedsRebuild;
  if (marks.fullRunning) return IndexHealth::NeedsRebuild;
  if (!marks.builtWith) return IndexHealth::Missing;
  return IndexHealth::Ready;
}

const char* healthText(IndexHealth health) {
  switch (health) {
    case IndexHealth::Ready: return "";
    case IndexHealth::Missing: return "This database has no word index yet.";
    case IndexHealth::NeedsRebuild: return "The word index of this database must be rebuilt with a full index.";
  }
  return "";
}

}  // namespace qv::wordindex
