// Sections and threads of forum and newsgroup databases: the section of a
// record from its number and name, the thread of a subject within a section.
#include <algorithm>
#include <cstring>

#include "import/merge_work.h"
#include "store/charset.h"

namespace qv {

using engine::Err;

namespace {

// A cache key of a section system ID and a text.
std::string sectionKey(std::uint32_t secSysId, std::string_view text) {
  std::string key(sizeof secSysId, '\0');
  std::memcpy(key.data(), &secSysId, sizeof secSysId);
  key.append(text);
  return key;
}

}  // namespace

bool DatabaseMerge::Impl::loadSections() {
  sections.clear();
  engine::File& f = ctx.fileOf<Sections>();
  Err e = f.set(Sections::SysIdKey);
  while (e == Err::Ok && (e = f.next()) == Err::Ok)
    sections.emplace(std::make_pair(std::uint32_t{ctx.sec.SECTIONNUMBER}, ctx.sec.DESCRIPTION.str()),
                     std::uint32_t{ctx.sec.SECSYSID});
  return e == Err::RecordNotAvailable || readFailed(f);
}

// The cache is looked up by number and name together. A forum section not in
// it is created under a new system ID. A newsgroup's section has the
// newsgroup's database ID (NHR:SECTIONNUMBER, set by the readers) as its
// system ID: when a section with that ID exists under another name, the
// newsgroup was renamed and the section takes the new name.
bool DatabaseMerge::Impl::resolveSection(std::uint32_t& sysId) {
  const std::uint32_t number = ctx.nhr.SECTIONNUMBER;
  std::string name = ctx.nhr.SEC_DESCRIPTION.str();
  if (auto it = sections.find({number, name}); it != sections.end()) {
    sysId = it->second;
    return true;
  }
  engine::File& f = ctx.fileOf<Sections>();
  if (databaseType(db.type) == DatabaseType::Newsgroup) {
    ctx.sec = Sections{};
    ctx.sec.SECSYSID = number;
    switch (find(f, Sections::SysIdKey)) {
      case Lookup::Failed: return false;
      case Lookup::Found:
        ctx.sec.DESCRIPTION = name;
        if (!write(f, kUppPut) || !loadSections()) return false;
        sysId = number;
        return true;
      case Lookup::Missing: break;
    }
    sysId = number;
  } else {
    sysId = newId();
    if (sysId == kNoIdentifier) return false;
  }
  ctx.sec = Sections{};
  ctx.sec.SECTIONNUMBER = number;
  ctx.sec.SECSYSID = sysId;
  ctx.sec.DESCRIPTION = name;
  if (!write(f, kUppAdd)) return false;
  sections.emplace(std::make_pair(number, std::move(name)), sysId);
  return true;
}

// Threads are found through THR:SecKey (section, first 10 characters of the
// subject, letter case ignored); of those the first whose whole heading
// equals the subject exactly (trailing blanks ignored) is the thread. The
// first time a section and alpha are asked for, all threads under them are
// read into the cache, so later subjects with the same start are answered
// from memory, and threads this merge creates are added to it.
bool DatabaseMerge::Impl::threadBySubject(std::uint32_t secSysId, ThreadRef& out) {
  const std::string_view subject = ctx.nhr.HEADING.view();
  const std::string key = sectionKey(secSysId, subject);
  if (auto it = threads.find(key); it != threads.end()) {
    out = it->second;
    return true;
  }
  const FixedString<10> alpha(subject);
  engine::File& f = ctx.fileOf<Threads>();
  if (const std::string run = sectionKey(secSysId, upper1252(alpha.view())); !loadedRuns.contains(run)) {
    ctx.thr = Threads{};
    ctx.thr.SECSYSID = secSysId;
    ctx.thr.ALPHA = alpha;
    Err e = f.setFrom(Threads::SecKey);
    while (e == Err::Ok && (e = f.next()) == Err::Ok && ctx.thr.SECSYSID == secSysId &&
           compareKeyText(ctx.thr.ALPHA.view(), alpha.view()) == 0)
      threads.emplace(sectionKey(secSysId, clip(ctx.thr.HEADING())), ThreadRef{ctx.thr.THREADNUMBER, ctx.thr.ALPHA});
    if (e != Err::Ok && e != Err::RecordNotAvailable) return readFailed(f);
    loadedRuns.insert(run);
    if (auto it = threads.find(key); it != threads.end()) {
      out = it->second;
      return true;
    }
  }

  const std::uint32_t number = newId();
  if (number == kNoIdentifier) return false;
  ctx.thr = Threads{};
  ctx.thr.THREADNUMBER = number;
  ctx.thr.SECSYSID = secSysId;
  // ALPHA and BETA set here rather than through Threads::setHEADING, which
  // hands an empty view without data to the copy for a short subject.
  ctx.thr.ALPHA = subject;
  ctx.thr.BETA = subject.substr(std::min<std::size_t>(subject.size(), 10));
  if (!write(f, kUppAdd)) return false;
  out = ThreadRef{number, ctx.thr.ALPHA};
  threads.emplace(key, out);
  return true;
}

}  // namespace qv
