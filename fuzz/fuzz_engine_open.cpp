// Arbitrary bytes offered as a table file: the engine must answer with an
// error code or read whatever is readable, and never crash, hang or leak.
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "store/engine/engine.h"
#include "store/engine/file.h"
#include "store/engine/session.h"
#include "tests/store/engine/test_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() / ("qv-fuzz-open-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  const auto path = dir / "IDX003.TPS";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  qv::engine::Engine engine;
  qv::engine::Session session(engine);
  qv::test::HeaderRec r{};
  qv::engine::File f(session, qv::test::headerDecl(), &r);
  f.setName(path);
  const qv::engine::Err e = f.open(qv::engine::OpenMode::ReadOnlyShared);
  if (e == qv::engine::Err::Ok || e == qv::engine::Err::BadKeys) {
    f.records();
    f.set(qv::test::HeaderKeys::FromKey);
    for (int i = 0; i < 1000 && f.next() == qv::engine::Err::Ok; ++i) {
    }
    r.NUMBER = 1;
    f.get(qv::test::HeaderKeys::IdKey);
  }
  f.close();
  std::filesystem::remove(path);
  return 0;
}
