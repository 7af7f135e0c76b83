#pragma once
// Runs the command line inside the test process on a data home: its exit
// status and what it printed to standard output and standard error.

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/env.h"

namespace qv::test {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

// `quorvel --home HOME args...`, with `input` as what is typed.
inline CliRun runCliInProcess(const std::filesystem::path& home, std::vector<std::string> args,
                              const std::string& input = {}) {
  args.insert(args.begin(), {"quorvel", "--home", home.string()});
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  std::ostringstream out, err;
  std::istringstream in(input);
  app::cli::Env env(out);
  app::cli::Console console;
  console.in = &in;
  console.err = &err;
  env.useConsole(console);
  const int status = app::cli::runCommandLine(static_cast<int>(argv.size()), argv.data(), env);
  return {status, out.str(), err.str()};
}

}  // namespace qv::test
