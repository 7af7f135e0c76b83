// quorvel definitions list | show ID | add DESCRIPTION … | remove ID | run ID
#include <CLI/CLI.hpp>

#include "app/cli/commands/import_options.h"
#include "text/text_encoding.h"
#include "import/definitions.h"
#include "import/formats.h"
#include "import/source_selection.h"
#include "import/wizard.h"
#include "store/domain.h"
#include "store/report.h"

namespace qv::app::cli {

namespace {

struct DefinitionArgs {
  std::uint32_t id = 0;
  std::string description;
  ImportArgs import;
};

int notFound(Env& env, std::uint32_t id) {
  env.ui().message("Import definitions", "There is no import definition " + std::to_string(id) + ".",
                   MessageKind::Error);
  return kFailure;
}

int list(Env& env) {
  Listing out({"id", "description", "format"});
  for (const DefinitionEntry& d : listDefinitions(env.app().ctx()))
    out.addRow({static_cast<std::int64_t>(d.id), text(d.description), text(formatName(d.formatNumber))});
  print(env.out, out, env.format());
  return kSuccess;
}

int show(Env& env, const DefinitionArgs& a) {
  const std::optional<ImportDefinition> d = loadDefinition(env.app().ctx(), a.id);
  if (!d) return notFound(env, a.id);
  const ImportSettings& s = d->settings;
  Record r;
  r.add("id", static_cast<std::int64_t>(d->id));
  r.add("description", text(d->description));
  r.add("format", text(s.format));
  r.add("method", text(s.method == kSelectTree ? "tree" : s.method == kSelectDirectory ? "dir" : "files"));
  r.add("path", text(s.path.string()));
  r.add("masks", text(joinMasks(s.masks)));
  r.add("files", text(joinFileList(s.files, ";")));
  r.add("mail", s.mail);
  r.add("forum", s.forum);
  r.add("news", s.news);
  r.add("forum database", static_cast<std::int64_t>(s.forumDatabase));
  r.add("mail database", static_cast<std::int64_t>(s.mailDatabase));
  r.add("reimport", s.reimport);
  r.add("create only", s.filter == kFilterCreateOnly);
  r.add("topic", static_cast<std::int64_t>(s.mailTopic));
  print(env.out, r, env.format());
  return kSuccess;
}

int add(Env& env, const DefinitionArgs& a) {
  ImportDefinition d;
  d.description = cp1252FromUtf8(a.description);
  if (!toSettings(env, a.import, d.settings)) return kUsage;
  prepareForStart(d.settings);
  Context& ctx = env.app().ctx();
  if (!validateForStart(ctx, d.settings, StartFrom::Definition)) return kFailure;
  if (saveDefinition(ctx, d) == kNoIdentifier) return kFailure;
  env.out << d.id << "\n";
  return kSuccess;
}

int remove(Env& env, const DefinitionArgs& a) {
  Context& ctx = env.app().ctx();
  if (!loadDefinition(ctx, a.id)) return notFound(env, a.id);
  if (ask(ctx, "Import definitions", "Remove the import definition " + std::to_string(a.id) + "?", kYes | kNo, kNo) !=
      kYes)
    return kFailure;
  return removeDefinition(ctx, a.id) ? kSuccess : kFailure;
}

int run(Env& env, const DefinitionArgs& a) {
  Context& ctx = env.app().ctx();
  const std::optional<ImportDefinition> d = loadDefinition(ctx, a.id);
  if (!d) return notFound(env, a.id);
  if (!validateForStart(ctx, d->settings, StartFrom::Definition)) return kFailure;
  return runImportJob(env, d->settings);
}

}  // namespace

void addDefinitionsCommands(CLI::App& app, Env& env) {
  CLI::App* defs = addCommand(app, "definitions", "Stored import definitions: list, show, add, remove, run",
                              "quorvel definitions list");
  defs->require_subcommand(1);
  addCommand(*defs, "list", "List the import definitions", "quorvel definitions list --json")
      ->callback([&env] { env.action = list; });

  auto a = std::make_shared<DefinitionArgs>();
  CLI::App* s = addCommand(*defs, "show", "Show one import definition", "quorvel definitions show 250010");
  s->add_option("ID", a->id, "The definition's identifier")->required();
  s->callback([&env, a] { env.action = [a](Env& e) { return show(e, *a); }; });

  CLI::App* ad = addCommand(*defs, "add", "Store an import for later runs",
                            "quorvel definitions add \"Daily mail\" --format Eudora --method dir --path ~/mail "
                            "--mail --mail-db 250003");
  ad->add_option("DESCRIPTION", a->description, "What the definition is for")->required();
  addImportOptions(*ad, a->import);
  ad->callback([&env, a] { env.action = [a](Env& e) { return add(e, *a); }; });

  CLI::App* r = addCommand(*defs, "remove", "Remove an import definition (asks first)",
                           "quorvel --yes definitions remove 250010");
  r->add_option("ID", a->id, "The definition's identifier")->required();
  r->callback([&env, a] { env.action = [a](Env& e) { return remove(e, *a); }; });

  CLI::App* ru = addCommand(*defs, "run", "Run an import definition now", "quorvel definitions run 250010");
  ru->add_option("ID", a->id, "The definition's identifier")->required();
  ru->callback([&env, a] { env.action = [a](Env& e) { return run(e, *a); }; });
}

}  // namespace qv::app::cli
