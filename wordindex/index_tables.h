#pragma once
// The word list, the occurrence table and the stop words are opened by the
// word index itself, not by the table dispatcher: the index decides when
// they are read and written. A table that does not exist yet is created.

#include "store/context.h"
#include "store/engine/errors.h"

namespace qv::wordindex {

// Opens one of WordList, MasIdx or STO (by file number) for the scope of
// the object, and closes it again if it opened it.
class IndexTable {
 public:
  IndexTable(Context& ctx, int fileNo);
  ~IndexTable();
  IndexTable(const IndexTable&) = delete;
  IndexTable& operator=(const IndexTable&) = delete;

  // Ok when the table is open; otherwise why not (reported).
  engine::Err status() const { return status_; }
  engine::File& file() { return file_; }

 private:
  Context& ctx_;
  engine::File& file_;
  engine::Err status_ = engine::Err::Ok;
  bool opened_ = false;
};

}  // namespace qv::wordindex
