// quorvel info: what the installation holds.
#include <CLI/CLI.hpp>

#include "app/cli/commands/db_common.h"
#include "app/cli/env.h"
#include "app/version.h"
#include "store/config.h"
#include "store/dispatcher.h"

namespace qv::app::cli {

namespace {

std::int64_t nextIdentifier(Context& ctx) {
  OP_CLOSE(ctx, kOpOpen, {Control::FileNo});
  ctx.ctl = Control{};
  ctx.ctl.ID = 1;
  const bool found = ctx.fileOf<Control>().get(Control::IdKey) == engine::Err::Ok;
  OP_CLOSE(ctx, kOpRelease, {Control::FileNo});
  return found ? static_cast<std::int64_t>(ctx.ctl.NEXTNUMBER) : 0;
}

int info(Env& env) {
  Application& app = env.app();
  Context& ctx = app.ctx();
  const std::vector<Forums> list = readDatabaseList(ctx);
  std::int64_t messages = 0;
  for (const Forums& f : list) messages += f.MSGCOUNT;
  Record r;
  r.add("program", text(std::string(version())));
  r.add("home", text(ctx.mem.Net.string()));
  r.add("configuration", text((ctx.mem.Net / "CFG").string()));
  r.add("databases directory", text(ctx.mem.FileDir.string()));
  r.add("temporary directory", text(ctx.mem.TempDir.string()));
  r.add("word-index directory", text(ctx.MasIdxPath.string()));
  r.add("new installation", !app.existingInstallation());
  r.add("stored version", static_cast<std::int64_t>(generalSetting(ctx, kItemProgramVersion)));
  r.add("next identifier", nextIdentifier(ctx));
  r.add("databases", static_cast<std::int64_t>(list.size()));
  r.add("messages", messages);
  r.add("active database", text(app.frameTitle()));
  print(env.out, r, env.format());
  return kSuccess;
}

}  // namespace

void addInfoCommand(CLI::App& app, Env& env) {
  addCommand(app, "info", "Show what the installation holds and where", "quorvel --home ~/archive info")
      ->callback([&env] { env.action = info; });
}

}  // namespace qv::app::cli
