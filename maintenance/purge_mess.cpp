// The purge job's life: the start (with the question before removing a
// database marked Delete), the chain of steps, the transaction and
// disk-space rules every writing step shares, and the end.
#include "maintenance/purge_mess.h"

#include <algorithm>

#include "maintenance/purge_texts.h"
#include "store/config.h"
#include "store/database_list.h"
#include "store/dates.h"
#include "store/records.h"
#include "store/report.h"
#include "store/utilities.h"

namespace qv::maintenance {

using engine::Err;

std::vector<PurgeStep> purgeSteps(PurgeMode mode, DatabaseType type, bool aged) {
  using S = PurgeStep;
  if (type == DatabaseType::Mail) {
    if (mode == PurgeMode::Count) return {S::PartnerCounts};
    return {S::CutMailTimes, S::FindMailDuplicates, S::MarkMailDuplicates, S::DeletePartners,
            S::DeleteMail,   S::DeleteCopies,       S::OrphanLinks,        S::WordIndex,
            S::TopicLinks,   S::TopicCounts,        S::PartnerCounts};
  }
  std::vector<S> steps;
  const bool news = type == DatabaseType::Newsgroup;
  if (mode == PurgeMode::Purge) {
    if (aged) steps.insert(steps.end(), {S::MarkAgedThreads, S::SetAgedStatus});
    steps.insert(steps.end(), {S::DeleteThreads, S::DeleteMessages, S::DeleteSections, S::TopicLinks,
                               S::TopicCounts, S::WordIndex, S::OrphanLinks});
  }
  if (news) steps.push_back(S::Receivers);
  steps.insert(steps.end(), {S::PersonCounts, S::ThreadCounts, S::SectionCounts});
  return steps;
}

std::string_view stepText(PurgeStep step, PurgeMode mode, bool scheduled) {
  switch (step) {
    case PurgeStep::MarkAgedThreads: return kMarkingAgedText;
    case PurgeStep::SetAgedStatus: return kSettingAgedText;
    case PurgeStep::DeleteThreads: return kDeletingThreadsText;
    case PurgeStep::DeleteMessages:
    case PurgeStep::DeletePartners:
    case PurgeStep::DeleteMail:
    case PurgeStep::DeleteCopies: return kDeletingMessagesText;
    case PurgeStep::DeleteSections: return kDeletingSectionsText;
    case PurgeStep::TopicLinks: return kTopicLinksText;
    case PurgeStep::TopicCounts: return kTopicCountsText;
    case PurgeStep::WordIndex: return kWordIndexText;
    case PurgeStep::OrphanLinks: return kOrphanLinksText;
    case PurgeStep::Receivers: return kReceiversText;
    case PurgeStep::PersonCounts: return kPersonCountsText;
    case PurgeStep::ThreadCounts: return kThreadCountsText;
    case PurgeStep::SectionCounts: return kSectionCountsText;
    case PurgeStep::CutMailTimes: return kPreparingDuplicatesText;
    case PurgeStep::FindMailDuplicates: return kIdentifyingDuplicatesText;
    case PurgeStep::MarkMailDuplicates: return kMarkingDuplicatesText;
    case PurgeStep::PartnerCounts:
      return mode == PurgeMode::Count && scheduled ? kPartnerCountsText : kPersonCountsText;
  }
  return {};
}

std::int32_t agedWeeks(bool ticked, std::int32_t weeks) {
  if (!ticked) return 0;
  return weeks == 0 ? kMaxAgedWeeks : weeks;
}

std::int32_t agedCutoff(std::int32_t today, std::int32_t weeks) { return today - 7 * weeks; }

std::vector<PanelLine> statisticsLines(PurgeMode mode, const PurgeStatistics& s) {
  if (mode == PurgeMode::Purge)
    return {{kBeforePurging, s.before}, {kDeletedThisSession, s.deleted}, {kAfterPurging, s.after()}};
  return {{kMessagesInDatabase, s.messages}, {kThreadsInDatabase, s.threads}, {kMembersInDatabase, s.persons}};
}

std::vector<PanelLine> countPanel(DatabaseType type, const PurgeStatistics& s) {
  if (type == DatabaseType::Mail)
    return {{kPanelMessages, s.messages}, {kPanelMailPartners, std::max<std::int64_t>(s.persons - 1, 0)},
            {kPanelPersons, s.persons}};
  return {{kPanelMessages, s.messages}, {kPanelThreads, s.threads}, {kPanelMembers, s.persons}};
}

namespace {

// The stopwatch slot of the run's time.
constexpr int kPurgeStopwatch = 1;

std::int64_t recordsOf(engine::File& file) { return std::max<std::int64_t>(file.records(), 0); }

}  // namespace

PurgeMess::PurgeMess(Context& ctx, PurgeOptions options)
    : ctx_(ctx),
      options_(options),
      batch_(std::max(1, options.batch > 0 ? options.batch : SpeedVal(ctx, kSpeedGet, kItemSpeedPurge))) {
  type_ = databaseType(ctx_.mem.ForumType);
  scheduled_ = ctx_.unattended();
}

PurgeMess::~PurgeMess() {
  if (result_ == PurgeResult::Running && started_) stopEarly();
}

std::string PurgeMess::title() const {
  const bool purge = options_.mode == PurgeMode::Purge;
  if (scheduled_)
    return std::string(purge ? kScheduledPurgeTitle : kScheduledCountTitle) + ctx_.mem.Description.str() + "]";
  return std::string(purge ? kPurgeTitle : kCountTitle);
}

std::string_view PurgeMess::runningTitle() const {
  return options_.mode == PurgeMode::Purge ? kPurgeRunningTitle : kCountRunningTitle;
}

bool PurgeMess::step() {
  if (result_ != PurgeResult::Running) return true;
  if (cancelRequested()) {
    stopEarly();
    return true;
  }
  if (!started_) {
    start();
    return result_ != PurgeResult::Running;
  }
  if (!stepBegun_) beginStep();
  if (result_ != PurgeResult::Running) return true;
  switch (steps_[current_]) {
    case PurgeStep::MarkAgedThreads: runAged(); break;
    case PurgeStep::SetAgedStatus: runSetAged(); break;
    case PurgeStep::DeleteThreads: runStatusThreads(); break;
    case PurgeStep::DeleteMessages: runStatusMessages(); break;
    case PurgeStep::DeleteSections: runSections(); break;
    case PurgeStep::TopicLinks: runTopicLinks(); break;
    case PurgeStep::TopicCounts: runTopicCounts(); break;
    case PurgeStep::WordIndex: runWordIndex(); break;
    case PurgeStep::OrphanLinks: runOrphanLinks(); break;
    case PurgeStep::Receivers: runReceivers(); break;
    case PurgeStep::PersonCounts: runPersonCounts(); break;
    case PurgeStep::ThreadCounts: runThreadCounts(); break;
    case PurgeStep::SectionCounts: runSectionCounts(); break;
    case PurgeStep::CutMailTimes: runCutTimes(); break;
    case PurgeStep::FindMailDuplicates: runFindDuplicates(); break;
    case PurgeStep::MarkMailDuplicates: runMarkDuplicates(); break;
    case PurgeStep::DeletePartners: runPartners(); break;
    case PurgeStep::DeleteMail: runStatusMail(); break;
    case PurgeStep::DeleteCopies: runCopies(); break;
    case PurgeStep::PartnerCounts: runPartnerCounts(); break;
  }
  return result_ != PurgeResult::Running;
}

void PurgeMess::start() {
  started_ = true;
  StartStop(ctx_, kStopwatchStart, kPurgeStopwatch);
  if (ctx_.mem.ForumNumber == kNoIdentifier) {
    inform(ctx_, title(), "No database is active.", MessageKind::Error);
    end(PurgeResult::Failed);
    return;
  }
  {
    TableUse list(ctx_, {Forums::FileNo});
    ctx_.for_ = Forums{};
    ctx_.for_.ID = ctx_.mem.ForumNumber;
    if (ctx_.fileOf<Forums>().get(Forums::ForumKey) != Err::Ok) {
      inform(ctx_, title(), "The database is not in the database list.", MessageKind::Error);
      end(PurgeResult::Failed);
      return;
    }
    database_ = ctx_.for_;
  }
  type_ = databaseType(database_.TYPE);
  owner_ = database_.PERSONID;
  ctx_.mem.ForumCheck = database_.DUMMY;
  if (options_.mode == PurgeMode::Purge && statusOf(database_) == Status::Delete) {
    if (ask(ctx_, kDeleteDatabaseTitle, kDeleteDatabaseText, kOk | kCancel, kCancel) != kOk) {
      end(PurgeResult::Cancelled);
      return;
    }
    end(RemoveDatabase(ctx_, database_.ID) ? PurgeResult::DatabaseRemoved : PurgeResult::Failed);
    return;
  }
  openTables();
  // Before the first delete: the mark by which a later purge knows that
  // this one may have deleted messages without telling the word index.
  if (options_.mode == PurgeMode::Purge && indexExists() && !setUpkeepMark(true)) return;
  stats_.before = recordsOf(type_ == DatabaseType::Mail ? ctx_.fileOf<Mail>() : ctx_.fileOf<MsgNmbr>());
  const bool aged = options_.mode == PurgeMode::Purge && type_ != DatabaseType::Mail && options_.agedWeeks > 0;
  if (aged) cutoff_ = agedCutoff(dates::today(), std::min(options_.agedWeeks, kMaxAgedWeeks));
  steps_ = purgeSteps(options_.mode, type_, aged);
}

bool PurgeMess::openTables() {
  if (type_ == DatabaseType::Mail)
    tables_.emplace(ctx_, std::initializer_list<int>{Forums::FileNo, Mail::FileNo, MsgText::FileNo, Person::FileNo,
                                                     PLINK::FileNo, CCR::FileNo, Codes::FileNo, SIndex::FileNo});
  else
    tables_.emplace(ctx_, std::initializer_list<int>{Forums::FileNo, MsgNmbr::FileNo, MsgText::FileNo,
                                                     Person::FileNo, PLINK::FileNo, Sections::FileNo,
                                                     Threads::FileNo, Codes::FileNo, SIndex::FileNo});
  return true;
}

void PurgeMess::closeTables() {
  transaction_.reset();
  tables_.reset();
}

std::filesystem::path PurgeMess::dataDirectory() const { return ctx_.mem.FileDir / ctx_.mem.Dirnamn; }

void PurgeMess::beginStep() {
  stepBegun_ = true;
  walking_ = false;
  phase_ = 0;
  position_ = 0;
  range_ = 0;
  lastChecked_ = 0;
  switch (steps_[current_]) {
    case PurgeStep::MarkAgedThreads: beginAged(); break;
    case PurgeStep::DeleteThreads: beginStatusThreads(); break;
    case PurgeStep::DeleteSections: beginSections(); break;
    case PurgeStep::TopicLinks: beginTopicLinks(); break;
    case PurgeStep::WordIndex: beginWordIndex(); break;
    case PurgeStep::DeletePartners: beginPartners(); break;
    case PurgeStep::SetAgedStatus: range_ = static_cast<std::int64_t>(agedList_.size()); break;
    case PurgeStep::TopicCounts: range_ = recordsOf(ctx_.fileOf<Codes>()); break;
    case PurgeStep::OrphanLinks: range_ = recordsOf(ctx_.fileOf<PLINK>()); break;
    case PurgeStep::PersonCounts:
    case PurgeStep::PartnerCounts: range_ = recordsOf(ctx_.fileOf<Person>()); break;
    case PurgeStep::ThreadCounts: range_ = recordsOf(ctx_.fileOf<Threads>()); break;
    case PurgeStep::SectionCounts: range_ = recordsOf(ctx_.fileOf<Sections>()); break;
    case PurgeStep::DeleteMessages:
    case PurgeStep::Receivers: range_ = recordsOf(ctx_.fileOf<MsgNmbr>()); break;
    case PurgeStep::CutMailTimes:
    case PurgeStep::FindMailDuplicates:
    case PurgeStep::DeleteMail: range_ = recordsOf(ctx_.fileOf<Mail>()); break;
    case PurgeStep::MarkMailDuplicates: range_ = static_cast<std::int64_t>(duplicates_.size()); break;
    case PurgeStep::DeleteCopies: range_ = recordsOf(ctx_.fileOf<CCR>()); break;
  }
  progressTo(0);
}

void PurgeMess::progressTo(std::int64_t position) {
  position_ = position;
  if (result_ != PurgeResult::Running || current_ >= steps_.size()) return;
  report(ctx_.ui, position_, std::max(range_, position_),
         std::string(stepText(steps_[current_], options_.mode, scheduled_)));
}

void PurgeMess::nextStep() {
  if (result_ != PurgeResult::Running) return;
  ++current_;
  stepBegun_ = false;
  walking_ = false;
  inThread_ = inPartner_ = false;
  if (current_ >= steps_.size()) finish();
}

void PurgeMess::finish() {
  if (!commit()) return;
  stats_.messages = recordsOf(type_ == DatabaseType::Mail ? ctx_.fileOf<Mail>() : ctx_.fileOf<MsgNmbr>());
  stats_.threads = type_ == DatabaseType::Mail ? 0 : recordsOf(ctx_.fileOf<Threads>());
  stats_.persons = recordsOf(ctx_.fileOf<Person>());
  seconds_ = StartStop(ctx_, kStopwatchStop, kPurgeStopwatch);
  if (!scheduled_ && displaySetting(ctx_, kItemImportTiming) == 1) {
    beep(ctx_);
    inform(ctx_, options_.mode == PurgeMode::Purge ? kPurgeCompletionTitle : kCountCompletionTitle,
           std::string(kCompletionText) + std::to_string(seconds_) + " seconds");
  }
  end(PurgeResult::Done);
  if (!scheduled_ && onFinished) onFinished();
}

void PurgeMess::stopEarly() {
  clearCancel();
  if (upkeep_) {
    upkeep_->requestCancel();
    runToEnd(*upkeep_);
    indexResult_ = upkeep_->result();
    upkeep_.reset();
  }
  if (recount_) {
    recount_->requestCancel();
    runToEnd(*recount_);
    recount_.reset();
  }
  if (!commit()) return;  // ended Failed
  end(PurgeResult::Stopped);
}

void PurgeMess::end(PurgeResult result) {
  if (result_ != PurgeResult::Running) return;
  result_ = result;
  if (seconds_ == 0 && started_) seconds_ = StartStop(ctx_, kStopwatchStop, kPurgeStopwatch);
  upkeep_.reset();
  recount_.reset();
  marks_.reset();
  closeTables();
  agedThreads_.clear();
  agedList_.clear();
  sections_.clear();
  codeIds_.clear();
  duplicates_.clear();
  indexOrphans_.clear();
  pendingIds_.clear();
  pendingDeleted_ = 0;
}

// ---------------------------------------------------------------------------
// Writing

bool PurgeMess::writeOn(std::initializer_list<engine::File*> files) {
  if (transaction_) return true;
  transaction_.emplace(ctx_, files);
  if (transaction_->started()) return true;
  transaction_.reset();  // reported and rolled back
  end(PurgeResult::Failed);
  return false;
}

bool PurgeMess::write(engine::File& file, int op) {
  ++writes_;
  if (UppDat(ctx_, file, op, kRollback) == kUppDatDone) return true;
  // Reported and rolled back: nothing since the last commit is stored.
  transaction_.reset();
  pendingIds_.clear();
  pendingDeleted_ = 0;
  end(PurgeResult::Failed);
  return false;
}

bool PurgeMess::commit() {
  writes_ = 0;
  if (!transaction_) return true;
  const bool committed = transaction_->commit();  // a failure is reported
  transaction_.reset();                           // and rolled back here
  if (!committed) {
    pendingIds_.clear();
    pendingDeleted_ = 0;
    end(PurgeResult::Failed);
    return false;
  }
  stats_.deleted += pendingDeleted_;
  deletedIds_.insert(pendingIds_.begin(), pendingIds_.end());
  pendingIds_.clear();
  pendingDeleted_ = 0;
  return true;
}

bool PurgeMess::afterBatch(bool bulk) {
  if (writes_ <= kCommitAfterWrites) return true;
  if (!commit()) return false;
  if (checkSpace(kLowDiskBytes) != kSpaceGoOn) {
    end(PurgeResult::Stopped);
    return false;
  }
  if (bulk && checkSpace(kBulkDiskBytes) != kSpaceGoOn) {
    // The tables are closed and opened again, and the walks go on from
    // the records they were at.
    closeTables();
    openTables();
    restartBulkWalks();
  }
  return true;
}

CheckSpaceResult PurgeMess::checkSpace(std::uint64_t bytes) {
  if (options_.freeSpace) return CheckSpace(ctx_, bytes, dataDirectory(), options_.freeSpace);
  return CheckSpace(ctx_, bytes, dataDirectory());
}

bool PurgeMess::endStep() {
  const bool wrote = transaction_.has_value();
  if (!commit()) return false;
  if (wrote && checkSpace(kLowDiskBytes) != kSpaceGoOn) {
    end(PurgeResult::Stopped);
    return false;
  }
  return true;
}

PurgeMess::Removal PurgeMess::removeMessage(engine::File& headers, std::uint32_t id) {
  engine::File& texts = ctx_.fileOf<MsgText>();
  ctx_.txt = MsgText{};
  ctx_.txt.MSGNUMBER = id;
  if (texts.get(MsgText::IdKey) != Err::Ok) return Removal::Left;
  // The text goes first: a message never outlives it by a commit, and
  // both go in one transaction.
  if (!write(texts, kUppDelete) || !write(headers, kUppDelete)) return Removal::Failed;
  ++pendingDeleted_;
  pendingIds_.push_back(id);
  return Removal::Deleted;
}

bool PurgeMess::setDatabaseCount(std::int64_t messages) {
  if (!commit()) return false;
  const auto count = static_cast<std::uint32_t>(std::max<std::int64_t>(messages, 0));
  if (!changeDatabaseRecord(ctx_, database_.ID, [count](Forums& f) {
        f.MSGCOUNT = count;
        f.COUNTFLAG = 0;
      })) {
    end(PurgeResult::Failed);  // reported
    return false;
  }
  return true;
}

}  // namespace qv::maintenance
