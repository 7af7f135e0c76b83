// Arbitrary bytes as an AOL or CompuServe 2000 store: records, items, part
// lengths and zlib streams of any shape end cleanly within their bounds.
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_container_sink.h"
#include "readers/aol/aol_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qv::aol::AolReader reader;
  reader.today = 80000;
  qv::fuzz::readAll(reader, bytes);
  return 0;
}
