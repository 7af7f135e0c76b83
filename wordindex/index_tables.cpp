#include "wordindex/index_tables.h"

#include <string>

#include "store/dispatcher.h"
#include "store/report.h"

namespace qv::wordindex {

IndexTable::IndexTable(Context& ctx, int fileNo) : ctx_(ctx), file_(ctx.file(fileNo)) {
  if (file_.isOpen()) return;
  file_.setName(BuildFileName(ctx_, fileNo));
  status_ = file_.openOrCreate();
  if (status_ != engine::Err::Ok) {
    inform(ctx_, "Word Index Error", file_.errorText(), MessageKind::Error);
    return;
  }
  opened_ = true;
}

IndexTable::~IndexTable() {
  if (opened_) file_.close();
}

}  // namespace qv::wordindex
