#pragma once
// What every command of the command line works with: the global options,
// the UI port, the output format, and the program started on first use (a
// command that needs no data home never creates one).

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "app/application.h"
#include "app/cli/cli_ui.h"
#include "app/cli/output.h"

namespace CLI {
class App;
}

namespace qv::app::cli {

// Exit statuses of the program.
enum ExitStatus : int { kSuccess = 0, kFailure = 1, kUsage = 2, kStopped = 3 };

class Env {
 public:
  explicit Env(std::ostream& output) : out(output) {}

  // Global options, filled by the parser.
  std::optional<std::string> home;
  bool yes = false;
  bool no = false;
  bool json = false;

  std::ostream& out;

  // The command chosen on the command line, run after parsing.
  std::function<int(Env&)> action;

  CliUi& ui();
  // The program, started on first use in the data home.
  Application& app();
  OutputFormat format() const { return json ? OutputFormat::Json : OutputFormat::Text; }

  // For tests: a UI port on given streams instead of the process's.
  void useConsole(Console console) { console_ = std::move(console); }

 private:
  std::optional<Console> console_;
  std::unique_ptr<CliUi> ui_;
  std::unique_ptr<Application> app_;
};

// Adds a subcommand with its description and an example for --help, and
// lets the global options also follow it.
CLI::App* addCommand(CLI::App& parent, const std::string& name, const std::string& description,
                     const std::string& example);

// Every command of the program, registered with the parser.
void addDbCommands(CLI::App& app, Env& env);
void addConfigCommands(CLI::App& app, Env& env);
void addInfoCommand(CLI::App& app, Env& env);
void addImportCommand(CLI::App& app, Env& env);
void addDumpCommand(CLI::App& app, Env& env);
void addFormatsCommand(CLI::App& app, Env& env);
void addDefinitionsCommands(CLI::App& app, Env& env);
void addStopWordsCommands(CLI::App& app, Env& env);
void addIndexCommands(CLI::App& app, Env& env);
void addSearchCommand(CLI::App& app, Env& env);
void addShowCommand(CLI::App& app, Env& env);
void addBrowseCommand(CLI::App& app, Env& env);
void addStatusCommand(CLI::App& app, Env& env);
void addTreeCommand(CLI::App& app, Env& env);
void addPersonsCommands(CLI::App& app, Env& env);
void addPurgeCommands(CLI::App& app, Env& env);
void addDedupeCommand(CLI::App& app, Env& env);
void addTopicsCommands(CLI::App& app, Env& env);
void addBatchCommands(CLI::App& app, Env& env);
void addTasksCommands(CLI::App& app, Env& env);
void addSchedulerCommands(CLI::App& app, Env& env);
void addExportCommand(CLI::App& app, Env& env);
void addExportMailboxCommand(CLI::App& app, Env& env);
void addExportAddressesCommand(CLI::App& app, Env& env);
void addPrintCommand(CLI::App& app, Env& env);

// Parses the arguments and runs the chosen command: the exit status.
int runCommandLine(int argc, char** argv, Env& env);

}  // namespace qv::app::cli
