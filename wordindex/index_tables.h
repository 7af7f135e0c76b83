#pragma once
// The word list, the occurrence table and the stop words are opened by the
// word index itself, not by the table dispatcher: the index decides when
// they are read and written. A table that does not exist yet is created.

#include "store/context.h"
#include "store/engine/errors.h"

namespace qv::wordindex {

enum class IndexUse {
  Use,      // read and write the table as it is
  Rebuild,  // a full index is about to refill it: a damaged table or one
            // of another layout is replaced by an empty one
};

// Opens one of WordList, MasIdx or STO (by file number) for the scope of
// the object, and closes it again if it opened it.
class IndexTable {
 public:
  IndexTable(Context& ctx, int fileNo, IndexUse use = IndexUse::Use);
  ~IndexTable();
  IndexTable(const IndexTable&) = delete;
  IndexTable& operator=(const IndexTable&) = delete;

  // Ok when the table is open and whole. BadKeys (the keys of an
  // interrupted run), LayoutDiffers and FileSystemError (damaged, or not a
  // table of ours) mean the index must be rebuilt: needsRebuild(), nothing
  // shown. Other errors are reported. In Rebuild use such a table is
  // replaced (or, with BadKeys, left open) and the status is Ok, while
  // needsRebuild() still says what was found.
  engine::Err status() const { return status_; }
  bool needsRebuild() const { return needsRebuild_; }
  engine::File& file() { return file_; }

 private:
  Context& ctx_;
  engine::File& file_;
  engine::Err status_ = engine::Err::Ok;
  bool opened_ = false;
  bool needsRebuild_ = false;
};

}  // namespace qv::wordindex
