#include "wordindex/index_tables.h"

#include <string>

#include "store/dispatcher.h"
#include "store/report.h"

namespace qv::wordindex {

using engine::Err;

namespace {

bool isUnusable(Err e) { return e == Err::BadKeys || e == Err::LayoutDiffers || e == Err::FileSystemError; }

}  // namespace

IndexTable::IndexTable(Context& ctx, int fileNo, IndexUse use) : ctx_(ctx), file_(ctx.file(fileNo)) {
  if (file_.isOpen()) return;
  file_.setName(BuildFileName(ctx_, fileNo));
  status_ = file_.openOrCreate();
  needsRebuild_ = isUnusable(status_);
  if (use == IndexUse::Rebuild && (status_ == Err::LayoutDiffers || status_ == Err::FileSystemError)) {
    // Nothing in it can be kept: a full index makes it anew.
    file_.remove();
    status_ = file_.openOrCreate();
  }
  if (use == IndexUse::Rebuild && status_ == Err::BadKeys) status_ = Err::Ok;
  opened_ = file_.isOpen();
  if (status_ != Err::Ok && !isUnusable(status_)) inform(ctx_, "Word Index Error", file_.errorText(), MessageKind::Error);
}

IndexTable::~IndexTable() {
  if (opened_) file_.close();
}

}  // namespace qv::wordindex
