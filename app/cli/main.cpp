// The command-line front end of Quorvel.
#include <CLI/CLI.hpp>

#include <iostream>

#include "app/version.h"

int main(int argc, char** argv) {
  CLI::App app{"Quorvel - archive and convert messages from legacy mail and forum stores"};
  app.set_version_flag("--version", std::string(qv::app::version()));
  app.require_subcommand(0, 1);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  if (app.get_subcommands().empty()) std::cout << app.help();
  return 0;
}
