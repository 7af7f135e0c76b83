#include "wordindex/index_after_import.h"

#include <chrono>

#include "store/database_list.h"
#include "store/table_use.h"

namespace qv::wordindex {

IndexAfterImportJob::IndexAfterImportJob(Context& ctx, std::vector<std::uint32_t> databaseIds)
    : ctx_(ctx), ids_(std::move(databaseIds)) {}

IndexAfterImportJob::~IndexAfterImportJob() = default;

// Makes the next database that keeps an index the active one and starts
// its run; false when none is left.
bool IndexAfterImportJob::startNext() {
  while (next_ < ids_.size()) {
    const std::uint32_t id = ids_[next_++];
    Forums record{};
    {
      TableUse use(ctx_, {Forums::FileNo});
      ctx_.for_ = Forums{};
      ctx_.for_.ID = id;
      if (ctx_.fileOf<Forums>().get(Forums::ForumKey) != engine::Err::Ok) continue;
      record = ctx_.for_;
    }
    if (record.INDEXTYPE == 0) continue;
    setDatabaseGlobals(ctx_.mem, record);
    name_ = record.DESCRIPTION.str();
    current_ = std::make_unique<IndexJob>(ctx_, IndexMode::Partial);
    return true;
  }
  return false;
}

void IndexAfterImportJob::fold(const std::string& name, const IndexSummary& s) {
  ++summary_.databases;
  summary_.messages += s.messages;
  summary_.seconds += s.seconds;
  if (s.result == IndexResult::Failed) summary_.failed = true;
  if (!s.note.empty()) summary_.notes.push_back(name + ": " + s.note);
  summary_.newStopWords.insert(summary_.newStopWords.end(), s.newStopWords.begin(), s.newStopWords.end());
}

bool IndexAfterImportJob::step() {
  if (!current_ && !startNext()) return true;
  if (cancelRequested()) current_->requestCancel();
  if (!current_->step()) {
    report(ctx_.lib.ui, current_->progress().position, current_->progress().range, current_->progress().text);
    return false;
  }
  fold(name_, current_->summary());
  current_.reset();
  return cancelRequested() || !startNext();
}

}  // namespace qv::wordindex
