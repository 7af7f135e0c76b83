// quorvel db list: the database list with each database's state.
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"

namespace qv::app::cli {

namespace {

int listDatabases(Env& env) {
  Context& ctx = env.app().ctx();
  Listing out({"id", "name", "type", "directory", "messages", "counted", "import", "status", "active"});
  for (const Forums& f : readDatabaseList(ctx)) {
    out.addRow({static_cast<std::int64_t>(f.ID), text(f.DESCRIPTION.view()), text(typeName(databaseType(f.TYPE))),
                text("F" + std::to_string(f.DIRNUMBER)), static_cast<std::int64_t>(f.MSGCOUNT), f.COUNTFLAG == 0,
                f.NOIMPORT == 0, text(statusName(statusOf(f))), f.ID == ctx.mem.ForumNumber || f.NODIR == 1});
  }
  print(env.out, out, env.format());
  return kSuccess;
}

}  // namespace

void addDbList(CLI::App& db, Env& env) {
  CLI::App* c = addCommand(db, "list", "List the message databases", "quorvel db list --json");
  c->callback([&env] { env.action = listDatabases; });
}

}  // namespace qv::app::cli
