#include "export/batch_operation.h"

#include "browse/status_change.h"
#include "store/records.h"
#include "store/report.h"
#include "store/table_use.h"
#include "store/topic_links.h"

namespace qv::exporting {

using engine::Err;

std::string_view runningText(BatchKind kind) {
  switch (kind) {
    case BatchKind::AttachTopic: return "Attaching topics ... please wait!";
    case BatchKind::RemoveTopic: return "Removing topics ... please wait!";
    case BatchKind::Recode: return "Recoding message status ... please wait!";
  }
  return {};
}

std::string_view finishedText(BatchKind kind) {
  switch (kind) {
    case BatchKind::AttachTopic: return "Topics attached!";
    case BatchKind::RemoveTopic: return "Topics removed!";
    case BatchKind::Recode: return "Message status recoded!";
  }
  return {};
}

namespace {

bool isMail(const Context& ctx) { return databaseType(ctx.mem.ForumType) == DatabaseType::Mail; }

// Codes 4, 5 and 6 without a date range select a whole container.
bool selectsContainer(const BatchRequest& r) {
  return r.kind == BatchKind::Recode && !r.range &&
         (r.code == SelectionCode::Thread || r.code == SelectionCode::Section || r.code == SelectionCode::All);
}

}  // namespace

BatchJob::BatchJob(Context& ctx, BatchRequest request) : ctx_(ctx), request_(std::move(request)) {
  if (request_.kind != BatchKind::Recode) {
    TableUse use(ctx_, {Codes::FileNo});
    if (request_.topicId != kNoIdentifier) topic_ = findCode(ctx_, request_.topicId);
    if (!topic_ || topic_->TYPE != static_cast<std::uint8_t>(CodeType::Topic)) {
      refuse(kSelectionErrorTitle, kNoTopicSelected);
      return;
    }
  }
  if (request_.range) {
    const DateRangeError e = checkDateRange(*request_.range);
    if (e != DateRangeError::None) {
      refuse(kDateRangeTitle, dateRangeText(e));
      return;
    }
  }
  if (isMail(ctx_) && request_.code == SelectionCode::Section) {
    refuse(kSelectionErrorTitle, "Mail databases have no sections.");
    return;
  }
  if (selectsContainer(request_)) {
    container_ = true;
    return;
  }
  selection_ = std::make_unique<SelectionCollector>(ctx_, request_.code, request_.start, request_.range);
}

BatchJob::~BatchJob() = default;

std::uint64_t BatchJob::selected() const { return selection_ ? selection_->ids().size() : 0; }

void BatchJob::refuse(std::string_view title, std::string_view text) {
  show(ctx_, title, text, MessageKind::Error);
  result_ = BatchResult::Refused;
}

void BatchJob::end(BatchResult r) {
  result_ = r;
  if (r == BatchResult::Done) report(ctx_.ui, 1, 1, std::string(finishedText(request_.kind)));
  if (r == BatchResult::Cancelled) inform(ctx_, "", kProcessAborted, MessageKind::Warning);
}

bool BatchJob::step() {
  if (result_ != BatchResult::Running) return true;
  if (cancelRequested()) {
    end(BatchResult::Cancelled);
    return true;
  }
  if (container_) {
    recodeContainer();
    return true;
  }
  if (!collected_) {
    report(ctx_.ui, 0, 1, std::string(runningText(request_.kind)));
    collected_ = selection_->step();
    if (collected_ && selection_->result() != SelectionResult::Ok) {
      refuse(kSelectionErrorTitle, selection_->result() == SelectionResult::NoMessage
                                       ? "The current message does not exist."
                                       : "This selection is not offered here.");
    }
    return result_ != BatchResult::Running;
  }
  workSlice();
  return result_ != BatchResult::Running;
}

// One transaction over at most kCommitAfterWrites selected messages.
void BatchJob::workSlice() {
  const std::vector<std::uint32_t>& ids = selection_->ids();
  const bool mail = isMail(ctx_);
  const bool topics = request_.kind != BatchKind::Recode;
  const int records = mail ? Mail::FileNo : MsgNmbr::FileNo;
  TableUse use(ctx_, topics ? std::initializer_list<int>{SIndex::FileNo, Codes::FileNo}
                            : std::initializer_list<int>{records});
  Transaction t(ctx_, topics ? std::initializer_list<engine::File*>{&ctx_.fileOf<SIndex>(), &ctx_.fileOf<Codes>()}
                             : std::initializer_list<engine::File*>{&ctx_.file(records)});
  if (!t.started()) return end(BatchResult::Failed);
  std::uint64_t changed = 0;
  std::size_t at = at_;
  for (; at < ids.size() && at - at_ < kCommitAfterWrites; ++at) {
    if (topics) {
      const LinkChange c = changeTopicLink(ctx_, *topic_, ids[at], request_.kind == BatchKind::AttachTopic);
      if (c == LinkChange::Failed) return end(BatchResult::Failed);
      changed += c == LinkChange::Done ? 1 : 0;
      continue;
    }
    engine::File& f = ctx_.file(records);
    Err e;
    if (mail) {
      ctx_.mai = Mail{};
      ctx_.mai.MAILID = ids[at];
      e = f.get(Mail::IdKey);
    } else {
      ctx_.msg = MsgNmbr{};
      ctx_.msg.MSGNUMBER = ids[at];
      e = f.get(MsgNmbr::IdKey);
    }
    if (e == Err::RecordNotFound) continue;  // gone meanwhile
    const std::uint8_t now = mail ? ctx_.mai.DUMMY : ctx_.msg.DUMMY;
    if (e != Err::Ok || now == stored(request_.status)) continue;
    if (mail)
      setStatus(ctx_.mai, request_.status);
    else
      setStatus(ctx_.msg, request_.status);
    if (UppDat(ctx_, f, kUppPut, kRollback) != kUppDatDone) return end(BatchResult::Failed);
    ++changed;
  }
  if (!t.commit()) return end(BatchResult::Failed);
  at_ = at;
  changed_ += changed;
  report(ctx_.ui, static_cast<std::int64_t>(at_), static_cast<std::int64_t>(std::max<std::size_t>(ids.size(), 1)),
         std::string(runningText(request_.kind)));
  if (at_ >= ids.size()) end(BatchResult::Done);
}

void BatchJob::recodeContainer() {
  const bool mail = isMail(ctx_);
  std::uint32_t id = kNoIdentifier;
  browse::StatusTarget target = browse::StatusTarget::Database;
  if (request_.code != SelectionCode::All) {
    TableUse use(ctx_, {mail ? Mail::FileNo : MsgNmbr::FileNo});
    Err e;
    if (mail) {
      ctx_.mai = Mail{};
      ctx_.mai.MAILID = request_.start.message;
      e = ctx_.fileOf<Mail>().get(Mail::IdKey);
      id = ctx_.mai.PAIRID;
      target = browse::StatusTarget::Partner;
    } else {
      ctx_.msg = MsgNmbr{};
      ctx_.msg.MSGNUMBER = request_.start.message;
      e = ctx_.fileOf<MsgNmbr>().get(MsgNmbr::IdKey);
      const bool thread = request_.code == SelectionCode::Thread;
      id = thread ? ctx_.msg.THREADNUMBER : ctx_.msg.SECSYSID;
      target = thread ? browse::StatusTarget::Thread : browse::StatusTarget::Section;
    }
    if (e != Err::Ok) return refuse(kSelectionErrorTitle, "The current message does not exist.");
  }
  switch (browse::changeStatus(ctx_, target, id, request_.status)) {
    case browse::StatusChangeResult::Changed:
      changed_ = 1;
      return end(BatchResult::Done);
    case browse::StatusChangeResult::Cancelled: return end(BatchResult::Cancelled);
    case browse::StatusChangeResult::NotOffered: return refuse(kSelectionErrorTitle, "This selection is not offered here.");
    case browse::StatusChangeResult::Failed: return end(BatchResult::Failed);
  }
}

}  // namespace qv::exporting
