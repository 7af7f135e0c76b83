// Arbitrary bytes offered as a CompuServe message file (as they are, and
// after the "VIS000" 0x1A signature): the reader must refuse them, or give
// one message or one reason, and never crash, hang, leak or read outside a
// buffer.
#include <cstdint>
#include <string>

#include "readers/cim/cim_readers.h"

namespace {

struct Counting final : qv::cim::CimSink {
  bool take(const qv::cim::Message& m, std::uint64_t) override {
    ++seen;
    if (m.text.size() > 2 * 64000) __builtin_trap();  // at most 64,000 bytes read, each LF at most doubled
    return true;
  }
  void skip(std::uint64_t, std::string) override { ++seen; }
  std::size_t seen = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const std::string& file : {bytes, std::string("VIS000\x1A", 7) + bytes}) {
    qv::cim::MessageFileReader reader;
    if (!reader.open(std::make_unique<qv::internet::MemorySource>(file))) continue;
    Counting sink;
    reader.convert(sink);
    if (sink.seen != 1) __builtin_trap();
  }
  return 0;
}
