#pragma once
// Running the capture-family readers over bytes in memory, into a sink that
// keeps what it got.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "readers/capture/capture_reader.h"
#include "readers/capture/separator_reader.h"

namespace qv::test {

struct CaptureRecorder final : capture::CaptureSink {
  bool takeForum(const capture::ForumMessage& m, std::uint64_t) override {
    forum.push_back(m);
    return true;
  }
  bool take(const internet::Message& m, std::uint64_t) override {
    mail.push_back(m);
    return true;
  }
  void skip(std::uint64_t, std::string why) override { skipped.push_back(std::move(why)); }

  std::vector<capture::ForumMessage> forum;
  std::vector<internet::Message> mail;
  std::vector<std::string> skipped;
};

struct CaptureRun {
  CaptureRecorder sink;
  ContentKind kind = ContentKind::None;
  std::vector<std::size_t> slices;  // lines per slice
  std::vector<LineQueue> bodies;
};

inline CaptureRun readCapture(const capture::FormatRules& rules, const std::string& bytes, bool mailChosen = false) {
  CaptureRun r;
  capture::SliceReader reader(rules);
  reader.onSlice = [&r](std::size_t n) { r.slices.push_back(n); };
  reader.onBody = [&r](const LineQueue& q) { r.bodies.push_back(q); };
  const bool open = reader.open(std::make_unique<internet::MemorySource>(bytes), mailChosen, r.sink);
  r.kind = reader.contentKind();
  if (!open) return r;
  for (std::size_t calls = 0; !reader.step(r.sink); ++calls) {
    if (calls > bytes.size() + 2) {
      ADD_FAILURE() << "the reader does not finish";
      break;
    }
  }
  return r;
}

inline CaptureRun readCapture(std::string_view format, const std::string& bytes, bool mailChosen = false) {
  const capture::FormatRules* rules = format == "NavCIS Save format" ? &capture::navCisRules()
                                                                     : capture::captureRules(format);
  EXPECT_NE(rules, nullptr) << format;
  return rules ? readCapture(*rules, bytes, mailChosen) : CaptureRun{};
}

inline CaptureRun readSeparated(bool virtualAccess, const std::string& bytes, int budget = 1000) {
  CaptureRun r;
  capture::SeparatorReader reader(virtualAccess);
  reader.onCollected = [&r](const LineQueue& q) { r.bodies.push_back(q); };
  if (!reader.open(std::make_unique<internet::MemorySource>(bytes), r.sink)) return r;
  for (std::size_t calls = 0; !reader.step(r.sink, budget); ++calls) {
    if (calls > bytes.size() + 2) {
      ADD_FAILURE() << "the reader does not finish";
      break;
    }
  }
  return r;
}

}  // namespace qv::test
