#include "tests/store/engine/crash_check.h"

#include "store/engine/file.h"
#include "store/engine/integrity.h"
#include "tests/store/engine/test_tables.h"

namespace qv::test {

using engine::Err;
using engine::File;

void createCrashTables(engine::Session& session, const std::filesystem::path& dir) {
  HeaderRec h{};
  NoteRec n{};
  std::string memo;
  File a(session, headerDecl(), &h), b(session, headerDecl(), &h), c(session, noteDecl(), &n, &memo);
  a.setName(dir / "A.TPS");
  b.setName(dir / "B.TPS");
  c.setName(dir / "C.TPS");
  a.create();
  b.create();
  c.create();
}

CrashCheck checkCrashTables(engine::Engine& engine, const std::filesystem::path& dir) {
  CrashCheck out;
  engine::Session s(engine);
  HeaderRec a{}, b{};
  NoteRec c{};
  std::string memo;
  File fa(s, headerDecl(), &a), fb(s, headerDecl(), &b), fc(s, noteDecl(), &c, &memo);
  fa.setName(dir / "A.TPS");
  fb.setName(dir / "B.TPS");
  fc.setName(dir / "C.TPS");
  for (File* f : {&fa, &fb, &fc}) {
    if (f->open() != Err::Ok) {
      out.problem = f->name().string() + ": " + f->errorText();
      return out;
    }
  }
  const std::int64_t na = fa.records(), nb = fb.records(), nc = fc.records();
  if (na != nb || nb != nc) {
    out.problem = "record counts differ: " + std::to_string(na) + " " + std::to_string(nb) + " " + std::to_string(nc);
    return out;
  }
  // Every committed number is there in every table, and nothing else.
  for (std::int64_t i = 1; i <= na; ++i) {
    a.NUMBER = b.NUMBER = static_cast<std::uint32_t>(i);
    c.ID = static_cast<std::uint32_t>(i);
    if (fa.get(HeaderKeys::IdKey) != Err::Ok || fb.get(HeaderKeys::IdKey) != Err::Ok ||
        fc.get(NoteKeys::IdKey) != Err::Ok) {
      out.problem = "transaction " + std::to_string(i) + " is incomplete";
      return out;
    }
    if (memo.size() != 200 + static_cast<std::size_t>(i) % 3000) {
      out.problem = "note " + std::to_string(i) + " has a damaged text";
      return out;
    }
  }
  fa.close();
  fb.close();
  fc.close();
  for (const char* name : {"A.TPS", "B.TPS", "C.TPS"}) {
    const engine::Status st = engine::checkIntegrity(dir / name, name[0] == 'C' ? noteDecl().ownerPassword : "");
    if (!st.ok()) {
      out.problem = std::string(name) + ": " + st.text;
      return out;
    }
  }
  out.ok = true;
  out.transactions = na;
  return out;
}

}  // namespace qv::test
