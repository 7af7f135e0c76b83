// quorvel config list / get ITEM / set ITEM VALUE / paths
#include <CLI/CLI.hpp>

#include "app/cli/env.h"
#include "text/text_encoding.h"
#include "app/windows/config_window.h"
#include "store/config.h"

namespace qv::app::cli {

namespace {

struct ItemArgs {
  std::string key;
  std::string value;
};

int list(Env& env) {
  ConfigWindow window(env.app().ctx());
  Listing out({"item", "value", "description"});
  for (const ConfigWindow::Item& item : window.items())
    out.addRow({text(item.key), text(window.value(item.key)), text(item.description)});
  print(env.out, out, env.format());
  return kSuccess;
}

int unknownItem(Env& env, const std::string& key) {
  env.ui().message("Configuration", "There is no setting \"" + cp1252FromUtf8(key) + "\" (see config list).",
                   MessageKind::Error);
  return kUsage;
}

int get(Env& env, const ItemArgs& a) {
  ConfigWindow window(env.app().ctx());
  const ConfigWindow::Item* item = window.find(a.key);
  if (item == nullptr) return unknownItem(env, a.key);
  Record r;
  r.add("item", text(item->key));
  r.add("value", text(window.value(item->key)));
  r.add("description", text(item->description));
  r.add("accepts", text(window.rule(item->key)));
  print(env.out, r, env.format());
  return kSuccess;
}

int set(Env& env, const ItemArgs& a) {
  ConfigWindow window(env.app().ctx());
  if (window.find(a.key) == nullptr) return unknownItem(env, a.key);
  const std::string why = window.set(a.key, cp1252FromUtf8(a.value));
  if (!why.empty()) {
    env.ui().message("Configuration", why, MessageKind::Error);
    return kFailure;
  }
  return window.save() == kSettingsDone ? kSuccess : kFailure;
}

int paths(Env& env) {
  Application& app = env.app();
  Context& ctx = app.ctx();
  Record r;
  r.add("home", text(ctx.mem.Net.string()));
  r.add("configuration", text((ctx.mem.Net / "CFG").string()));
  r.add("databases", text(ctx.mem.FileDir.string()));
  r.add("temporary", text(ctx.mem.TempDir.string()));
  r.add("word-index", text(ctx.MasIdxPath.string()));
  print(env.out, r, env.format());
  return kSuccess;
}

}  // namespace

void addConfigCommands(CLI::App& app, Env& env) {
  CLI::App* config = addCommand(app, "config", "Settings: list, get, set, paths", "quorvel config list");
  config->require_subcommand(1);
  addCommand(*config, "list", "List every setting with its value", "quorvel config list --json")
      ->callback([&env] { env.action = list; });

  auto a = std::make_shared<ItemArgs>();
  CLI::App* g = addCommand(*config, "get", "Show one setting and what it accepts", "quorvel config get date-format");
  g->add_option("ITEM", a->key, "The setting's key (see config list)")->required();
  g->callback([&env, a] { env.action = [a](Env& e) { return get(e, *a); }; });

  CLI::App* s = addCommand(*config, "set", "Change one setting and save it", "quorvel config set locator-delay 20");
  s->add_option("ITEM", a->key, "The setting's key (see config list)")->required();
  s->add_option("VALUE", a->value, "The new value")->required();
  s->callback([&env, a] { env.action = [a](Env& e) { return set(e, *a); }; });

  addCommand(*config, "paths", "Show the data home and the directories in use", "quorvel config paths")
      ->callback([&env] { env.action = paths; });
}

}  // namespace qv::app::cli
