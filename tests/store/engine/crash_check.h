#pragma once
// What the crash tests check after a writer was killed: the three tables of
// engine_child's writer open, pass SQLite's integrity check, and hold the
// same transactions (A and B the same numbers 1..n, C the same n notes).

#include <filesystem>
#include <string>

#include "store/engine/engine.h"
#include "store/engine/session.h"

namespace qv::test {

struct CrashCheck {
  bool ok = false;
  std::int64_t transactions = 0;
  std::string problem;
};

void createCrashTables(engine::Session& session, const std::filesystem::path& dir);
CrashCheck checkCrashTables(engine::Engine& engine, const std::filesystem::path& dir);

}  // namespace qv::test
