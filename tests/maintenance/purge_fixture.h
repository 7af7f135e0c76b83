#pragma once
// Databases filled through the test line reader, a purge or count run to
// its end, and the tables read back as plain values.

#include <map>
#include <string>
#include <vector>

#include "browse/status_change.h"
#include "maintenance/purge_mess.h"
#include "store/table_use.h"
#include "tests/wordindex/index_fixture.h"

namespace qv::test {

class PurgeTest : public IndexTest {
 protected:
  struct Run {
    maintenance::PurgeResult result;
    maintenance::PurgeStatistics statistics;
  };
  Run purge(std::int32_t agedWeeks = 0, std::int32_t batch = 3) {
    return runJob({maintenance::PurgeMode::Purge, agedWeeks, batch, {}});
  }
  Run count() { return runJob({maintenance::PurgeMode::Count, 0, 3, {}}); }
  Run runJob(maintenance::PurgeOptions options) {
    maintenance::PurgeMess job(*ctx, options);
    runToEnd(job);
    return {job.result(), job.statistics()};
  }

  // Makes the database with this identifier the active one.
  void activateId(std::uint32_t id) {
    TableUse use(*ctx, {Forums::FileNo});
    ctx->for_ = Forums{};
    ctx->for_.ID = id;
    ASSERT_EQ(ctx->fileOf<Forums>().get(Forums::ForumKey), engine::Err::Ok);
    setDatabaseGlobals(ctx->mem, ctx->for_);
  }
  // The first database of a type in the list.
  std::uint32_t databaseOfType(DatabaseType type) {
    TableUse use(*ctx, {Forums::FileNo});
    engine::File& f = ctx->fileOf<Forums>();
    f.set();
    while (f.next() == engine::Err::Ok)
      if (databaseType(ctx->for_.TYPE) == type) return ctx->for_.ID;
    return 0;
  }

  void mark(browse::StatusTarget target, std::uint32_t id, Status status) {
    ASSERT_EQ(browse::changeStatus(*ctx, target, id, status), browse::StatusChangeResult::Changed);
  }

  // Every record of a table of the active database, in file order.
  template <class R>
  std::vector<R> all(R Context::*buffer) {
    TableUse use(*ctx, {R::FileNo});
    std::vector<R> out;
    engine::File& f = ctx->fileOf<R>();
    f.set();
    while (f.next() == engine::Err::Ok) out.push_back((*ctx).*buffer);
    return out;
  }
  std::map<std::uint32_t, MsgNmbr> messages() {
    std::map<std::uint32_t, MsgNmbr> m;
    for (const MsgNmbr& r : all(&Context::msg)) m[+r.MSGNUMBER] = r;
    return m;
  }
  std::map<std::uint32_t, Mail> mails() {
    std::map<std::uint32_t, Mail> m;
    for (const Mail& r : all(&Context::mai)) m[+r.MAILID] = r;
    return m;
  }
  std::set<std::uint32_t> texts() {
    std::set<std::uint32_t> t;
    for (const MsgText& r : all(&Context::txt)) t.insert(+r.MSGNUMBER);
    return t;
  }
  std::map<std::uint32_t, Threads> threads() {
    std::map<std::uint32_t, Threads> m;
    for (const Threads& r : all(&Context::thr)) m[+r.THREADNUMBER] = r;
    return m;
  }

  // Rewrites one record of the active database found by `key` (its value
  // set by `find` in the buffer), changed by `change`.
  template <class R>
  void rewrite(R Context::*buffer, engine::KeyRef key, const std::function<void(R&)>& find,
               const std::function<void(R&)>& change) {
    TableUse use(*ctx, {R::FileNo});
    (*ctx).*buffer = R{};
    find((*ctx).*buffer);
    engine::File& f = ctx->fileOf<R>();
    ASSERT_EQ(f.get(key), engine::Err::Ok);
    change((*ctx).*buffer);
    ASSERT_EQ(f.put(), engine::Err::Ok);
  }
  template <class R>
  void add(R Context::*buffer, const R& record) {
    TableUse use(*ctx, {R::FileNo});
    (*ctx).*buffer = record;
    ASSERT_EQ(ctx->fileOf<R>().add(), engine::Err::Ok);
  }
};

}  // namespace qv::test
