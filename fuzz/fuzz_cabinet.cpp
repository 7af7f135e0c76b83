// Arbitrary bytes offered as a CompuServe filing cabinet (as they are, and
// after "FCAB"): the reader must refuse them, or list the objects and read
// each one or say why it passed it over, and never crash, hang, leak or read
// outside a buffer.
#include <algorithm>
#include <cstdint>
#include <string>

#include "readers/cim/cim_readers.h"

namespace {

struct Counting final : qv::cim::CimSink {
  bool take(const qv::cim::Message&, std::uint64_t) override {
    ++seen;
    return true;
  }
  void skip(std::uint64_t, std::string) override { ++seen; }
  std::size_t seen = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const std::string& file : {bytes, "FCAB" + bytes}) {
    qv::cim::CabinetReader reader;
    if (!reader.open(std::make_unique<qv::internet::MemorySource>(file))) continue;
    // Each call of the first pass takes a tenth of the file (at least a byte).
    const std::size_t slice = std::max<std::size_t>(1, std::min<std::size_t>(file.size() / 10, 50000));
    std::size_t calls = 0;
    while (!reader.firstPass())
      if (++calls > file.size() / slice + 2) __builtin_trap();
    Counting sink;
    calls = 0;
    while (!reader.convert(sink))
      if (++calls > reader.objects().size()) __builtin_trap();
    // Every listed object is read or passed over, once.
    if (sink.seen != reader.objects().size()) __builtin_trap();
  }
  return 0;
}
