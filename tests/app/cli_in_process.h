#pragma once
// The command line run inside the test process on a fresh data home: its
// exit status and what it printed to standard output and standard error.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/cli_in_process_run.h"
#include "tests/support/temp_dir.h"

namespace qv::test {

class CliInProcessTest : public ::testing::Test {
 protected:
  using Run = CliRun;
  // Runs `quorvel --home HOME args...`, with `input` as what is typed.
  Run run(std::vector<std::string> args, const std::string& input = {}) {
    return runCliInProcess(home.path(), std::move(args), input);
  }
  TempDir home;
};

}  // namespace qv::test
