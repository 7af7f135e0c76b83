#pragma once
// A sink for the capture-family fuzz targets that checks what every message
// must hold, and a loop that drives a reader to its end.

#include <cstdint>
#include <string>

#include "text/body/body.h"
#include "readers/capture/capture_sink.h"

namespace qv::fuzz {

struct CheckingSink final : capture::CaptureSink {
  bool takeForum(const capture::ForumMessage& m, std::uint64_t offset) override {
    if (m.number == 0 || m.number >= 9'000'000 || m.text.size() > body::kTextMax || offset > size) __builtin_trap();
    if (m.senderName.size() > 60 || m.senderAddress.size() > 60) __builtin_trap();
    ++taken;
    return true;
  }
  bool take(const internet::Message& m, std::uint64_t offset) override {
    if (m.text.size() > body::kTextMax || offset > size) __builtin_trap();
    ++taken;
    return true;
  }
  void skip(std::uint64_t offset, std::string) override {
    if (offset > size) __builtin_trap();
  }
  std::uint64_t size = 0;
  std::uint64_t taken = 0;
};

// Steps `reader` until it is finished; every call must make headway, so a
// file of n bytes never needs more than n + 2 calls.
template <typename Step>
void runToEnd(Step step, std::size_t size) {
  for (std::size_t calls = 0; !step(); ++calls)
    if (calls > size + 2) __builtin_trap();
}

}  // namespace qv::fuzz
