// Arbitrary bytes as an Outlook Express 5 mail and news store: every chain
// ends, nothing is read outside the data, each message fits its bounds.
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_container_sink.h"
#include "readers/oe5/oe5_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (bool news : {false, true}) {
    qv::oe5::Oe5Reader reader(news);
    qv::fuzz::readAll(reader, bytes);
  }
  return 0;
}
