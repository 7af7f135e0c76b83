#include "app/cli/env.h"

#include <CLI/CLI.hpp>

#include <iostream>

#include "app/home.h"
#include "app/version.h"
#include "store/halt.h"

namespace qv::app::cli {

CliUi& Env::ui() {
  if (!ui_) {
    const AnswerPolicy policy = yes ? AnswerPolicy::Yes : no ? AnswerPolicy::No : AnswerPolicy::Ask;
    ui_ = std::make_unique<CliUi>(policy, console_ ? *console_ : Console::process());
  }
  return *ui_;
}

Application& Env::app() {
  if (!app_) {
    auto started = std::make_unique<Application>(ui());
    started->keepSettingsOpen();  // one command, then the process ends
    started->start(resolveHome(home ? std::optional<std::filesystem::path>(*home) : std::nullopt));
    app_ = std::move(started);
  }
  return *app_;
}

CLI::App* addCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     const std::string& example) {
  CLI::App* c = parent.add_subcommand(name, description);
  c->fallthrough();
  if (!example.empty()) c->footer("Example:\n  " + example);
  return c;
}

int runCommandLine(int argc, char** argv, Env& env) {
  CLI::App app{"Quorvel - keeps messages from old mail, forum and news stores in one searchable archive"};
  app.set_version_flag("--version", std::string(version()));
  app.add_option("--home", env.home, "The data home (default $QUORVEL_HOME, else $XDG_DATA_HOME/quorvel)");
  auto* yes = app.add_flag("--yes", env.yes, "Answer every question with yes (OK)");
  app.add_flag("--no", env.no, "Answer every question with no (Cancel)")->excludes(yes);
  app.add_flag("--json", env.json, "Print listings as JSON");
  app.require_subcommand(0, 1);
  app.footer("Examples:\n  quorvel db add-forum \"Computer Club\"\n  quorvel --json db list");
  addInfoCommand(app, env);
  addDbCommands(app, env);
  addConfigCommands(app, env);
  addImportCommand(app, env);
  addDumpCommand(app, env);
  addFormatsCommand(app, env);
  addDefinitionsCommands(app, env);
  addStopWordsCommands(app, env);
  addIndexCommands(app, env);
  addSearchCommand(app, env);
  addShowCommand(app, env);
  addBrowseCommand(app, env);
  addStatusCommand(app, env);
  addTreeCommand(app, env);
  addPersonsCommands(app, env);
  addPurgeCommands(app, env);
  addDedupeCommand(app, env);
  addTopicsCommands(app, env);
  addBatchCommands(app, env);
  addTasksCommands(app, env);
  addSchedulerCommands(app, env);
  addExportCommand(app, env);
  addExportMailboxCommand(app, env);
  addExportAddressesCommand(app, env);
  addPrintCommand(app, env);
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return kUsage;
  }
  if (!env.action) {
    std::cerr << app.help();
    return kUsage;
  }
  try {
    const int status = env.action(env);
    env.ui().endProgressLine();
    return status;
  } catch (const Halt& h) {
    env.ui().endProgressLine();
    std::cerr << "Quorvel stopped: " << h.what() << "\n";
    return kStopped;
  } catch (const std::exception& e) {
    std::cerr << "quorvel: " << e.what() << "\n";
    return kFailure;
  }
}

}  // namespace qv::app::cli
