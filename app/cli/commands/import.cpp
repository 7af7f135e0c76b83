// quorvel import: one import run from the command line, with a progress bar
// on a terminal and a summary at the end.
#include <CLI/CLI.hpp>

#include "app/cli/commands/import_options.h"
#include "import/wizard.h"

namespace qv::app::cli {

namespace {

int runImport(Env& env, const ImportArgs& a) {
  ImportSettings s;
  if (!toSettings(env, a, s)) return kUsage;
  prepareForStart(s);
  if (!validateForStart(env.app().ctx(), s, StartFrom::Wizard)) return kFailure;
  return runImportJob(env, s, !a.noIndex);
}

}  // namespace

void addImportCommand(CLI::App& app, Env& env) {
  auto a = std::make_shared<ImportArgs>();
  CLI::App* c = addCommand(app, "import", "Import messages from source files",
                           "quorvel import --format Eudora --method dir --path ~/old/eudora --mail --mail-db 250003");
  addImportOptions(*c, *a);
  c->add_flag("--no-index", a->noIndex, "Do not index the new messages afterwards");
  c->callback([&env, a] { env.action = [a](Env& e) { return runImport(e, *a); }; });
}

}  // namespace qv::app::cli
