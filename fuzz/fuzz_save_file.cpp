// Arbitrary bytes as a NavCIS save file.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/capture_fuzz_sink.h"
#include "readers/capture/capture_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  qv::fuzz::CheckingSink sink;
  sink.size = bytes.size();
  qv::capture::SliceReader reader(qv::capture::navCisRules());
  if (!reader.open(std::make_unique<qv::internet::MemorySource>(bytes), false, sink)) return 0;
  qv::fuzz::runToEnd([&] { return reader.step(sink); }, bytes.size());
  return 0;
}
