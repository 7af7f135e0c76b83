// Arbitrary bytes as a GoldenCompass file; the first byte says
// whether mail is what the import takes.
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz/capture_fuzz_sink.h"
#include "readers/capture/capture_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const qv::capture::FormatRules* rules = qv::capture::captureRules("GoldenCompass");
  const bool mail = (data[0] & 0x80) != 0;
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  qv::fuzz::CheckingSink sink;
  sink.size = bytes.size();
  qv::capture::SliceReader reader(*rules);
  if (!reader.open(std::make_unique<qv::internet::MemorySource>(bytes), mail, sink)) return 0;
  qv::fuzz::runToEnd([&] { return reader.step(sink); }, bytes.size());
  return 0;
}
