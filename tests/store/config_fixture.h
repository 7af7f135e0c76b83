#pragma once
// A store with its settings: helpers to read and change them, and a second
// process's view of the same data home.

#include <filesystem>
#include <memory>
#include <string>

#include "store/config.h"
#include "store/dispatcher.h"
#include "store/records.h"
#include "tests/store/store_fixture.h"

namespace qv::test {

class ConfigTest : public StoreTest {
 protected:
  std::int32_t general(int item) { return generalSetting(*ctx, item); }
  std::int32_t display(int item) { return displaySetting(*ctx, item); }
  std::uint8_t setGeneral(int item, std::int32_t v) {
    std::string t;
    return Konfig(*ctx, kKonfigSetGeneral, item, v, 0, t);
  }
  std::uint8_t setDisplay(int item, std::int32_t v, std::string t = {}) {
    return Konfig(*ctx, kKonfigSetDisplay, item, v, 0, t);
  }
  std::filesystem::path dir(int item) {
    std::filesystem::path p;
    EXPECT_EQ(AutoPath(*ctx, kAutoPathGet, item, 0, p), 1);
    return p;
  }
  std::uint8_t setDir(int item, std::filesystem::path p) { return AutoPath(*ctx, kAutoPathSet, item, 0, p); }

  // The stored CTL:NEXTNUMBER of record 1 raised or kept; NextNr shows it.
  void setStoredCounter(std::uint32_t n) {
    ASSERT_EQ(NextNr(*ctx), 1u);  // makes record 1 as NextNr does on a fresh installation
    OP_CLOSE(*ctx, kOpOpen, {Control::FileNo});
    ctx->ctl.ID = 1;
    ASSERT_EQ(ctx->fileOf<Control>().get(Control::IdKey), engine::Err::Ok);
    ctx->ctl.NEXTNUMBER = n;
    ASSERT_EQ(ctx->fileOf<Control>().put(), engine::Err::Ok);
    OP_CLOSE(*ctx, kOpRelease, {Control::FileNo});
  }

  // A second process on the same data home.
  struct Restart {
    explicit Restart(const std::filesystem::path& home) {
      MemGroup mem;
      mem.Net = home;
      mem.FileDir = home;
      mem.TempDir = home / "TEMP";
      mem.Dirnamn = "F1";
      lib.publish(mem, home);
      ctx = std::make_unique<Context>(lib);
    }
    RecordingUi ui;
    Library lib{ui};
    std::unique_ptr<Context> ctx;
  };
};

}  // namespace qv::test
