// quorvel purge: removes what is marked Delete from a database, then
// counts it; quorvel count: recounts a database's persons, threads and
// sections. Both show the step on a progress bar and the statistics at the
// end; Ctrl-C ends the run as the window's end button does: what is done is
// committed and kept.
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "import/task_lock.h"
#include "app/cli/interrupt.h"
#include "maintenance/purge_mess.h"
#include "store/config.h"

namespace qv::app::cli {

namespace {

using maintenance::PurgeMode;
using maintenance::PurgeResult;

const char* resultName(PurgeResult r) {
  switch (r) {
    case PurgeResult::Running: return "running";
    case PurgeResult::Done: return "done";
    case PurgeResult::Stopped: return "stopped";
    case PurgeResult::Cancelled: return "cancelled";
    case PurgeResult::DatabaseRemoved: return "database removed";
    case PurgeResult::Failed: return "failed";
  }
  return "";
}

struct PurgeArgs {
  std::uint32_t db = 0;
  std::int32_t agedWeeks = -1;  // -1: the aged-thread option is off
};

int run(Env& env, const PurgeArgs& a, PurgeMode mode) {
  const char* title = mode == PurgeMode::Purge ? "Purge" : "Count";
  if (!useDatabase(env, title, a.db)) return kFailure;
  // Not beside a scheduled task's housekeeping (or another command) on this database.
  DatabaseWork work(env.app().ctx().mem.Net, env.app().ctx().mem.ForumNumber);
  if (!work.refusal().empty()) {
    env.ui().message(kDatabaseBusyTitle, work.refusal(), MessageKind::Error);
    return kFailure;
  }
  Context& ctx = env.app().ctx();
  const std::uint32_t database = ctx.mem.ForumNumber;
  const auto type = databaseType(ctx.mem.ForumType);
  maintenance::PurgeOptions options;
  options.mode = mode;
  options.agedWeeks = maintenance::agedWeeks(a.agedWeeks >= 0, std::max(a.agedWeeks, 0));
  maintenance::PurgeMess job(ctx, options);
  runStoppable(job);
  env.ui().endProgressLine();
  const PurgeResult result = job.result();
  if (result == PurgeResult::DatabaseRemoved && generalSetting(ctx, kItemStartDatabase) == static_cast<std::int32_t>(database))
    setStartDatabase(ctx, 0);

  Record out;
  out.add("result", text(resultName(result)));
  const maintenance::PurgeStatistics& s = job.statistics();
  if (mode == PurgeMode::Purge && (result == PurgeResult::Done || result == PurgeResult::Stopped))
    for (const auto& line : maintenance::statisticsLines(mode, s)) out.add(std::string(line.label), line.value);
  if (result == PurgeResult::Done) {
    // A count's statistics; a purge ends with one too. Mail has partners
    // instead of threads.
    const auto lines = type == DatabaseType::Mail ? maintenance::countPanel(type, s)
                                                  : maintenance::statisticsLines(PurgeMode::Count, s);
    for (const auto& line : lines) {
      std::string label(line.label);
      if (label.back() == ':') label.pop_back();
      out.add(label, line.value);
    }
  }
  if (result == PurgeResult::Done || result == PurgeResult::Stopped)
    out.add("seconds", static_cast<std::int64_t>(job.seconds()));
  print(env.out, out, env.format());
  switch (result) {
    case PurgeResult::Done:
    case PurgeResult::DatabaseRemoved: return kSuccess;
    case PurgeResult::Stopped:
      env.ui().message(job.title(),
                       "Stopped: what was done so far is kept. Counts may be behind until the database is counted "
                       "again (quorvel count).",
                       MessageKind::Information);
      return kStopped;
    case PurgeResult::Cancelled: return kStopped;
    default: return kFailure;
  }
}

}  // namespace

void addPurgeCommands(CLI::App& app, Env& env) {
  auto p = std::make_shared<PurgeArgs>();
  CLI::App* c = addCommand(app, "purge", "Remove what is marked Delete from a database, then count it",
                           "quorvel purge --db 250001 --aged-weeks 52");
  c->add_option("--db", p->db, "The database (default: the active one)");
  c->add_option("--aged-weeks", p->agedWeeks,
                "Also mark threads Delete whose newest message is older than this many weeks (0: 999 weeks)")
      ->check(CLI::Range(0, maintenance::kMaxAgedWeeks));
  c->callback([&env, p] { env.action = [p](Env& e) { return run(e, *p, PurgeMode::Purge); }; });

  auto n = std::make_shared<PurgeArgs>();
  CLI::App* k = addCommand(app, "count", "Recount the messages of a database's persons, threads and sections",
                           "quorvel count --db 250001");
  k->add_option("--db", n->db, "The database (default: the active one)");
  k->callback([&env, n] { env.action = [n](Env& e) { return run(e, *n, PurgeMode::Count); }; });
}

}  // namespace qv::app::cli
