#pragma once
// A sink for the container fuzz targets: it checks what every message
// handed on must satisfy, and keeps nothing.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "text/block_window.h"
#include "text/message.h"

namespace qv::fuzz {

inline void require(bool ok) {
  if (!ok) __builtin_trap();
}

struct CheckingSink final : internet::MessageSink {
  explicit CheckingSink(std::uint64_t size) : storeSize(size) {}
  bool take(const internet::Message& m, std::uint64_t offset) override {
    require(offset < storeSize);
    require(m.text.size() <= 64000);
    ++messages;
    return true;
  }
  void skip(std::uint64_t offset, std::string) override { require(offset <= storeSize); }

  std::uint64_t storeSize;
  std::uint64_t messages = 0;
};

// Drives `reader` over `bytes` to its end, a few messages a call; every call
// must come nearer to the end.
template <class R>
void readAll(R& reader, std::string_view bytes) {
  CheckingSink sink(bytes.size());
  if (!reader.open(std::make_unique<internet::MemorySource>(bytes), "FUZZ", sink)) return;
  std::uint64_t calls = 0;
  while (!reader.step(sink, 3)) require(++calls <= bytes.size() + 1);
  // A message takes at least its marks' room in the store.
  require(sink.messages <= bytes.size() / 4 + 1);
}

}  // namespace qv::fuzz
