// The import driver's merge: database by database, the temporary records go
// into their database, then the counts follow.
#include <algorithm>

#include "import/driver.h"
#include "text/body/body.h"
#include "store/database_list.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv {

using engine::Err;

namespace {
const char* const kMergeDiskText =
    "This may be too little to allow import. Running out of diskspace may corrupt the currently accessed data "
    "file(s).Press OK if you want to continue and Cancel if you want to abort the import!";
}  // namespace

bool ImportJob::beginTransaction() {
  std::vector<engine::File*> files;
  for (int no : tables_) files.push_back(&ctx_.file(no));
  ctx_.session.logout(5, files);
  return TransactionCheck(ctx_) == kTransactionStarted;
}

bool ImportJob::commit() {
  if (!ctx_.session.inTransaction()) return true;
  if (ctx_.session.commit() == Err::Ok) return true;
  say("Warning!", "Transaction Frame Error!\r\n" + ctx_.session.errorText(), MessageKind::Error);
  ctx_.session.rollback();
  return false;
}

void ImportJob::nextDatabase() {
  for (int no : tables_) OP_CLOSE(ctx_, kOpRelease, {no});
  tables_.clear();
  if (nextDatabase_ >= databases_.size()) {
    ctx_.mem = savedMem_;
    state_ = State::SaveFileIndex;
    return;
  }
  current_ = databases_[nextDatabase_++];
  if (!targets_.createOnDisk(ctx_, *current_)) {
    end(false);
    return;
  }
  // The globals name the database being merged, so that its tables open
  // in its directory.
  OP_CLOSE(ctx_, kOpOpen, {Forums::FileNo});
  ctx_.for_ = Forums{};
  ctx_.for_.ID = current_->id;
  const bool listed = ctx_.fileOf<Forums>().get(Forums::ForumKey) == Err::Ok;
  const Forums record = ctx_.for_;
  OP_CLOSE(ctx_, kOpRelease, {Forums::FileNo});
  if (!listed) {
    say("Warning!", "The database " + current_->name + " is no longer in the database list.", MessageKind::Error);
    end(false);
    return;
  }
  setDatabaseGlobals(ctx_.mem, record);

  merge_ = std::make_unique<DatabaseMerge>(ctx_, *current_, settings_, run_.runDate, run_.runTime);
  // Names and subjects are stored with their encoded words decoded.
  merge_->decodeHeaderText = [](std::string_view text) { return body::decodeEncodedWord(text); };
  tables_ = merge_->tables();
  for (int no : {Control::FileNo, SaveFile::FileNo})
    if (std::find(tables_.begin(), tables_.end(), no) == tables_.end()) tables_.push_back(no);
  for (int no : tables_) OP_CLOSE(ctx_, kOpOpen, {no});
  if (!merge_->prepare()) {
    end(false);
    return;
  }
  ctx_.nhr = NewHR{};
  ctx_.nhr.INTERNAL = current_->id;
  ctx_.fileOf<NewHR>().setFrom(NewHR::MSGKEY);
  setText("Importing messages");
  state_ = State::Merge;
}

void ImportJob::mergeSlice() {
  engine::File& temp = ctx_.fileOf<NewHR>();
  // Every mail looks up its carbon copies: one read transaction for the
  // slice instead of one per mail (the file is only read while merging).
  const engine::ReadBurst readingCopies{&ctx_.fileOf<CCT>()};
  for (int i = 0; i < batch_; ++i) {
    if (!ctx_.session.inTransaction() && !beginTransaction()) {
      end(false);
      return;
    }
    if (temp.next() != Err::Ok || ctx_.nhr.INTERNAL != current_->id) {
      // The database's last record is merged.
      if (!commit()) {
        end(false);
        return;
      }
      state_ = State::CountPersons;
      setText("Counting messages per person");
      return;
    }
    if (merge_->merge() == MergeResult::Failed) {
      end(false);
      return;
    }
    ++merged_;
    if (merge_->writes > kCommitAfterWrites) {
      merge_->writes = 0;
      if (!commit()) {
        end(false);
        return;
      }
      if (!enoughSpace(ctx_.mem.FileDir, kLowDiskBytes, kMergeDiskText)) {
        end(false);
        return;
      }
    }
  }
  setText(stepText_);
}

void ImportJob::countStep(State next, bool (DatabaseMerge::*add)(), const char* nextText) {
  if (!merge_->counts.dropped) {
    if (!beginTransaction()) {
      end(false);
      return;
    }
    if (!(merge_.get()->*add)() || !commit()) {
      end(false);
      return;
    }
  }
  state_ = next;
  setText(nextText);
}

void ImportJob::databaseDone() {
  // The list's message count is the number of records the database holds.
  const std::int64_t count =
      ctx_.file(databaseType(ctx_.mem.ForumType) == DatabaseType::Mail ? Mail::FileNo : MsgNmbr::FileNo).records();
  OP_CLOSE(ctx_, kOpOpen, {Forums::FileNo});
  ctx_.for_ = Forums{};
  ctx_.for_.ID = current_->id;
  if (HoldRec(ctx_, ctx_.fileOf<Forums>(), Forums::ForumKey, true, 0) == kHoldRecHeld) {
    ctx_.for_.MSGCOUNT = static_cast<std::uint32_t>(std::max<std::int64_t>(count, 0));
    ctx_.for_.COUNTFLAG = 0;
    UppDat(ctx_, ctx_.fileOf<Forums>(), kUppPut, kReport);
  }
  OP_CLOSE(ctx_, kOpRelease, {Forums::FileNo});
  summary_.imported += merge_->imported;
  summary_.skipped += merge_->skipped;
  summary_.databases.push_back(current_->name);
  summary_.databaseIds.push_back(current_->id);
  merge_.reset();
  state_ = State::NextDatabase;
  setText("Importing messages");
}

}  // namespace qv
