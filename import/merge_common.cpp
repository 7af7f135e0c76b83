// The merge of one database: set-up, the dispatch by database type, and the
// small steps every kind of database shares (writes, reads, identifiers,
// counting).
#include <new>

#include "import/merge_work.h"
#include "store/dispatcher.h"
#include "store/report.h"
#include "store/topic_links.h"
#include "store/utilities.h"

namespace qv {

using engine::Err;

namespace {

std::string titleOf(const engine::File& f) { return std::string(clip(f.name().string())); }

// Sender name, receiver name and subject through the header decoding.
void decodeHeaderTexts(Context& ctx, const std::function<std::string(std::string_view)>& decode) {
  if (!decode) return;
  for (auto* field : {&ctx.nhr.S_NAME, &ctx.nhr.R_NAME})
    if (!field->blank()) *field = decode(field->view());
  if (!ctx.nhr.HEADING.blank()) ctx.nhr.HEADING = decode(ctx.nhr.HEADING.view());
}

}  // namespace

DatabaseMerge::DatabaseMerge(Context& ctx, const TargetDatabase& db, const ImportSettings& settings,
                             std::int32_t runDate, std::int32_t runTime)
    : impl_(std::make_unique<Impl>(*this, ctx, db, settings, runDate, runTime)) {}

DatabaseMerge::~DatabaseMerge() = default;

std::vector<int> DatabaseMerge::tables() const {
  switch (databaseType(impl_->db.type)) {
    case DatabaseType::Mail:
      return {Mail::FileNo, MsgText::FileNo, Person::FileNo, PLINK::FileNo, CCR::FileNo, SIndex::FileNo, Codes::FileNo};
    case DatabaseType::Newsgroup:
      return {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo,  PLINK::FileNo,
              Sections::FileNo, Threads::FileNo, MsgString::FileNo};
    default:
      return {MsgNmbr::FileNo, MsgText::FileNo, Person::FileNo, PLINK::FileNo, Sections::FileNo, Threads::FileNo};
  }
}

bool DatabaseMerge::prepare() { return impl_->prepare(); }
MergeResult DatabaseMerge::merge() { return impl_->merge(); }
bool DatabaseMerge::addPersonCounts() { return impl_->addPersonCounts(); }
bool DatabaseMerge::addThreadCounts() { return impl_->addThreadCounts(); }
bool DatabaseMerge::addSectionCounts() { return impl_->addSectionCounts(); }

bool DatabaseMerge::Impl::prepare() {
  forget();
  const DatabaseType type = databaseType(db.type);
  if (type == DatabaseType::Forum || type == DatabaseType::Newsgroup) return loadSections();
  if (type != DatabaseType::Mail) return true;

  OP_CLOSE(ctx, kOpOpen, {Forums::FileNo});
  engine::File& list = ctx.fileOf<Forums>();
  ctx.for_.ID = db.id;
  const Err e = list.get(Forums::ForumKey);
  const std::string error = list.errorText();
  const std::string title = titleOf(list);
  OP_CLOSE(ctx, kOpRelease, {Forums::FileNo});
  if (e != Err::Ok) {
    inform(ctx, title, error, MessageKind::Error);
    return false;
  }
  own = ownAddressesOf(ctx.for_);
  listOwnerId = ctx.for_.PERSONID;
  mailBeganEmpty = ctx.fileOf<Mail>().records() == 0;
  // A topic that no longer exists links nothing.
  if (settings.mailTopic != kNoIdentifier) mailTopic = findCode(ctx, settings.mailTopic);
  return true;
}

MergeResult DatabaseMerge::Impl::merge() {
  decodeHeaderTexts(ctx, self.decodeHeaderText);
  MergeResult r = MergeResult::Skipped;
  switch (databaseType(db.type)) {
    case DatabaseType::Forum: r = mergeForum(); break;
    case DatabaseType::Newsgroup: r = mergeNews(); break;
    case DatabaseType::Mail: r = mergeMail(); break;
    default: break;  // no database of that kind takes messages
  }
  switch (r) {
    case MergeResult::Imported: ++self.imported; break;
    case MergeResult::Skipped: ++self.skipped; break;
    case MergeResult::Failed: forget(); break;
  }
  return r;
}

void DatabaseMerge::Impl::forget() {
  sections.clear();
  threads.clear();
  loadedRuns.clear();
  personsByString.clear();
  personsById.clear();
  stored.clear();
  messageIds.clear();
  storedMails.clear();
  copyWalk = CopyWalk{};
  mailBeganEmpty = false;
  ownerKnown = false;
  owner = PersonRef{};
}

bool DatabaseMerge::Impl::write(engine::File& f, int op) {
  if (UppDat(ctx, f, op, kRollback) != kUppDatDone) return false;
  ++self.writes;
  return true;
}

bool DatabaseMerge::Impl::readFailed(engine::File& f) {
  const std::string text = f.errorText();
  if (ctx.session.inTransaction()) ctx.session.rollback();
  inform(ctx, titleOf(f), text, MessageKind::Error);
  return false;
}

Lookup DatabaseMerge::Impl::find(engine::File& f, engine::KeyRef key) {
  const Err e = f.get(key);
  if (e == Err::Ok) return Lookup::Found;
  if (e == Err::RecordNotFound) return Lookup::Missing;
  readFailed(f);
  return Lookup::Failed;
}

std::uint32_t DatabaseMerge::Impl::newId() {
  const std::uint32_t id = NextNr(ctx);
  if (id == kNoIdentifier) {
    // NextNr has said why; the record cannot be stored without the thread,
    // section or person it needed the identifier for.
    if (ctx.session.inTransaction()) ctx.session.rollback();
    inform(ctx, "Warning!", "Transaction Frame Error!", MessageKind::Warning);
    return kNoIdentifier;
  }
  ++self.writes;  // the counter record
  return id;
}

namespace {

// Runs one change of the counting lists. When they cannot grow, the lists
// are dropped with a report and counting is skipped for the database (the
// Count Messages process puts the counts right).
template <class Change>
void tally(Context& ctx, CountingLists& counts, Change change) {
  if (counts.dropped) return;
  try {
    change();
  } catch (const std::bad_alloc&) {
    counts.persons.clear();
    counts.threads.clear();
    counts.sections.clear();
    counts.dropped = true;
    QError(ctx, kReport, static_cast<int>(Err::NoMemory), {});
  }
}

}  // namespace

void DatabaseMerge::Impl::countPerson(std::uint32_t id, bool sent) {
  tally(ctx, self.counts, [&] {
    CountingLists::PersonCount& c = self.counts.persons[id];
    ++(sent ? c.sent : c.received);
  });
}

void DatabaseMerge::Impl::countThread(std::uint32_t number) {
  tally(ctx, self.counts, [&] { ++self.counts.threads[number]; });
}

void DatabaseMerge::Impl::countSection(std::uint32_t sysId) {
  tally(ctx, self.counts, [&] { ++self.counts.sections[sysId]; });
}

}  // namespace qv
