#pragma once

#include <gtest/gtest.h>

#include <string>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "tests/support/temp_dir.h"
#include "tests/store/engine/test_tables.h"

namespace qv::test {

class EngineTest : public ::testing::Test {
 protected:
  engine::Engine engine;
  engine::Session session{engine};
  TempDir dir;

  // Fills a header record with distinct values derived from n.
  static void fillHeader(HeaderRec& r, std::uint32_t n, const std::string& from = "Smith", std::uint32_t fromId = 7) {
    r = HeaderRec{};
    r.NUMBER = n;
    r.SECTION = n % 3;
    r.THREAD = 100 + n % 5;
    r.THREADALPHA = "Subject " + std::to_string(n % 5);
    r.FROMID = fromId;
    r.FROMALPHA = from;
    r.TOID = 8;
    r.TOALPHA = "Jones";
    r.DATE = static_cast<std::int32_t>(80000 + n / 2);
    r.DUMMY = static_cast<std::uint8_t>(n % 3);
  }
};

}  // namespace qv::test
