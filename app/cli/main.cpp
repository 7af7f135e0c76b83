// The command-line front end of Quorvel.
#include <iostream>

#include "app/cli/env.h"
#include "app/cli/leak_suppressions.h"

int main(int argc, char** argv) {
  qv::app::cli::Env env(std::cout);
  return qv::app::cli::runCommandLine(argc, argv, env);
}
