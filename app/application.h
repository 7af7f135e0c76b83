#pragma once
// The program's frame without its windows: start-up in its fixed order,
// the active database and the globals it publishes, the register of open
// windows, and shutdown. The command line and the GUI both drive it.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/window_register.h"
#include "store/context.h"
#include "store/table_use.h"

namespace qv::app {

class Application {
 public:
  explicit Application(UiPort& ui);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Start-up, in this order: the globals from the data home; the
  // configuration directory; the stored paths (the temporary directory made
  // anew when gone, the database directory asked for through the data-path
  // dialog when gone); the settings; the upgrade reset of window layouts
  // when the stored version is below 430 (with a message on an existing
  // installation); the scheduler's count of work windows lowered once; the
  // database the configuration names activated. Throws Halt when it cannot
  // go on (the failing step has shown why).
  void start(const std::filesystem::path& home);

  // Keeps the settings table open from the start to the end of this
  // Application, for a front end that runs one short command: each later
  // read of a settings record then needs no open of its own. Call before
  // start().
  void keepSettingsOpen() { keepSettings_ = true; }

  // Whether the configuration file existed before this start.
  bool existingInstallation() const { return existing_; }

  Library& lib() { return *lib_; }
  // The frame's own thread of work.
  Context& ctx() { return *ctx_; }
  WindowRegister& windows() { return windows_; }

  // Makes database `id` the active one and publishes it to new threads of
  // work. False — and the globals unchanged — when it is not in the list or
  // its directory is missing.
  bool activate(std::uint32_t id);

  // "Quorvel - <database>" or "Quorvel - [No Active Database]".
  std::string frameTitle();
  // The persons menu entries of the active database's type.
  std::vector<std::string> personsMenu() const;

  // Shutdown: refused with "Exit Not Allowed" while word indexing runs;
  // otherwise every window is asked to close, the tables are closed, and
  // true is returned.
  bool requestShutdown();

  // Tells the frame that an import has ended ("ImportMeny"), so that it
  // enables the import menu again and the browses show the new messages.
  void importFinished();

  // Lowers the scheduler's count of open work windows by one (never below 0).
  void lowerWorkWindows();

 private:
  std::unique_ptr<Library> lib_;
  std::unique_ptr<Context> ctx_;
  std::optional<TableUse> settingsTable_;  // released before the Context goes
  WindowRegister windows_;
  bool existing_ = false;
  bool keepSettings_ = false;
};

}  // namespace qv::app
