#pragma once
// Running an Internet store reader over bytes in memory, into a sink that
// keeps what it got.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "readers/machinery/store_reader.h"
#include "store/charset.h"

namespace qv::test {

struct RecordingSink final : internet::MessageSink {
  bool take(const internet::Message& m, std::uint64_t offset) override {
    messages.push_back(m);
    offsets.push_back(offset);
    return true;
  }
  void skip(std::uint64_t offset, std::string why) override { skipped.push_back({offset, std::move(why)}); }

  std::vector<internet::Message> messages;
  std::vector<std::uint64_t> offsets;
  std::vector<std::pair<std::uint64_t, std::string>> skipped;
};

struct StoreRun {
  RecordingSink sink;
  std::vector<LineQueue> lines;  // each message's lines as collected
  int calls = 0;                 // continue calls until finished
};

// Reads `bytes` as a store of `format` named `name`; `companions` are the
// other files of its folder by name (letter case ignored).
inline StoreRun readStore(std::string_view format, const std::string& bytes, int budget = 1000,
                          const std::map<std::string, std::string>& companions = {},
                          const std::string& name = "/no-such-folder/STORE.MBX") {
  StoreRun r;
  std::unique_ptr<internet::StoreReader> reader = internet::makeStoreReader(format);
  EXPECT_NE(reader, nullptr) << format;
  if (!reader) return r;
  reader->onCollected = [&r](const LineQueue& q) { r.lines.push_back(q); };
  const internet::FileOpener opener =
      [&companions](const std::filesystem::path& p) -> std::unique_ptr<internet::ByteSource> {
    for (const auto& [n, content] : companions)
      if (upper1252(n) == upper1252(p.filename().string())) return std::make_unique<internet::MemorySource>(content);
    return nullptr;
  };
  if (!reader->open(std::make_unique<internet::MemorySource>(bytes), name, r.sink, opener)) return r;
  // Every call must make headway: a store of n bytes cannot need more calls than that.
  while (!reader->step(r.sink, budget)) {
    if (++r.calls > static_cast<int>(bytes.size()) + 2) {
      ADD_FAILURE() << "the reader does not finish";
      break;
    }
  }
  return r;
}

inline std::string crlf(std::string text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

inline void putLe32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace qv::test
