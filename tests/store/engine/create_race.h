#pragma once
// The creators' race, run by a test thread, a test process and the engine
// child alike: tables that several creators find missing at once.

#include <string>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "tests/store/engine/test_tables.h"

namespace qv::test {

inline constexpr int kRaceTables = 4;

inline std::string raceTableName(const std::string& dir, int round, int k) {
  return dir + "/R" + std::to_string(round) + "-" + std::to_string(k) + ".TPS";
}

// Creates each missing table as the program does (open, not found: create,
// open again) and adds one record numbered `tag`. Empty when all went well,
// else what failed.
inline std::string createAndUseTables(engine::Engine& e, const std::string& dir, int rounds, std::uint32_t tag) {
  engine::Session s(e);
  HeaderRec r{};
  for (int round = 0; round < rounds; ++round) {
    for (int k = 0; k < kRaceTables; ++k) {
      engine::File f(s, headerDecl(), &r);
      f.setName(raceTableName(dir, round, k));
      engine::Err err = f.open();
      if (err == engine::Err::FileNotFound && f.create() == engine::Err::Ok) err = f.open();
      if (err == engine::Err::Ok) {
        r = HeaderRec{};
        r.NUMBER = tag;
        r.FROMALPHA = "Creator";
        err = f.add();
      }
      if (err != engine::Err::Ok) return f.name().string() + ": " + f.errorText();
    }
  }
  return {};
}

}  // namespace qv::test
