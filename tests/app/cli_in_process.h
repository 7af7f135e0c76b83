#pragma once
// The command line run inside the test process on a fresh data home: its
// exit status and what it printed to standard output and standard error.

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "app/cli/env.h"
#include "tests/support/temp_dir.h"

namespace qv::test {

class CliInProcessTest : public ::testing::Test {
 protected:
  struct Run {
    int status;
    std::string out;
    std::string err;
  };
  // Runs `quorvel --home HOME args...`, with `input` as what is typed.
  Run run(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), {"quorvel", "--home", home.path().string()});
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
  TempDir home;
};

}  // namespace qv::test
