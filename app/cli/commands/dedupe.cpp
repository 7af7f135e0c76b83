// quorvel dedupe: duplicate elimination of a database's persons, with a
// progress line showing the step and the counts at the end.
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "import/task_lock.h"
#include "maintenance/duplicate_persons.h"
#include "maintenance/duplicates_texts.h"

namespace qv::app::cli {

namespace {

using maintenance::DuplicatesResult;
namespace texts = maintenance::dup_texts;

const char* resultName(DuplicatesResult r) {
  switch (r) {
    case DuplicatesResult::Done: return "done";
    case DuplicatesResult::Stopped: return "stopped";
    case DuplicatesResult::Failed: return "failed";
    case DuplicatesResult::Running: break;
  }
  return "";
}

// The caption without its closing colon, as a field name.
std::string fieldName(std::string_view caption) {
  std::string s(caption);
  if (!s.empty() && s.back() == ':') s.pop_back();
  return s;
}

int runDedupe(Env& env, std::uint32_t db) {
  if (!useDatabase(env, "Duplicates", db)) return kFailure;
  // Not beside a scheduled task's housekeeping (or another command) on this database.
  DatabaseWork work(env.app().ctx().mem.Net, env.app().ctx().mem.ForumNumber);
  if (!work.refusal().empty()) {
    env.ui().message(kDatabaseBusyTitle, work.refusal(), MessageKind::Error);
    return kFailure;
  }
  Context& ctx = env.app().ctx();
  const texts::Captions captions = texts::captions(databaseType(ctx.mem.ForumType));
  maintenance::DuplicatesJob job(ctx);
  runToEnd(job);
  env.ui().endProgressLine();
  const maintenance::DuplicatesCounts& c = job.counts();
  Record out;
  out.add("result", text(resultName(job.result())));
  out.add(fieldName(captions.existing), static_cast<std::int64_t>(c.before));
  out.add(fieldName(captions.obsolete), static_cast<std::int64_t>(c.withoutMessages));
  out.add(fieldName(captions.merged), static_cast<std::int64_t>(c.duplicates));
  out.add(fieldName(captions.remaining), static_cast<std::int64_t>(c.remaining()));
  out.add("addresses corrected", static_cast<std::int64_t>(c.addressesCorrected));
  out.add("milliseconds", static_cast<std::int64_t>(job.seconds() * 1000));
  print(env.out, out, env.format());
  return job.result() == DuplicatesResult::Done      ? kSuccess
         : job.result() == DuplicatesResult::Stopped ? kStopped
                                                     : kFailure;
}

}  // namespace

void addDedupeCommand(CLI::App& app, Env& env) {
  auto db = std::make_shared<std::uint32_t>(0);
  CLI::App* c = addCommand(app, "dedupe",
                           "Merge a database's persons that share an address into one, and remove persons "
                           "without messages",
                           "quorvel dedupe --db 250001");
  c->add_option("--db", *db, "The database (default: the active one)");
  c->callback([&env, db] { env.action = [db](Env& e) { return runDedupe(e, *db); }; });
}

}  // namespace qv::app::cli
