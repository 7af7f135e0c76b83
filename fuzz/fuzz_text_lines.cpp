// Arbitrary bytes read through the text-line driver, forwards and by position.
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
  static const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("qv-fuzz-lines-" + std::to_string(::getpid()) + ".txt");
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  qv::engine::Engine engine;
  qv::engine::Session session(engine);
  qv::test::LineRec line{};
  qv::engine::File f(session, qv::test::lineDecl(), &line);
  f.setName(path);
  f.setOptions("QUICKSCAN=ON");
  if (f.open(qv::engine::OpenMode::ReadOnlyShared) != qv::engine::Err::Ok) return 0;
  std::int64_t lines = f.records();
  f.set();
  std::int64_t read = 0;
  std::size_t bytes = 0;
  while (f.next() == qv::engine::Err::Ok) {
    ++read;
    bytes += f.bytes();
    if (f.bytes() > sizeof line.LINE) __builtin_trap();
  }
  // Every byte but the line ends comes back; over-long lines come in pieces.
  if (read < lines || bytes > size) __builtin_trap();
  if (size > 0) f.getPosition(static_cast<std::int64_t>(data[0]) % static_cast<std::int64_t>(size));
  return 0;
}
