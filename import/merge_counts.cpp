// Adding the counts collected while merging to the stored counts of persons,
// threads and sections.
#include "import/merge_work.h"

namespace qv {

namespace {

// Reads each counted record by its key, lets `add` raise its count and
// rewrites it. Records that have gone since (removed in between) are passed
// over. The list is emptied once all are written, so a second call adds
// nothing twice.
template <class Merge, class List, class Read, class Add>
bool addCounts(Merge& m, engine::File& f, engine::KeyRef key, List& list, Read read, Add add) {
  for (const auto& [id, count] : list) {
    read(id);
    switch (m.find(f, key)) {
      case Lookup::Failed: return false;
      case Lookup::Missing: continue;
      case Lookup::Found: break;
    }
    add(count);
    if (!m.write(f, kUppPut)) return false;
  }
  list.clear();
  return true;
}

}  // namespace

bool DatabaseMerge::Impl::addPersonCounts() {
  if (self.counts.dropped) return true;
  return addCounts(
      *this, ctx.fileOf<Person>(), Person::PersonKey, self.counts.persons,
      [&](std::uint32_t id) { ctx.per.PERSONID = id; },
      [&](const CountingLists::PersonCount& c) {
        ctx.per.FROMCOUNT = ctx.per.FROMCOUNT + c.sent;
        ctx.per.TOCOUNT = ctx.per.TOCOUNT + c.received;
      });
}

bool DatabaseMerge::Impl::addThreadCounts() {
  if (self.counts.dropped) return true;
  return addCounts(
      *this, ctx.fileOf<Threads>(), Threads::ThreadKey, self.counts.threads,
      [&](std::uint32_t number) { ctx.thr.THREADNUMBER = number; },
      [&](std::uint32_t n) { ctx.thr.MSGCOUNT = ctx.thr.MSGCOUNT + n; });
}

bool DatabaseMerge::Impl::addSectionCounts() {
  if (self.counts.dropped) return true;
  return addCounts(
      *this, ctx.fileOf<Sections>(), Sections::SysIdKey, self.counts.sections,
      [&](std::uint32_t sysId) { ctx.sec.SECSYSID = sysId; },
      [&](std::uint32_t n) { ctx.sec.MSGCOUNT = ctx.sec.MSGCOUNT + n; });
}

}  // namespace qv
