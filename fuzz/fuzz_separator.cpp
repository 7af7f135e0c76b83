// Arbitrary bytes as a VirtualAccess file (first byte odd) or a news
// export ("Agent News", "Unix News"); the first byte also sets the budget.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/capture_fuzz_sink.h"
#include "readers/capture/separator_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool virtualAccess = (data[0] & 1) != 0;
  const int budget = 1 + (data[0] >> 1) % 8;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  qv::fuzz::CheckingSink sink;
  sink.size = bytes.size();
  qv::capture::SeparatorReader reader(virtualAccess);
  if (!reader.open(std::make_unique<qv::internet::MemorySource>(bytes), sink)) return 0;
  qv::fuzz::runToEnd([&] { return reader.step(sink, budget); }, bytes.size());
  return 0;
}
