#pragma once
// A fresh installation for store tests: a data home in a temporary directory
// with its CFG and TEMP directories, a Library speaking to a recording UI,
// and one Context whose globals point into the home (no active database; the
// database directory name is "F1", which exists).

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "store/context.h"
#include "tests/support/recording_ui.h"
#include "tests/support/temp_dir.h"

namespace qv::test {

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() {
    std::filesystem::create_directories(home.path() / "CFG");
    std::filesystem::create_directories(home.path() / "TEMP");
    std::filesystem::create_directories(home.path() / "F1");
    MemGroup mem;
    mem.Net = home.path();
    mem.FileDir = home.path();
    mem.TempDir = home.path() / "TEMP";
    mem.Dirnamn = "F1";
    lib.publish(mem, home.path());
    ctx = std::make_unique<Context>(lib);
  }

  // Another thread of work of the same process.
  std::unique_ptr<Context> newContext() { return std::make_unique<Context>(lib); }

  TempDir home;
  RecordingUi ui;
  Library lib{ui};
  std::unique_ptr<Context> ctx;
};

}  // namespace qv::test
